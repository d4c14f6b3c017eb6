#include "ScratchFolder.h"

#include "FuzzTargets.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace yk::fuzz {

QString scratchPath(const QString& name)
{
    // Every write is flushed to disk (the program's writer syncs), which
    // on a real disk makes a fuzzer crawl: memory-backed storage when there.
    static QTemporaryDir dir(QFileInfo(QStringLiteral("/dev/shm")).isWritable()
                                 ? QStringLiteral("/dev/shm/yk-fuzz-XXXXXX")
                                 : QDir::tempPath() + QStringLiteral("/yk-fuzz-XXXXXX"));
    YK_FUZZ_CHECK(dir.isValid());
    const QString path = dir.filePath(name);
    QDir().mkpath(QFileInfo(path).path());
    return path;
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    YK_FUZZ_CHECK(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    YK_FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    YK_FUZZ_CHECK(file.write(bytes) == bytes.size());
}

} // namespace yk::fuzz
