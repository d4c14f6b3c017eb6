#pragma once

#include <QFuture>
#include <QString>

#include "media/FileRewrite.h"
#include "media/Id3Tag.h"

namespace yk::id3 {

using WriteResult = tagedit::WriteResult;
using tagedit::failureMessage;

// The tag's block at the end of the file: over the last 128 bytes when they
// begin with "TAG", else appended, so saving twice grows a file once.
//
// The file is written anew beside the old one and takes its name only once
// it is complete and on disk, so a full disk, a crash or a pulled drive at
// any moment leaves either the old file or the new one, never a file cut
// short or with half a tag. Its permission bits are kept. This reads and
// writes the whole file: for anything but small files, use writeTagAsync().
WriteResult writeTag(const QString& path, const Tag& tag);

// writeTag() on a worker thread.
QFuture<WriteResult> writeTagAsync(const QString& path, const Tag& tag);

// The block at the end of a file being rewritten: taken off when the last
// 128 bytes are a tag, and returned; empty when they are not.
QByteArray detachTag(tagedit::FileRewrite& file);

} // namespace yk::id3
