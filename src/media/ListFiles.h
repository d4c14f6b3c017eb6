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
    // Lines read, comment lines included.
    int maxLines = 1'000'000;
    // Bytes read from the file altogether.
    qint64 maxBytes = qint64(64) << 20;
    // No path is this long: a longer line is damage and is left out alone,
    // without ever being held whole.
    qsizetype maxLineBytes = 16 * 1024;
};

struct Lines
{
    QStringList lines;
    // Reading stopped at a limit before the end of the file.
    bool cutShort = false;
};

// The lines of a list file, split at CR LF, LF or CR, in order. A final line
// end does not make an extra empty line. The encoding is chosen from every
// byte read, as textfile::decode() does: UTF-8 with a byte-order mark or when
// valid, Shift-JIS (CP932) otherwise, so lists from a Japanese Windows system
// load unchanged.
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
};
// Empty optional when the file does not exist or cannot be read: the caller
// keeps its list.
std::optional<PlayList> readPlayList(const QString& path, const Limits& limits = {});

// The text a save writes: each entry followed by CR LF, then one more CR LF,
// so an empty list is one empty line.
QString playListText(const QStringList& entries);
// Writes the list in UTF-8 through the atomic writer: the file is replaced
// whole or, on failure (false), left as it was.
bool writePlayList(const QString& path, const QStringList& entries);

} // namespace yk::listfile
