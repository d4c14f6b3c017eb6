#pragma once

#include <optional>

#include <QByteArray>
#include <QString>
#include <QStringList>

class QIODevice;

namespace yk::textfile {

// Every text file of the program goes through here. Lines end in CR LF when
// written. Reading takes UTF-8 when the bytes carry a BOM or are valid UTF-8,
// and Shift-JIS (CP932) otherwise, so files from a Japanese Windows system
// open unchanged. Writing is UTF-8 without a BOM, and atomic: the old file
// stays whole until the new one is complete. The one exception is text that
// itself begins with U+FEFF: reading takes a leading mark for the BOM, so
// such text is written behind a BOM of its own to come back whole.

QString decode(const QByteArray& bytes);
// Splits at CR LF, LF or CR. A final line end does not make an extra empty line.
QStringList splitLines(const QString& text);
// Calls visit(QStringView line) for each line splitLines() would give, in
// order, without building the list (a file of bare line ends would make
// millions of strings).
template <typename Visit>
void forEachLine(QStringView text, Visit&& visit)
{
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n')
            continue;
        visit(text.mid(start, i - start));
        if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        visit(text.mid(start));
}

// Empty optional when the file cannot be opened.
std::optional<QString> readText(const QString& path);
std::optional<QStringList> readLines(const QString& path);

// The whole text of a file that may be no larger than maxBytes; a larger
// one is not read at all.
struct LimitedRead
{
    enum Status { Read, CannotOpen, TooLarge };
    Status status = CannotOpen;
    QString text;
};
LimitedRead readTextUpTo(const QString& path, qint64 maxBytes);

// The first maxLines lines of a file whose lines are known to be short,
// read from the device no further than they reach: however large a damaged
// file is, only these lines are read, held and decoded. A line of more than
// maxLineChars characters is damage too: reading stops as soon as it shows,
// and it is left out with everything after it. The encoding is chosen from
// the bytes read, as decode() does.
QStringList readFirstLines(QIODevice& device, int maxLines, qsizetype maxLineChars);
// Empty optional when the file cannot be opened.
std::optional<QStringList> readFirstLines(const QString& path, int maxLines, qsizetype maxLineChars);
bool writeText(const QString& path, const QString& text);
// Each line followed by CR LF, the last one included.
bool writeLines(const QString& path, const QStringList& lines);

// Any file, text or not: the bytes land whole under `path` or not at all.
bool writeBytesAtomically(const QString& path, const QByteArray& bytes);

} // namespace yk::textfile

namespace yk::cp932 {

// Shift-JIS as Windows writes it (CP932, with the NEC and IBM extensions).
// Characters CP932 cannot hold become '?' and clear *ok.
QByteArray encode(const QString& text, bool* ok = nullptr);
QString decode(const QByteArray& bytes);

} // namespace yk::cp932
