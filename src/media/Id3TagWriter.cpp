#include "media/Id3TagWriter.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QtConcurrent/QtConcurrentRun>

namespace yk::id3 {
namespace {

// Large enough that a music file copies in a few dozen reads, small enough
// not to matter in memory.
constexpr qint64 kChunk = 1 << 20;

WriteResult fail(WriteResult::Status status, const QString& detail = {})
{
    return WriteResult{status, detail};
}

// Copies the first `count` bytes of `from` to `to`.
bool copyPrefix(QFile& from, QSaveFile& to, qint64 count)
{
    if (!from.seek(0))
        return false;
    QByteArray buffer;
    while (count > 0) {
        buffer = from.read(qMin(count, kChunk));
        if (buffer.isEmpty())
            return false;
        if (to.write(buffer) != buffer.size())
            return false;
        count -= buffer.size();
    }
    return true;
}

} // namespace

WriteResult writeTag(const QString& path, const Tag& tag)
{
    if (path.trimmed().isEmpty())
        return fail(WriteResult::Status::NoPath);
    const QFileInfo info(path);
    if (!info.isFile())
        return fail(WriteResult::Status::Missing);

    // Opening the old file for writing, though only the new one is written,
    // asks the system whether this file may be changed at all: replacing it
    // through its folder would otherwise get round a read-only file.
    QFile original(path);
    if (!original.open(QIODevice::ReadWrite | QIODevice::ExistingOnly)) {
        const bool gone = !QFileInfo::exists(path);
        return fail(gone ? WriteResult::Status::Missing : WriteResult::Status::ReadOnly, original.errorString());
    }

    const qint64 size = original.size();
    bool tagged = false;
    if (size >= kTagSize) {
        if (!original.seek(size - kTagSize))
            return fail(WriteResult::Status::Failed, original.errorString());
        const QByteArray tail = original.read(kTagSize);
        if (tail.size() != kTagSize)
            return fail(WriteResult::Status::Failed, original.errorString());
        tagged = tail.startsWith("TAG");
    }

    // A link stays a link: the file it points to is the one replaced.
    const QString target = info.isSymLink() ? info.canonicalFilePath() : path;
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly))
        return fail(WriteResult::Status::Failed, out.errorString());
    out.setPermissions(original.permissions());
    // Flushed here: commit() does not notice a write that fails while it
    // empties the buffer (a full disk) and would put a cut-off file in place.
    if (!copyPrefix(original, out, tagged ? size - kTagSize : size) || out.write(tagBlock(tag)) != kTagSize
        || !out.flush()) {
        const QString why = out.error() != QFileDevice::NoError ? out.errorString() : original.errorString();
        out.cancelWriting();
        return fail(WriteResult::Status::Failed, why);
    }
    if (!out.commit())
        return fail(WriteResult::Status::Failed, out.errorString());
    return WriteResult{WriteResult::Status::Written, {}};
}

QFuture<WriteResult> writeTagAsync(const QString& path, const Tag& tag)
{
    return QtConcurrent::run([path, tag] { return writeTag(path, tag); });
}

QString failureMessage(const WriteResult& result)
{
    switch (result.status) {
    case WriteResult::Status::Written:
        return {};
    case WriteResult::Status::NoPath:
        return QStringLiteral("ファイルが指定されていません。");
    case WriteResult::Status::Missing:
        return QStringLiteral("ファイルが見つかりません。");
    case WriteResult::Status::ReadOnly:
        return QStringLiteral("ファイルに書き込めません（読み取り専用）。");
    case WriteResult::Status::Failed:
        break;
    }
    return QStringLiteral("タグを保存できませんでした（ディスクの空き不足など）。");
}

} // namespace yk::id3
