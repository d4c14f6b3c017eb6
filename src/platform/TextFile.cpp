#include "platform/TextFile.h"

#include <algorithm>
#include <cerrno>
#include <string_view>
#include <iconv.h>

#include <QFile>
#include <QIODevice>
#include <QSaveFile>
#include <QStringDecoder>

namespace yk::cp932 {
namespace {

// One iconv descriptor per direction and thread: opening one costs a module
// lookup, and ID3 tags are decoded in bulk during a media scan.
class Converter
{
public:
    Converter(const char* to, const char* from)
        : m_cd(iconv_open(to, from))
    {
        if (m_cd == reinterpret_cast<iconv_t>(-1) && std::string_view(from) == "CP932")
            m_cd = iconv_open(to, "SHIFT_JIS");
        if (m_cd == reinterpret_cast<iconv_t>(-1) && std::string_view(to) == "CP932")
            m_cd = iconv_open("SHIFT_JIS", from);
    }
    ~Converter()
    {
        if (valid())
            iconv_close(m_cd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    // Converts `in`; at a sequence the target cannot hold (or the source does
    // not form) `skip(ptr, left)` tells how many input bytes to drop and
    // `replacement` is written instead. Returns false when anything was replaced.
    template <typename Skip>
    bool convert(const QByteArray& in, QByteArray& out, const QByteArray& replacement, Skip skip)
    {
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        bool clean = true;
        out.clear();
        out.reserve(in.size() * 2 + 8);
        char* src = const_cast<char*>(in.constData());
        size_t srcLeft = static_cast<size_t>(in.size());
        char buffer[1024];
        while (srcLeft > 0) {
            char* dst = buffer;
            size_t dstLeft = sizeof buffer;
            const size_t r = iconv(m_cd, &src, &srcLeft, &dst, &dstLeft);
            out.append(buffer, dst - buffer);
            if (r != static_cast<size_t>(-1))
                continue;
            if (errno == E2BIG)
                continue;
            // EILSEQ or EINVAL (a cut-off sequence at the end): replace and go on.
            clean = false;
            out.append(replacement);
            const size_t n = std::min(srcLeft, skip(src, srcLeft));
            src += n;
            srcLeft -= n;
            iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        }
        char* dst = buffer;
        size_t dstLeft = sizeof buffer;
        iconv(m_cd, nullptr, nullptr, &dst, &dstLeft);
        out.append(buffer, dst - buffer);
        return clean;
    }

private:
    iconv_t m_cd;
};

size_t utf8SequenceLength(const char* p, size_t left)
{
    const auto c = static_cast<unsigned char>(*p);
    size_t n = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    return std::min(n, left);
}

} // namespace

QByteArray encode(const QString& text, bool* ok)
{
    thread_local Converter converter("CP932", "UTF-8");
    QByteArray out;
    bool clean = true;
    if (converter.valid()) {
        clean = converter.convert(text.toUtf8(), out, QByteArrayLiteral("?"),
                                  [](const char* p, size_t left) { return utf8SequenceLength(p, left); });
    } else {
        // No converter installed: keep ASCII, mark the rest as lost.
        for (QChar c : text) {
            if (c.unicode() < 0x80) {
                out.append(static_cast<char>(c.unicode()));
            } else if (!c.isLowSurrogate()) {
                out.append('?');
                clean = false;
            }
        }
    }
    if (ok)
        *ok = clean;
    return out;
}

QString decode(const QByteArray& bytes)
{
    thread_local Converter converter("UTF-8", "CP932");
    if (!converter.valid())
        return QString::fromLatin1(bytes);
    QByteArray utf8;
    converter.convert(bytes, utf8, QByteArrayLiteral("\xEF\xBF\xBD"),
                      [](const char*, size_t) { return size_t(1); });
    return QString::fromUtf8(utf8);
}

} // namespace yk::cp932

namespace yk::textfile {
namespace {

// Strict UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF.
// Shift-JIS text almost never passes this, so it decides the encoding.
bool isValidUtf8(const QByteArray& bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const auto* end = p + bytes.size();
    while (p < end) {
        const unsigned char c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        int n;
        char32_t cp;
        if (c >= 0xC2 && c <= 0xDF) {
            n = 1;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            n = 2;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            n = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (end - p <= n)
            return false;
        for (int i = 1; i <= n; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (p[i] & 0x3F);
        }
        if ((n == 2 && cp < 0x800) || (n == 3 && (cp < 0x10000 || cp > 0x10FFFF))
            || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        p += n + 1;
    }
    return true;
}

// Every line break becomes CR LF, whatever the caller used.
QString toCrLf(const QString& text)
{
    QString out;
    out.reserve(text.size() + text.size() / 16);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\r') {
            if (i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
            out += u"\r\n";
        } else if (c == u'\n') {
            out += u"\r\n";
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

QString decode(const QByteArray& bytes)
{
    // QString::fromUtf8 would drop a leading U+FEFF as a byte-order mark of
    // its own. Only the file's first three bytes can be the mark: any U+FEFF
    // after them is text.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return utf8.decode(QByteArrayView(bytes).sliced(3));
    if (isValidUtf8(bytes))
        return utf8.decode(bytes);
    return cp932::decode(bytes);
}

QStringList splitLines(const QString& text)
{
    QStringList lines;
    forEachLine(text, [&lines](QStringView line) { lines.append(line.toString()); });
    return lines;
}

std::optional<QString> readText(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return decode(bytes);
}

std::optional<QStringList> readLines(const QString& path)
{
    auto text = readText(path);
    if (!text)
        return std::nullopt;
    return splitLines(*text);
}

LimitedRead readTextUpTo(const QString& path, qint64 maxBytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    if (file.size() > maxBytes)
        return {LimitedRead::TooLarge, {}};
    // The size can lie (a file still growing, a device): one byte more than
    // allowed is enough to tell.
    const QByteArray bytes = file.read(maxBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return {};
    if (bytes.size() > maxBytes)
        return {LimitedRead::TooLarge, {}};
    return {LimitedRead::Read, decode(bytes)};
}

QStringList readFirstLines(QIODevice& device, int maxLines, qsizetype maxLineChars)
{
    // Each UTF-16 unit comes from at most three bytes, of UTF-8 or of
    // Shift-JIS, so a raw line past this is too long without decoding it.
    // The first line may carry a BOM besides.
    const qsizetype maxLineBytes = 3 * maxLineChars + 3;
    QByteArray used;
    int lines = 0;
    qsizetype lineBytes = 0;
    bool tooLong = false;
    char c = 0;
    while (lines < maxLines && device.getChar(&c)) {
        if (c != '\r' && c != '\n') {
            if (++lineBytes > maxLineBytes) {
                tooLong = true;
                break;
            }
            used += c;
            continue;
        }
        used += c;
        ++lines;
        lineBytes = 0;
        char next = 0;
        if (c == '\r' && device.peek(&next, 1) == 1 && next == '\n' && device.getChar(&next))
            used += next;
    }
    if (tooLong)
        used.truncate(used.size() - lineBytes + 1);

    QStringList out;
    bool stopped = false;
    forEachLine(decode(used), [&](QStringView line) {
        if (stopped || out.size() >= maxLines)
            return;
        if (line.size() > maxLineChars)
            stopped = true;
        else
            out.append(line.toString());
    });
    return out;
}

std::optional<QStringList> readFirstLines(const QString& path, int maxLines, qsizetype maxLineChars)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QStringList lines = readFirstLines(file, maxLines, maxLineChars);
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return lines;
}

bool writeText(const QString& path, const QString& text)
{
    const QString crlf = toCrLf(text);
    if (!crlf.startsWith(QChar(0xFEFF)))
        return writeBytesAtomically(path, crlf.toUtf8());
    return writeBytesAtomically(path, QByteArrayLiteral("\xEF\xBB\xBF") + crlf.toUtf8());
}

bool writeBytesAtomically(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // QSaveFile::commit() does not notice a failure while flushing its
    // buffer (a full disk) and would put a cut-off file in place: flush here.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        file.cancelWriting();
        file.commit();
        return false;
    }
    return file.commit();
}

bool writeLines(const QString& path, const QStringList& lines)
{
    QString text;
    for (const QString& line : lines) {
        text += line;
        text += u"\r\n";
    }
    return writeText(path, text);
}

} // namespace yk::textfile
