#include "media/ListFiles.h"

#include <QFile>
#include <QStringDecoder>
#include <QStringTokenizer>

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
    {
    }

    void run()
    {
        static constexpr qint64 kBlock = 64 * 1024;
        QByteArray block(kBlock, Qt::Uninitialized);
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
        if (m_kept.size() - m_lineStart + size > m_limits.maxLineBytes) {
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
        }
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
    // One buffer for every line kept: a buffer per line would cost more than
    // the reading itself on a list of many entries.
    QByteArray m_kept;
    qsizetype m_lineStart = 0;
    int m_keptCount = 0;
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
    QByteArray& kept = splitter.kept();
    Lines out;
    out.cutShort = splitter.cutShort();
    if (splitter.keptCount() == 0)
        return out;
    kept.chop(1);
    const bool bom = splitter.firstLineHasBom();
    if (bom)
        kept.remove(0, kBom.size());

    // Line ends split nothing in UTF-8 or Shift-JIS (both keep the bytes
    // below 0x40 to themselves), so the kept lines joined by LF are valid
    // UTF-8 exactly when the file is, and decode to the same lines joined by
    // LF. Stateless with the initial mark converted: a U+FEFF left at the
    // start is text, not a mark to drop.
    const bool utf8 = bom || QByteArrayView(kept).isValidUtf8();
    auto decode = [utf8](QByteArrayView bytes) {
        if (!utf8)
            return cp932::decode(bytes.toByteArray());
        QStringDecoder decoder(QStringDecoder::Utf8,
                               QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
        return QString(decoder.decode(bytes));
    };
    const QString text = decode(kept);
    out.lines.reserve(splitter.keptCount());
    for (const QStringView line : QStringTokenizer(text, u'\n'))
        out.lines.append(line.toString());
    if (out.lines.size() != splitter.keptCount()) {
        // A decoder that took an LF into a replacement character: not seen,
        // but line by line is right whatever the decoder does.
        out.lines.clear();
        for (qsizetype start = 0; start <= kept.size();) {
            qsizetype end = kept.indexOf('\n', start);
            if (end < 0)
                end = kept.size();
            out.lines.append(decode(QByteArrayView(kept).sliced(start, end - start)));
            start = end + 1;
        }
    }
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
    QStringList& lines = read->lines;
    // The empty line a save leaves at the end ends the list; it is no entry.
    if (!read->cutShort && !lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    PlayList list;
    list.cutShort = read->cutShort;
    list.entries.reserve(lines.size());
    for (QString& line : lines) {
        if (!line.startsWith(u'#'))
            list.entries.append(std::move(line));
    }
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
    return textfile::writeText(path, playListText(entries));
}

} // namespace yk::listfile
