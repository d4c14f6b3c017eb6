#pragma once

#include <sys/resource.h>

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <gtest/gtest.h>

namespace yk::test {

// The process's peak resident memory so far, in bytes. Only ever grows, so
// the cost of one call is the difference of the peaks around it, as long as
// nothing before it peaked higher.
inline qint64 peakResidentBytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return qint64(usage.ru_maxrss) * 1024;
}

// Writes `head` followed by `fill` repeated up to `size` bytes in all, one
// small block at a time so that making a huge file costs no memory itself.
inline void writeFilledFile(const QString& path, const QByteArray& head, char fill, qint64 size)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(head), head.size());
    const QByteArray block(1 << 16, fill);
    for (qint64 left = size - head.size(); left > 0; left -= block.size())
        ASSERT_EQ(f.write(block.constData(), std::min<qint64>(left, block.size())),
                  std::min<qint64>(left, block.size()));
}

// What one call costs in peak memory and time.
struct Cost
{
    qint64 peakGrowth = 0; // bytes
    qint64 ms = 0;
};

template <typename F>
Cost measure(F&& f)
{
    const qint64 before = peakResidentBytes();
    QElapsedTimer clock;
    clock.start();
    f();
    return {peakResidentBytes() - before, clock.elapsed()};
}

} // namespace yk::test
