#include "FuzzTargets.h"
#include "ScratchFolder.h"

#include "platform/TextFile.h"

#include <QStringDecoder>

namespace yk::fuzz {

int fuzzTextDecoding(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString text = textfile::decode(bytes);
    const QStringList lines = textfile::splitLines(text);

    // UTF-8 decodes without loss: only a byte-order mark in the first three
    // bytes is dropped, every other character is kept.
    const QByteArrayView rest = QByteArrayView(bytes).sliced(bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0);
    QStringDecoder strict(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    const QString plain = strict.decode(rest);
    if (!strict.hasError())
        YK_FUZZ_CHECK(text == plain && text.toUtf8() == rest);
    for (const QString& line : lines)
        YK_FUZZ_CHECK(!line.contains(u'\r') && !line.contains(u'\n'));

    // The file as read from disk is the same as decoded in memory.
    const QString path = scratchPath(QStringLiteral("text.txt"));
    writeAll(path, bytes);
    YK_FUZZ_CHECK(textfile::readText(path) == text);
    YK_FUZZ_CHECK(textfile::readLines(path) == lines);

    // Written back, the text keeps every character; only its line breaks
    // become CR LF, so it splits into the same lines.
    YK_FUZZ_CHECK(textfile::writeText(path, text));
    const std::optional<QString> again = textfile::readText(path);
    YK_FUZZ_CHECK(again.has_value());
    YK_FUZZ_CHECK(textfile::splitLines(*again) == lines);
    QString flattened = text;
    flattened.remove(u'\r').remove(u'\n');
    QString againFlattened = *again;
    againFlattened.remove(u'\r').remove(u'\n');
    YK_FUZZ_CHECK(againFlattened == flattened);

    // Once written, a text is settled: writing what was read changes nothing.
    const QByteArray written = readAll(path);
    YK_FUZZ_CHECK(textfile::writeText(path, *again));
    YK_FUZZ_CHECK(readAll(path) == written);

    YK_FUZZ_CHECK(textfile::writeLines(path, lines));
    YK_FUZZ_CHECK(textfile::readLines(path) == lines);
    return 0;
}

} // namespace yk::fuzz
