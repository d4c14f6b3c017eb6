#pragma once

#include <QFuture>
#include <QString>

#include "media/FileRewrite.h"

namespace yk::tagedit {

// Which tag the editor's boxes stand for in a file, chosen by the file's
// name (as the player chooses how to play it).
enum class TagKind {
    Id3v1,      // MP3 (MP2) without an ID3v2 tag: the 128-byte block alone
    Id3v1And2,  // MP3 with an ID3v2 tag: both, the ID3v2 tag read first
    Vorbis,     // Vorbis comments: FLAC, Ogg Vorbis, Opus
    Mp4,        // MP4 atoms: M4A, MP4
    Asf,        // ASF attributes: WMA, WMV
    None,       // a kind of file whose tags are not edited here
};

// The editor's boxes. The genre is a name; year and genre are text in every
// format, as the boxes hold them.
struct Fields
{
    QString title;
    QString artist;
    QString album;
    QString year;
    QString comment;
    QString genre;

    bool operator==(const Fields&) const = default;
};

struct FileTags
{
    enum class Status {
        Read,
        Missing,     // no file to read
        Unreadable,  // the bytes are not the format the name promises
        Unsupported, // TagKind::None
    };
    Status status = Status::Missing;
    TagKind kind = TagKind::None;
    // For an MP3, field by field the ID3v2 tag's text, else the ID3v1
    // block's; the block's genre byte as the list names it (none for a byte
    // without an entry).
    Fields fields;
};

// The file's own tags. Touches the disk: call it off the UI thread.
FileTags readFileTags(const QString& path);
QFuture<FileTags> readFileTagsAsync(const QString& path);

// Writes `after` into the tags `before` was read from. A field equal to
// what was read is left as the file has it, so what the editor could not
// show (a full date, several values, a long ID3v2 title behind a short
// ID3v1 one) stays. An MP3's ID3v1 block is written in full (CP932, fields
// cut to their widths); its genre byte stays unless the genre changed, and
// its track number stays while the comment leaves room for it. All of it
// lands in the file at once or not at all.
WriteResult writeFileTags(const QString& path, const FileTags& before, const Fields& after);
QFuture<WriteResult> writeFileTagsAsync(const QString& path, const FileTags& before, const Fields& after);

} // namespace yk::tagedit
