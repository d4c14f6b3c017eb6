#pragma once

#include <QFuture>
#include <QString>

#include "media/Id3Tag.h"

namespace yk::id3 {

// What became of a tag write. Anything but Written left the file exactly as
// it was.
struct WriteResult
{
    enum class Status {
        Written,
        NoPath,   // the path is blank
        Missing,  // no file at the path (or not a plain file)
        ReadOnly, // the file cannot be opened for writing
        Failed,   // reading or writing broke off (full disk, I/O error)
    };
    Status status = Status::Failed;
    QString detail; // the system's own words, when it gave any

    bool ok() const { return status == Status::Written; }
};

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

// One line for the user saying what went wrong; empty for Written.
QString failureMessage(const WriteResult& result);

} // namespace yk::id3
