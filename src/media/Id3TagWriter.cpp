#include "media/Id3TagWriter.h"

#include <QtConcurrent/QtConcurrentRun>

namespace yk::id3 {

QByteArray detachTag(tagedit::FileRewrite& file)
{
    const qint64 at = file.size() - kTagSize;
    QByteArray block = file.bytes(at, kTagSize);
    if (at < 0 || !parseTag(block))
        return {};
    file.replace(at, kTagSize, {});
    return block;
}

WriteResult writeTag(const QString& path, const Tag& tag)
{
    tagedit::FileRewrite file(path, tagedit::FileRewrite::Mode::Rewrite);
    if (!file.openResult().ok())
        return file.openResult();
    detachTag(file);
    file.replace(file.size(), 0, tagBlock(tag));
    return file.commit();
}

QFuture<WriteResult> writeTagAsync(const QString& path, const Tag& tag)
{
    return QtConcurrent::run([path, tag] { return writeTag(path, tag); });
}

} // namespace yk::id3
