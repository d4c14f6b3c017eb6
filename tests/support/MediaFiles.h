#pragma once

#include <cmath>

#include <QDataStream>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace yk::test {

// A mono 16-bit 22.05 kHz sine tone of the given length.
inline void writeWave(const QString& path, int milliseconds, double hertz = 440)
{
    const quint32 rate = 22050;
    const quint32 samples = rate * quint32(milliseconds) / 1000;
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    QDataStream out(&file);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("RIFF", 4);
    out << quint32(36 + samples * 2);
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(1) << rate << quint32(rate * 2) << quint16(2) << quint16(16);
    out.writeRawData("data", 4);
    out << quint32(samples * 2);
    for (quint32 i = 0; i < samples; ++i)
        out << qint16(std::lround(8000 * std::sin(2 * M_PI * hertz * i / rate)));
}

// "<dir>/07 song.mp3" for 7, made (empty) when it is not there yet.
inline QString numberedSong(const QTemporaryDir& dir, int number)
{
    const QString path = dir.filePath(QStringLiteral("%1 song.mp3").arg(number, 2, 10, QChar(u'0')));
    if (!QFile::exists(path)) {
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    }
    return path;
}

} // namespace yk::test
