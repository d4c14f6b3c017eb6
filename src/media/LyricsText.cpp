#include "media/LyricsText.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <vector>

#include <QVarLengthArray>

#include "platform/TextFile.h"

namespace yk {

namespace {

// Larger than any lyrics file; a larger one is not lyrics and is not read.
constexpr qint64 kMaxFileBytes = 8 * 1024 * 1024;
constexpr int kNoNumber = std::numeric_limits<int>::min();
// The last second a classic stamp can name (99:59).
constexpr int kLastClassicSecond = 99 * 60 + 59;

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

int digit(QChar c)
{
    return c.unicode() - u'0';
}

// The value of the two-character field at `from`, or kNoNumber when it does
// not form a whole number.
int field(QStringView s, qsizetype from)
{
    if (s.size() < from + 2)
        return kNoNumber;
    const QChar a = s[from];
    const QChar b = s[from + 1];
    if (isDigit(a) && isDigit(b))
        return digit(a) * 10 + digit(b);
    if (isDigit(b)) {
        if (a == u' ' || a == u'+')
            return digit(b);
        return a == u'-' ? -digit(b) : kNoNumber;
    }
    if (isDigit(a) && (b == u' ' || b == u'.'))
        return digit(a);
    return kNoNumber;
}

// `piece` added to `out` up to kMaxLineLength, never splitting a pair.
void appendCapped(QString& out, QStringView piece)
{
    qsizetype room = LyricsText::kMaxLineLength - out.size();
    if (room <= 0)
        return;
    if (piece.size() > room && room > 0 && piece[room - 1].isHighSurrogate())
        --room;
    out += piece.left(room);
}

// The line's text less every ten-character tag, up to its closing tag.
QString withoutTags(QStringView s)
{
    QString out;
    const qsizetype last = s.size() - 11; // the closing tag is never taken
    qsizetype i = 0;
    while (i <= last && out.size() < LyricsText::kMaxLineLength) {
        if (s[i] == u'[' && i + 9 < s.size() && s[i + 9] == u']') {
            i += 10;
            continue;
        }
        const qsizetype n = s[i].isHighSurrogate() && i + 1 <= last ? 2 : 1;
        appendCapped(out, s.mid(i, n));
        i += n;
    }
    return out;
}

// An LRC stamp at s[at]: `open`, minutes, ":", seconds, optionally "." or
// ":" and a fraction, `close`.
struct Stamp
{
    qsizetype end = 0; // past the closing character; 0: no stamp here
    qint32 ms = -1;    // -1: shaped like a stamp but no time (seconds of 60...)

    explicit operator bool() const { return end != 0; }
};

Stamp readStamp(QStringView s, qsizetype at, QChar open, QChar close)
{
    if (at >= s.size() || s[at] != open)
        return {};
    qsizetype i = at + 1;
    const auto number = [&](int& value) {
        const qsizetype from = i;
        value = 0;
        while (i < s.size() && isDigit(s[i]) && i - from < 6)
            value = value * 10 + digit(s[i++]);
        return i - from;
    };
    int minutes = 0, seconds = 0, fraction = 0;
    const qsizetype minuteDigits = number(minutes);
    if (minuteDigits == 0 || i >= s.size() || s[i] != u':')
        return {};
    ++i;
    const qsizetype secondDigits = number(seconds);
    if (secondDigits == 0)
        return {};
    qsizetype fractionDigits = 0;
    if (i + 1 < s.size() && (s[i] == u'.' || s[i] == u':') && isDigit(s[i + 1])) {
        ++i;
        fractionDigits = number(fraction);
    }
    if (i >= s.size() || s[i] != close)
        return {};
    Stamp stamp{i + 1, -1};
    if (minuteDigits <= 4 && secondDigits <= 2 && seconds < 60 && fractionDigits <= 3) {
        static constexpr int kScale[] = {0, 100, 10, 1};
        stamp.ms = (minutes * 60 + seconds) * 1000 + fraction * kScale[fractionDigits];
    }
    return stamp;
}

// The text of an LRC line after its leading stamps, without word stamps.
QString withoutStamps(QStringView s)
{
    QString out;
    qsizetype i = 0;
    while (i < s.size() && out.size() < LyricsText::kMaxLineLength) {
        if (const Stamp word = readStamp(s, i, u'<', u'>')) {
            i = word.end;
        } else if (const Stamp inner = readStamp(s, i, u'[', u']')) {
            i = inner.end;
        } else {
            const qsizetype n = s[i].isHighSurrogate() && i + 1 < s.size() ? 2 : 1;
            appendCapped(out, s.mid(i, n));
            i += n;
        }
    }
    return out.trimmed();
}

std::optional<qint64> offsetTag(QStringView s)
{
    if (!s.startsWith(u"[offset:", Qt::CaseInsensitive) || !s.endsWith(u']'))
        return std::nullopt;
    bool ok = false;
    const qint64 ms = s.mid(8, s.size() - 9).trimmed().toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return std::clamp<qint64>(ms, -std::numeric_limits<qint32>::max(), std::numeric_limits<qint32>::max());
}

} // namespace

quint32 LyricsText::addText(QStringView text)
{
    const auto start = quint32(m_chars.size());
    m_chars += text;
    return start;
}

QString LyricsText::textOf(const Line& line) const
{
    if (line.length == 0 && Kind(line.kind) == Kind::Second && !m_lrc)
        return QStringLiteral("<BR>");
    return m_chars.mid(line.start, line.length);
}

LyricsText LyricsText::parse(QStringView text)
{
    LyricsText t;
    // Lists made to measure at once: growing them by copying costs more
    // than reading the file, which may be nothing but stamps.
    const auto stamped = [](QStringView s) { return s.size() >= 7 && s[0] == u'[' && s[3] == u':'; };
    qsizetype candidates = 0;
    textfile::forEachLine(text, [&](QStringView s) { candidates += stamped(s); });
    t.m_lines.reserve(candidates);
    t.m_stopMax.reserve(candidates);

    qint32 stopMax = -1;
    textfile::forEachLine(text, [&](QStringView s) {
        if (!stamped(s))
            return;
        const int minutes = field(s, 1);
        const int seconds = field(s, 4);
        if (minutes == kNoNumber || seconds == kNoNumber || seconds >= 60)
            return;
        Line line;
        int hundredths = 0;
        QString joined; // a closing line's pieces
        QStringView shown;
        if (s[6] == u']') {
            line.kind = quint32(Kind::Second);
            shown = s.mid(7);
        } else {
            hundredths = field(s, 7);
            if (hundredths == kNoNumber)
                return;
            const bool closing = s.endsWith(u']');
            line.kind = quint32(closing ? Kind::Closing : Kind::Hundredth);
            if (closing)
                joined = withoutTags(s);
            shown = closing ? QStringView(joined) : s.mid(10);
        }
        QString cut;
        if (shown.size() > kMaxLineLength) {
            appendCapped(cut, shown);
            shown = cut;
        }
        line.time = std::max(0, minutes * 6000 + seconds * 100 + hundredths);
        line.start = t.addText(shown);
        line.length = quint32(shown.size());
        stopMax = std::max(stopMax, line.time);
        t.m_stopMax.append(stopMax);
        t.m_lines.append(line);
    });

    // Lines by second, file order kept within a second (a counting sort).
    // Lines that add nothing are left out: they count only where the
    // reading stops.
    const auto place = [&t](QList<quint32>& into, auto&& belongs) {
        std::vector<quint32> next(kLastClassicSecond + 2, 0);
        for (const Line& line : std::as_const(t.m_lines))
            next[line.time / 100 + 1] += belongs(line);
        for (size_t i = 1; i < next.size(); ++i)
            next[i] += next[i - 1];
        into.resize(next.back());
        for (qsizetype i = 0; i < t.m_lines.size(); ++i) {
            if (belongs(t.m_lines[i]))
                into[next[t.m_lines[i].time / 100]++] = quint32(i);
        }
    };
    place(t.m_replacing, [](const Line& line) { return Kind(line.kind) != Kind::Closing; });
    place(t.m_adding, [](const Line& line) { return Kind(line.kind) == Kind::Closing && line.length > 0; });
    t.m_chars.squeeze();
    return t;
}

LyricsText LyricsText::parseLrc(QStringView text)
{
    LyricsText t;
    t.m_lrc = true;
    // At least one stamp on each line that may hold one.
    qsizetype candidates = 0;
    textfile::forEachLine(text, [&](QStringView s) { candidates += s.trimmed().startsWith(u'['); });
    t.m_lines.reserve(candidates);

    qint64 offset = 0;
    textfile::forEachLine(text, [&](QStringView s) {
        QVarLengthArray<qint32, 4> times;
        qsizetype at = 0;
        while (at < s.size() && s[at].isSpace())
            ++at;
        while (const Stamp stamp = readStamp(s, at, u'[', u']')) {
            if (stamp.ms >= 0)
                times.append(stamp.ms);
            at = stamp.end;
        }
        if (times.isEmpty()) {
            if (const auto ms = offsetTag(s.trimmed()))
                offset = *ms;
            return;
        }
        const QString shown = withoutStamps(s.mid(at));
        const quint32 start = t.addText(shown);
        for (const qint32 ms : times)
            t.m_lines.append(Line{ms, start, quint32(shown.size()), 0});
    });
    for (Line& line : t.m_lines)
        line.time = qint32(std::clamp<qint64>(line.time - offset, 0, std::numeric_limits<qint32>::max()));
    const auto byTime = [](const Line& a, const Line& b) { return a.time < b.time; };
    if (!std::is_sorted(t.m_lines.cbegin(), t.m_lines.cend(), byTime))
        std::stable_sort(t.m_lines.begin(), t.m_lines.end(), byTime);
    t.m_chars.squeeze();
    return t;
}

LyricsText LyricsText::load(const QString& path)
{
    const textfile::LimitedRead read = textfile::readTextUpTo(path, kMaxFileBytes);
    if (read.status != textfile::LimitedRead::Read)
        return {};
    return path.endsWith(u".lrc", Qt::CaseInsensitive) ? parseLrc(read.text) : parse(read.text);
}

QString LyricsText::lineAt(qint64 positionMs) const
{
    positionMs = std::max<qint64>(positionMs, 0);
    // The classic lines go by the elapsed label, to the hundredth.
    const qint64 key = m_lrc ? positionMs : positionMs / 10;
    if (key != m_cachedKey) {
        m_cachedLine = m_lrc ? lrcLine(key) : classicLine(key);
        m_cachedKey = key;
    }
    return m_cachedLine;
}

QString LyricsText::lineForLabel(QStringView label) const
{
    // "mm:ss.cc" or "mm:ss"; minutes may run past two digits.
    const qsizetype colon = label.indexOf(u':');
    if (colon < 1 || label.size() < colon + 3)
        return {};
    bool ok = true;
    const auto number = [&ok](QStringView digits) {
        bool good = !digits.isEmpty() && std::all_of(digits.begin(), digits.end(), isDigit);
        ok = ok && good;
        return good ? digits.toLongLong() : 0;
    };
    const qint64 minutes = number(label.left(colon));
    const qint64 seconds = number(label.mid(colon + 1, 2));
    const QStringView rest = label.mid(colon + 3);
    const qint64 hundredths = rest.isEmpty() ? 0 : number(rest.startsWith(u'.') ? rest.mid(1) : QStringView());
    if (!ok || minutes > 100'000)
        return {};
    return lineAt((minutes * 60 + seconds) * 1000 + hundredths * 10);
}

QString LyricsText::classicLine(qint64 hundredths) const
{
    if (m_lines.isEmpty() || hundredths / 100 > kLastClassicSecond)
        return {};
    const auto clock = qint32(hundredths);
    const qint32 second = clock / 100;
    // Reading top down ends at the first line whose time is past the clock.
    const auto stop = quint32(std::upper_bound(m_stopMax.cbegin(), m_stopMax.cend(), clock) - m_stopMax.cbegin());

    // Before that line, only lines of the clock's own second count: earlier
    // ones are past, and a later one would have stopped the reading.
    const auto ofSecond = [this, second](const QList<quint32>& lines) {
        const auto bySecond = [this](quint32 i) { return m_lines[i].time / 100; };
        const auto from = std::partition_point(lines.cbegin(), lines.cend(),
                                               [&](quint32 i) { return bySecond(i) < second; });
        const auto to = std::partition_point(from, lines.cend(), [&](quint32 i) { return bySecond(i) == second; });
        return std::pair{from, to};
    };
    const auto [replaceFrom, replaceTo] = ofSecond(m_replacing);
    const auto lastReplacing = std::lower_bound(replaceFrom, replaceTo, stop);
    QString shown;
    qint64 after = -1;
    if (lastReplacing != replaceFrom) {
        after = *(lastReplacing - 1);
        shown = textOf(m_lines[after]);
    }
    const auto [addFrom, addTo] = ofSecond(m_adding);
    auto add = std::upper_bound(addFrom, addTo, after, [](qint64 a, quint32 i) { return a < qint64(i); });
    for (; add != addTo && *add < stop && shown.size() < kMaxLineLength; ++add) {
        const Line& line = m_lines[*add];
        appendCapped(shown, QStringView(m_chars).mid(line.start, line.length));
    }
    return shown;
}

QString LyricsText::lrcLine(qint64 ms) const
{
    const auto due = std::upper_bound(m_lines.cbegin(), m_lines.cend(), ms,
                                      [](qint64 at, const Line& line) { return at < line.time; });
    return due == m_lines.cbegin() ? QString() : textOf(*(due - 1));
}

} // namespace yk
