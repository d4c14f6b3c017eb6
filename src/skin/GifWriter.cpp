#include "skin/GifWriter.h"

#include "platform/TextFile.h"

#include <QHash>

#include <vector>

namespace yk {

namespace {

constexpr int kMaxOpaqueColours = 255; // one index stays for transparency

// Reduces colours by dropping low bits until the palette fits.
std::vector<QRgb> quantised(const QImage& image, int dropBits)
{
    std::vector<QRgb> out;
    out.reserve(size_t(image.width()) * size_t(image.height()));
    const int keep = 0xFF & (0xFF << dropBits);
    const int half = dropBits > 0 ? (1 << (dropBits - 1)) : 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = line[x];
            if (qAlpha(c) < 128) {
                out.push_back(0);
                continue;
            }
            auto ch = [&](int v) { return std::min(255, (v & keep) + half); };
            out.push_back(qRgb(ch(qRed(c)), ch(qGreen(c)), ch(qBlue(c))));
        }
    }
    return out;
}

class BitWriter
{
public:
    void put(int code, int width)
    {
        m_acc |= quint32(code) << m_bits;
        m_bits += width;
        while (m_bits >= 8) {
            m_bytes.push_back(char(m_acc & 0xFF));
            m_acc >>= 8;
            m_bits -= 8;
        }
    }
    QByteArray finish()
    {
        if (m_bits > 0)
            m_bytes.push_back(char(m_acc & 0xFF));
        m_acc = 0;
        m_bits = 0;
        return m_bytes;
    }

private:
    QByteArray m_bytes;
    quint32 m_acc = 0;
    int m_bits = 0;
};

// Standard variable-width LZW as GIF wants it (codes up to 12 bits).
QByteArray lzw(const std::vector<quint8>& indices, int minCodeSize)
{
    const int clearCode = 1 << minCodeSize;
    const int endCode = clearCode + 1;
    BitWriter out;
    QHash<quint32, int> table;
    int nextCode = endCode + 1;
    int width = minCodeSize + 1;

    auto reset = [&] {
        table.clear();
        nextCode = endCode + 1;
        width = minCodeSize + 1;
    };

    out.put(clearCode, width);
    if (indices.empty()) {
        out.put(endCode, width);
        return out.finish();
    }
    int prefix = indices[0];
    for (size_t i = 1; i < indices.size(); ++i) {
        const int k = indices[i];
        const quint32 key = (quint32(prefix) << 8) | quint32(k);
        const auto found = table.constFind(key);
        if (found != table.constEnd()) {
            prefix = found.value();
            continue;
        }
        out.put(prefix, width);
        if (nextCode < 4096) {
            table.insert(key, nextCode);
            // The decoder widens one code later than the encoder adds,
            // so widen once the code just added needs the next bit.
            if (nextCode == (1 << width) && width < 12)
                ++width;
            ++nextCode;
        } else {
            out.put(clearCode, width);
            reset();
        }
        prefix = k;
    }
    out.put(prefix, width);
    out.put(endCode, width);
    return out.finish();
}

void putWord(QByteArray& out, int v)
{
    out.push_back(char(v & 0xFF));
    out.push_back(char((v >> 8) & 0xFF));
}

} // namespace

QByteArray encodeGif(const QImage& source)
{
    if (source.isNull() || source.width() > 0xFFFF || source.height() > 0xFFFF)
        return {};
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);

    bool anyTransparent = false;
    std::vector<QRgb> pixels;
    QHash<QRgb, int> palette;
    for (int drop = 0; drop <= 5; ++drop) {
        pixels = quantised(image, drop);
        palette.clear();
        anyTransparent = false;
        bool fits = true;
        for (int y = 0, i = 0; y < image.height() && fits; ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x, ++i) {
                if (qAlpha(line[x]) < 128) {
                    anyTransparent = true;
                    continue;
                }
                if (!palette.contains(pixels[size_t(i)])) {
                    if (palette.size() == kMaxOpaqueColours) {
                        fits = false;
                        break;
                    }
                    palette.insert(pixels[size_t(i)], int(palette.size()));
                }
            }
        }
        if (fits)
            break;
    }
    // Dropping five bits leaves at most 8*8*8 = 512 colours, which could
    // still overflow; the last pass then maps what is left to index 0.

    const int transparentIndex = int(palette.size());
    int colours = transparentIndex + (anyTransparent ? 1 : 0);
    int depth = 1;
    while ((1 << depth) < std::max(colours, 2))
        ++depth;

    std::vector<quint8> indices;
    indices.reserve(pixels.size());
    for (int y = 0, i = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x, ++i) {
            if (qAlpha(line[x]) < 128)
                indices.push_back(quint8(transparentIndex));
            else
                indices.push_back(quint8(palette.value(pixels[size_t(i)], 0)));
        }
    }

    QByteArray out("GIF89a");
    putWord(out, image.width());
    putWord(out, image.height());
    out.push_back(char(0x80 | ((depth - 1) << 4) | (depth - 1))); // global table
    out.push_back('\0'); // background colour index
    out.push_back('\0'); // square pixels

    std::vector<QRgb> table(size_t(1) << depth, qRgb(0, 0, 0));
    for (auto it = palette.constBegin(); it != palette.constEnd(); ++it)
        table[size_t(it.value())] = it.key();
    for (QRgb c : table) {
        out.push_back(char(qRed(c)));
        out.push_back(char(qGreen(c)));
        out.push_back(char(qBlue(c)));
    }

    if (anyTransparent) {
        out.append("\x21\xF9\x04", 3);
        out.push_back('\x01'); // transparent colour given, no disposal
        putWord(out, 0);       // no delay
        out.push_back(char(transparentIndex));
        out.push_back('\0');
    }

    out.push_back('\x2C'); // image descriptor
    putWord(out, 0);
    putWord(out, 0);
    putWord(out, image.width());
    putWord(out, image.height());
    out.push_back('\0'); // no local table, not interlaced

    const int minCodeSize = std::max(2, depth);
    out.push_back(char(minCodeSize));
    const QByteArray data = lzw(indices, minCodeSize);
    for (qsizetype pos = 0; pos < data.size(); pos += 255) {
        const qsizetype n = std::min<qsizetype>(255, data.size() - pos);
        out.push_back(char(n));
        out.append(data.constData() + pos, n);
    }
    out.push_back('\0'); // block terminator
    out.push_back('\x3B'); // trailer
    return out;
}

bool writeGif(const QImage& image, const QString& path)
{
    const QByteArray bytes = encodeGif(image);
    if (bytes.isEmpty())
        return false;
    return textfile::writeBytesAtomically(path, bytes);
}

} // namespace yk
