#pragma once

#include <optional>

#include <QString>
#include <QStringList>

class QIODevice;

namespace yk::listfile {

// How much of a list file is read at most. Real lists stay far below these;
// a damaged file (a huge one, one without line ends, millions of bare line
// ends) is read only up to them, so it costs no more memory than a real list
// of that size would.
struct Limits
{
    // Lines read, comment lines included: a saved list of a million entries
    // (and the empty line after them) fits.
    int maxLines = 1 << 20;
    // Bytes read from the file altogether.
    qint64 maxBytes = qint64(64) << 20;
    // No path is this long (a path of 10,000 Japanese characters is about
    // 30,000 bytes of UTF-8 and still fits): a longer line is damage and is
    // left out alone, without ever being held whole. Counted in UTF-16
    // units, as QString::size() counts, whatever the file's encoding.
    qsizetype maxLineChars = 32 * 1024;
};

struct Lines
{
    QStringList lines;
    // Reading stopped at a limit before the end of the file.
    bool cutShort = false;
    // Lines longer than maxLineChars, left out; the file's last line was
    // one of them when lastLeftOut.
    int leftOut = 0;
    bool lastLeftOut = false;

    // Some of the file is missing from `lines`: the user should hear of it.
    bool incomplete() const { return cutShort || leftOut > 0; }
};

// The lines of a list file, split at CR LF, LF or CR, in order. A final line
// end does not make an extra empty line. The encoding is chosen from every
// byte read, as textfile::decode() does: UTF-8 with a byte-order mark or when
// valid, Shift-JIS (CP932) otherwise, so lists from a Japanese Windows system
// load unchanged. Equal lines in a row share one string, so a list repeating
// one path costs little more than the list itself.
Lines readLines(QIODevice& device, const Limits& limits = {});
// Empty optional when the file cannot be opened or read.
std::optional<Lines> readLines(const QString& path, const Limits& limits = {});

// A play list (the saved list or any M3U the user picks): every line is an
// entry exactly as read, an empty one included, except lines beginning with
// "#" and one empty line at the very end of the file (the one a save
// leaves there). Files are not tested for existence.
struct PlayList
{
    QStringList entries;
    bool cutShort = false;
    int leftOut = 0; // over-long lines, comments among them

    bool incomplete() const { return cutShort || leftOut > 0; }
};
// Empty optional when the file does not exist or cannot be read: the caller
// keeps its list.
std::optional<PlayList> readPlayList(const QString& path, const Limits& limits = {});

// The text a save writes: each entry followed by CR LF, then one more CR LF,
// so an empty list is one empty line.
QString playListText(const QStringList& entries);
// Writes the list in UTF-8 through the atomic writer: the file is replaced
// whole or, on failure (false), left as it was. The same bytes as
// textfile::writeText(path, playListText(entries)), encoded entry by entry
// without building the text first.
bool writePlayList(const QString& path, const QStringList& entries);

} // namespace yk::listfile
