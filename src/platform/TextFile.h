#pragma once

#include <optional>

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace yk::textfile {

// Every text file of the program goes through here. Lines end in CR LF when
// written. Reading takes UTF-8 when the bytes carry a BOM or are valid UTF-8,
// and Shift-JIS (CP932) otherwise, so files from a Japanese Windows system
// open unchanged. Writing is UTF-8 without a BOM, and atomic: the old file
// stays whole until the new one is complete.

QString decode(const QByteArray& bytes);
// Splits at CR LF, LF or CR. A final line end does not make an extra empty line.
QStringList splitLines(const QString& text);
// Empty optional when the file cannot be opened.
std::optional<QString> readText(const QString& path);
std::optional<QStringList> readLines(const QString& path);
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
