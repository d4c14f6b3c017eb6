#pragma once

#include <optional>

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

namespace yk::id3 {

// The version 1 tag: the last 128 bytes of a music file, "TAG" and then
// fixed-width text fields in Shift-JIS (CP932), as a Japanese system writes
// them, and one genre byte.
inline constexpr int kTagSize = 128;
inline constexpr int kTitleWidth = 30;
inline constexpr int kArtistWidth = 30;
inline constexpr int kAlbumWidth = 30;
inline constexpr int kYearWidth = 4;
inline constexpr int kCommentWidth = 30;
// Version 1.1 keeps a track number in the comment's last byte, behind a NUL:
// a comment of up to 28 bytes leaves room for it.
inline constexpr int kCommentWithTrackWidth = 28;
// The byte that, by the format's own rule, names no genre.
inline constexpr quint8 kNoGenre = 255;

struct Tag
{
    QString title;
    QString artist;
    QString album;
    QString year;
    QString comment;
    quint8 genre = 0;
    quint8 track = 0; // 0: none

    bool operator==(const Tag&) const = default;
};

// A field as read: the bytes up to the first NUL, decoded, with the spaces at
// both ends trimmed (other blanks are text). A comment that carries a track
// number behind a NUL (version 1.1) ends at that NUL.
QString decodeField(QByteArrayView bytes);
// A field as written: the text in CP932, cut to at most `width` bytes where
// a character ends (a double-byte character never loses its second byte),
// then padded with spaces to exactly `width` bytes. Characters CP932 cannot
// hold become '?'.
QByteArray encodeField(const QString& text, int width);
// The text the editor shows once a field is fitted: encodeField() decoded,
// spaces kept.
QString fittedText(const QString& text, int width);

// The tag in a 128-byte block; empty unless the block is exactly 128 bytes
// and begins with "TAG".
std::optional<Tag> parseTag(QByteArrayView block);
// The 128-byte block for a tag, every field fitted by encodeField(); the
// track number goes behind the comment when the comment leaves room for it.
QByteArray tagBlock(const Tag& tag);

// The tag at the end of a file; empty when the path is blank, the file
// cannot be read, is shorter than a tag, or has none.
std::optional<Tag> readTag(const QString& path);

// The genre list, 153 names spelled as the list shows them.
const QStringList& genreNames();
// List index for a genre byte: 0..147 map to themselves, 251..255 to the
// Japanese genres 148..152; -1 (nothing selected) for 148..250.
int genreIndexForByte(quint8 genre);
// The byte saved for a name: the first of entries 0..147 that equals it, the
// Japanese genres 251..255; none for a name that matches nothing.
std::optional<quint8> genreByteForName(const QString& name);

// The name of a track for the player and the now-playing announcement: the
// tag's title when there is a tag with a title, else the file name less its
// last four characters (its extension, usually).
QString trackName(const QString& path, const std::optional<Tag>& tag);

} // namespace yk::id3
