#include "FuzzTargets.h"
#include "ScratchFolder.h"

#include "platform/TextFile.h"
#include "core/Settings.h"

#include <QBuffer>

#include <algorithm>

namespace yk::fuzz {
namespace {

// Where the line reader may stop at the latest: just past the end of line
// `maxLines` (a CR LF counting as one end), or the end of the input.
qsizetype endOfLine(const QByteArray& bytes, int maxLines)
{
    int lines = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c != '\r' && c != '\n')
            continue;
        if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            ++i;
        if (++lines == maxLines)
            return i + 1;
    }
    return bytes.size();
}

// The bounded reader against the plain one: the same lines, as far as
// they are short enough, and nothing read past the last line it needs.
void checkLineReader(const QByteArray& bytes, int maxLines, qsizetype maxLineChars)
{
    QByteArray copy = bytes;
    QBuffer device(&copy);
    YK_FUZZ_CHECK(device.open(QIODevice::ReadOnly));
    const QStringList lines = textfile::readFirstLines(device, maxLines, maxLineChars);

    const qsizetype end = endOfLine(bytes, maxLines);
    YK_FUZZ_CHECK(device.pos() <= end);
    YK_FUZZ_CHECK(lines.size() <= maxLines);

    // The same lines from the whole input at once: the first maxLines raw
    // lines, up to the first that cannot fit even counted in bytes (three
    // a character at most, a BOM besides), decoded together, up to the
    // first with too many characters.
    qsizetype usedEnd = 0;
    for (qsizetype start = 0; start < end;) {
        qsizetype stop = start;
        while (stop < end && bytes[stop] != '\r' && bytes[stop] != '\n')
            ++stop;
        if (stop - start > 3 * maxLineChars + 3)
            break;
        usedEnd = std::min(end, stop + ((bytes.mid(stop, 2) == "\r\n") ? 2 : 1));
        start = usedEnd;
    }
    QStringList expected = textfile::splitLines(textfile::decode(bytes.left(usedEnd)));
    for (qsizetype i = 0; i < expected.size(); ++i) {
        if (expected[i].size() > maxLineChars) {
            expected = expected.mid(0, i);
            break;
        }
    }
    YK_FUZZ_CHECK(lines == expected);
    // A short file holding nothing too long reads exactly as a whole file.
    if (end == bytes.size() && expected.size() == textfile::splitLines(textfile::decode(bytes)).size())
        YK_FUZZ_CHECK(lines == textfile::splitLines(textfile::decode(bytes)));
}

} // namespace

int fuzzSettingsReader(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));

    // Small limits reach the edges of the reader with small inputs; the
    // file's own line count and no length limit are among the choices.
    const int lineChoice = bytes.isEmpty() ? 0 : uchar(bytes[0]) % 9;
    const int charChoice = bytes.size() < 2 ? 0 : uchar(bytes[1]) % 25;
    checkLineReader(bytes, lineChoice == 8 ? Settings::kLineCount : 1 + lineChoice,
                    charChoice == 24 ? 1 << 20 : 1 + charChoice);

    const QString path = scratchPath(QStringLiteral("System/viw.ini"));
    writeAll(path, bytes);
    SettingsHost host;
    Settings first(path);
    YK_FUZZ_CHECK(first.Load(host));
    YK_FUZZ_CHECK(first.Save(host));
    const QByteArray saved = readAll(path);
    YK_FUZZ_CHECK(textfile::splitLines(textfile::decode(saved)).size() == Settings::kLineCount);

    // What was saved reads back to the same settings, so saving them again
    // writes the same file. The one change allowed: an empty background
    // mode is written as a blank, which reads back as mode "1".
    Settings second(path);
    YK_FUZZ_CHECK(second.Load(host));
    YK_FUZZ_CHECK(second.Save(host));
    const QByteArray resaved = readAll(path);
    if (resaved != saved) {
        QStringList lines = textfile::splitLines(textfile::decode(saved));
        YK_FUZZ_CHECK(lines.size() == Settings::kLineCount && lines[13] == u" ");
        lines[13] = QStringLiteral("1");
        YK_FUZZ_CHECK(textfile::splitLines(textfile::decode(resaved)) == lines);
    }
    // From then on nothing changes.
    Settings third(path);
    YK_FUZZ_CHECK(third.Load(host));
    YK_FUZZ_CHECK(third.Save(host));
    YK_FUZZ_CHECK(readAll(path) == resaved);
    return 0;
}

} // namespace yk::fuzz
