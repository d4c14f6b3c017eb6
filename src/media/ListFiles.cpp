#include "media/ListFiles.h"

#include <cstring>

#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>

#include "platform/TextFile.h"

namespace yk::listfile {
namespace {

const QByteArray kBom = QByteArrayLiteral("\xEF\xBB\xBF");

// Splits what the device gives into raw lines, block by block, so neither a
// huge file nor a huge line is ever held whole.
class LineSplitter
{
public:
    LineSplitter(QIODevice& device, const Limits& limits)
        : m_device(device)
        , m_limits(limits)
        // A UTF-16 unit comes from at most three bytes, of UTF-8 or of
        // Shift-JIS: a raw line past this is too long without decoding it.
        // The first line may carry a byte-order mark besides.
        , m_maxLineBytes(3 * limits.maxLineChars + 3)
    {
    }

    void run()
    {
        static constexpr qint64 kBlock = 64 * 1024;
        QByteArray block(kBlock, Qt::Uninitialized);
        // Room for the whole file at once rather than growing it step by
        // step; pages no line reaches are never touched, so cost nothing.
        if (!m_device.isSequential())
            m_kept.reserve(qMin(m_device.size() - m_device.pos(), m_limits.maxBytes) + 1);
        while (true) {
            const qint64 want = qMin(kBlock, m_limits.maxBytes - m_total);
            if (want <= 0) {
                // At the byte limit: a cut-off line is damage unless the file
                // really ends here.
                if (moreData(nullptr, 0, 0)) {
                    m_cutShort = true;
                    m_kept.truncate(m_lineStart);
                    return;
                }
                break;
            }
            const qint64 n = m_device.read(block.data(), want);
            if (n < 0) {
                m_failed = true;
                return;
            }
            if (n == 0)
                break;
            if (m_total == 0 && QByteArrayView(block.constData(), n).startsWith(kBom))
                m_bom = true;
            m_total += n;
            if (!split(block.constData(), n))
                return;
        }
        // A last line without a line end is a line all the same.
        if (m_kept.size() > m_lineStart || m_overlong)
            endLine();
    }

    // The kept lines, each followed by LF, and how many there are.
    QByteArray& kept() { return m_kept; }
    int keptCount() const { return m_keptCount; }
    int leftOut() const { return m_leftOut; }
    bool lastLeftOut() const { return m_lastLeftOut; }
    bool cutShort() const { return m_cutShort; }
    bool failed() const { return m_failed; }
    // The file began with a byte-order mark and its first line was kept.
    bool firstLineHasBom() const { return m_bom && m_firstLineKept; }

private:
    // False when a limit stopped the reading.
    bool split(const char* data, qint64 n)
    {
        qint64 i = 0;
        while (i < n) {
            if (m_pendingCr) {
                m_pendingCr = false;
                if (data[i] == '\n') {
                    ++i;
                    continue;
                }
            }
            qint64 j = i;
            while (j < n && data[j] != '\r' && data[j] != '\n')
                ++j;
            append(data + i, j - i);
            if (j == n)
                return true;
            m_pendingCr = data[j] == '\r';
            endLine();
            i = j + 1;
            if (m_lineCount >= m_limits.maxLines) {
                m_cutShort = moreData(data, i, n);
                return false;
            }
        }
        return true;
    }

    void append(const char* data, qint64 size)
    {
        if (m_overlong)
            return;
        if (m_kept.size() - m_lineStart + size > m_maxLineBytes) {
            m_overlong = true;
            m_kept.truncate(m_lineStart);
            return;
        }
        m_kept.append(data, size);
    }

    void endLine()
    {
        if (!m_overlong) {
            if (m_lineCount == 0)
                m_firstLineKept = true;
            m_kept.append('\n');
            m_lineStart = m_kept.size();
            ++m_keptCount;
        } else {
            ++m_leftOut;
        }
        m_lastLeftOut = m_overlong;
        m_overlong = false;
        ++m_lineCount;
    }

    // Whether anything but the LF of a CR LF pair follows position i.
    bool moreData(const char* data, qint64 i, qint64 n)
    {
        if (m_pendingCr && i < n && data[i] == '\n')
            ++i;
        if (i < n)
            return true;
        char c = 0;
        if (m_device.read(&c, 1) != 1)
            return false;
        if (!(m_pendingCr && i == n && c == '\n'))
            return true;
        return m_device.read(&c, 1) == 1;
    }

    QIODevice& m_device;
    const Limits& m_limits;
    const qsizetype m_maxLineBytes;
    // One buffer for every line kept: a buffer per line would cost more than
    // the reading itself on a list of many entries.
    QByteArray m_kept;
    qsizetype m_lineStart = 0;
    int m_keptCount = 0;
    int m_leftOut = 0;
    bool m_lastLeftOut = false;
    qint64 m_total = 0;
    int m_lineCount = 0;
    bool m_overlong = false;
    bool m_pendingCr = false;
    bool m_cutShort = false;
    bool m_failed = false;
    bool m_bom = false;
    bool m_firstLineKept = false;
};

} // namespace

Lines readLines(QIODevice& device, const Limits& limits)
{
    LineSplitter splitter(device, limits);
    splitter.run();
    Lines out;
    out.cutShort = splitter.cutShort();
    out.leftOut = splitter.leftOut();
    out.lastLeftOut = splitter.lastLeftOut();
    if (splitter.keptCount() == 0)
        return out;
    QByteArrayView kept(splitter.kept());
    kept.chop(1);
    if (splitter.firstLineHasBom())
        kept = kept.sliced(kBom.size());

    // Line ends split nothing in UTF-8 or Shift-JIS (both keep the bytes
    // below 0x40 to themselves), so the file is valid UTF-8 exactly when its
    // kept lines are, and each line decodes on its own: no copy of the whole
    // text is ever made. Stateless with the initial mark converted: a U+FEFF
    // at the start of a line is text, not a mark to drop.
    const bool utf8 = splitter.firstLineHasBom() || kept.isValidUtf8();
    QStringDecoder decoder(QStringDecoder::Utf8,
                           QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    // Decoded into one scratch buffer and copied out at its exact size: a
    // string decoded in place keeps room for as many characters as the
    // line has bytes, a third more than a Japanese path needs.
    QString scratch;
    auto decode = [&](QByteArrayView bytes) {
        if (!utf8) {
            QString line = cp932::decode(QByteArray::fromRawData(bytes.data(), bytes.size()));
            line.squeeze();
            return line;
        }
        scratch.resize(decoder.requiredSpace(bytes.size()));
        const QChar* end = decoder.appendToBuffer(scratch.data(), bytes);
        return QString(scratch.constData(), end - scratch.constData());
    };
    out.lines.reserve(splitter.keptCount());
    QByteArrayView previous;
    bool previousKept = false;
    for (qsizetype start = 0;;) {
        const char* lf = static_cast<const char*>(std::memchr(kept.data() + start, '\n', size_t(kept.size() - start)));
        const qsizetype end = lf ? lf - kept.data() : kept.size();
        const QByteArrayView bytes = kept.sliced(start, end - start);
        const bool same = start > 0 && bytes.size() == previous.size()
            && std::memcmp(bytes.data(), previous.data(), size_t(bytes.size())) == 0;
        if (same) {
            // One string for a run of equal lines.
            if (previousKept)
                out.lines.append(out.lines.constLast());
            else
                ++out.leftOut;
        } else {
            QString line = decode(bytes);
            previousKept = line.size() <= limits.maxLineChars;
            if (previousKept)
                out.lines.append(std::move(line));
            else
                ++out.leftOut;
        }
        previous = bytes;
        if (!lf)
            break;
        start = end + 1;
    }
    out.lastLeftOut = splitter.lastLeftOut() || !previousKept;
    return out;
}

std::optional<Lines> readLines(const QString& path, const Limits& limits)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    Lines lines = readLines(file, limits);
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return lines;
}

std::optional<PlayList> readPlayList(const QString& path, const Limits& limits)
{
    std::optional<Lines> read = readLines(path, limits);
    if (!read)
        return std::nullopt;
    PlayList list;
    list.cutShort = read->cutShort;
    list.leftOut = read->leftOut;
    // Filtered in place: a second list of a million entries would double
    // what the read holds.
    list.entries = std::move(read->lines);
    QStringList& lines = list.entries;
    // The empty line a save leaves at the end ends the list; it is no entry.
    if (!read->cutShort && !read->lastLeftOut && !lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    lines.removeIf([](const QString& line) { return line.startsWith(u'#'); });
    return list;
}

QString playListText(const QStringList& entries)
{
    qsizetype size = 2;
    for (const QString& entry : entries)
        size += entry.size() + 2;
    QString text;
    text.reserve(size);
    for (const QString& entry : entries) {
        text += entry;
        text += u"\r\n";
    }
    text += u"\r\n";
    return text;
}

bool writePlayList(const QString& path, const QStringList& entries)
{
    QByteArray bytes;
    // A mark in front of text that begins with U+FEFF, as writeText puts
    // one: the reader takes a leading mark for the byte-order mark.
    if (!entries.isEmpty() && entries.first().startsWith(QChar(0xFEFF)))
        bytes += kBom;
    qsizetype estimate = 2; // exact for ASCII paths; others grow the buffer
    for (const QString& entry : entries)
        estimate += entry.size() + 2;
    bytes.reserve(bytes.size() + estimate);
    QStringEncoder encoder(QStringEncoder::Utf8, QStringEncoder::Flag::Stateless);
    const auto append = [&](QStringView text) {
        const qsizetype at = bytes.size();
        bytes.resize(at + encoder.requiredSpace(text.size()));
        bytes.truncate(encoder.appendToBuffer(bytes.data() + at, text) - bytes.constData());
    };
    for (const QString& entry : entries) {
        // A line break inside a name (legal in a file name) is written as
        // CR LF, as any text file of the program writes its line breaks.
        if (entry.contains(u'\r') || entry.contains(u'\n'))
            append(QString(entry)
                       .replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
                       .replace(u'\r', u'\n')
                       .replace(QStringLiteral("\n"), QStringLiteral("\r\n")));
        else
            append(entry);
        bytes += "\r\n";
    }
    bytes += "\r\n";
    return textfile::writeBytesAtomically(path, bytes);
}

} // namespace yk::listfile
