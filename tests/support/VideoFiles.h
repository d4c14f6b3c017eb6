#pragma once

// Short movie clips made on the spot, so video tests need no encoder and no
// sample files: an AVI with Motion-JPEG frames (every frame one solid
// colour, saved through QImage) and, if asked, an uncompressed 16-bit mono
// sine tone as its sound track. GStreamer's avidemux and jpegdec play it.

#include <cmath>

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QFile>
#include <QImage>
#include <QList>
#include <QSize>
#include <QString>
#include <QtEndian>
#include <gtest/gtest.h>

namespace yk::test {

struct ClipPlan
{
    // One solid colour per frame, in order.
    QList<QColor> frames;
    QSize size{160, 120};
    int fps = 10;
    // A sound track with a tone of this pitch; 0: picture only.
    int toneHz = 0;
};

// The colour of frame `index` of a clip of `colours` frames in turn: the
// clips of the tests cycle through these, which survive JPEG untouched
// enough to tell apart.
inline QColor clipColour(int index)
{
    static const QColor colours[] = {QColor(220, 30, 30), QColor(30, 200, 40), QColor(40, 60, 220),
                                     QColor(230, 220, 40), QColor(240, 240, 240)};
    return colours[index % int(std::size(colours))];
}

// A clip of `frameCount` frames cycling through clipColour().
inline ClipPlan colourClip(int frameCount, int fps = 10, int toneHz = 0, QSize size = {160, 120})
{
    ClipPlan plan;
    for (int i = 0; i < frameCount; ++i)
        plan.frames.append(clipColour(i));
    plan.fps = fps;
    plan.toneHz = toneHz;
    plan.size = size;
    return plan;
}

namespace detail {

inline void put32(QByteArray& out, quint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

inline void put16(QByteArray& out, quint16 v)
{
    char b[2];
    qToLittleEndian(v, b);
    out.append(b, 2);
}

inline QByteArray chunk(const char* id, const QByteArray& data)
{
    QByteArray out(id, 4);
    put32(out, quint32(data.size()));
    out += data;
    if (data.size() % 2)
        out.append('\0');
    return out;
}

inline QByteArray list(const char* type, const QByteArray& data)
{
    return chunk("LIST", QByteArray(type, 4) + data);
}

inline QByteArray jpegFrame(const QColor& colour, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", 95);
    return bytes;
}

} // namespace detail

// Writes `plan` as an AVI file at `path`.
inline void writeMjpegAvi(const QString& path, const ClipPlan& plan)
{
    using namespace detail;
    ASSERT_FALSE(plan.frames.isEmpty());
    ASSERT_GT(plan.fps, 0);
    const quint32 width = quint32(plan.size.width());
    const quint32 height = quint32(plan.size.height());
    const quint32 frames = quint32(plan.frames.size());
    const bool sound = plan.toneHz > 0;
    const quint32 rate = 22050;
    const quint32 samplesPerFrame = rate / quint32(plan.fps);

    // The data first: the headers give the largest chunk.
    QByteArray movi("movi", 4);
    QByteArray index;
    quint32 largest = 0;
    quint32 sample = 0;
    auto add = [&](const char* id, const QByteArray& data) {
        index.append(id, 4);
        put32(index, 0x10); // key frame
        put32(index, quint32(movi.size()));
        put32(index, quint32(data.size()));
        movi += chunk(id, data);
        largest = std::max(largest, quint32(data.size()));
    };
    for (const QColor& colour : plan.frames) {
        const QByteArray jpeg = jpegFrame(colour, plan.size);
        ASSERT_FALSE(jpeg.isEmpty()) << "no JPEG writer";
        add("00dc", jpeg);
        if (sound) {
            QByteArray pcm;
            for (quint32 i = 0; i < samplesPerFrame; ++i, ++sample)
                put16(pcm, quint16(qint16(std::lround(6000 * std::sin(2 * M_PI * plan.toneHz * sample / rate)))));
            add("01wb", pcm);
        }
    }

    QByteArray avih;
    put32(avih, quint32(1000000 / plan.fps));
    put32(avih, largest * quint32(plan.fps) * 2);
    put32(avih, 0);
    put32(avih, 0x10); // has an index
    put32(avih, frames);
    put32(avih, 0);
    put32(avih, sound ? 2 : 1);
    put32(avih, largest);
    put32(avih, width);
    put32(avih, height);
    for (int i = 0; i < 4; ++i)
        put32(avih, 0);

    QByteArray vstrh("vidsMJPG", 8);
    put32(vstrh, 0);                 // flags
    put32(vstrh, 0);                 // priority, language
    put32(vstrh, 0);                 // initial frames
    put32(vstrh, 1);                 // scale
    put32(vstrh, quint32(plan.fps)); // rate
    put32(vstrh, 0);                 // start
    put32(vstrh, frames);            // length
    put32(vstrh, largest);
    put32(vstrh, quint32(-1)); // quality
    put32(vstrh, 0);           // sample size
    put16(vstrh, 0);
    put16(vstrh, 0);
    put16(vstrh, quint16(width));
    put16(vstrh, quint16(height));

    QByteArray vstrf;
    put32(vstrf, 40);
    put32(vstrf, width);
    put32(vstrf, height);
    put16(vstrf, 1);
    put16(vstrf, 24);
    vstrf += QByteArray("MJPG", 4);
    put32(vstrf, width * height * 3);
    for (int i = 0; i < 4; ++i)
        put32(vstrf, 0);

    QByteArray hdrl = chunk("avih", avih) + list("strl", chunk("strh", vstrh) + chunk("strf", vstrf));
    if (sound) {
        QByteArray astrh("auds", 4);
        put32(astrh, 0); // handler
        put32(astrh, 0);
        put32(astrh, 0);
        put32(astrh, 0);
        put32(astrh, 2);        // scale: bytes per block
        put32(astrh, rate * 2); // rate: bytes per second
        put32(astrh, 0);
        put32(astrh, sample); // length in blocks
        put32(astrh, samplesPerFrame * 2);
        put32(astrh, quint32(-1));
        put32(astrh, 2);
        for (int i = 0; i < 4; ++i)
            put16(astrh, 0);

        QByteArray astrf;
        put16(astrf, 1); // PCM
        put16(astrf, 1); // mono
        put32(astrf, rate);
        put32(astrf, rate * 2);
        put16(astrf, 2);
        put16(astrf, 16);
        hdrl += list("strl", chunk("strh", astrh) + chunk("strf", astrf));
    }

    const QByteArray body = QByteArray("AVI ", 4) + list("hdrl", hdrl) + chunk("LIST", movi) + chunk("idx1", index);
    QByteArray file("RIFF", 4);
    put32(file, quint32(body.size()));
    file += body;

    QFile out(path);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    ASSERT_EQ(out.write(file), file.size());
}

// How long a clip of `plan` lasts, in milliseconds.
inline qint64 clipLengthMs(const ClipPlan& plan)
{
    return qint64(plan.frames.size()) * 1000 / plan.fps;
}

} // namespace yk::test
