#include "media/LyricsText.h"

#include <algorithm>

#include "media/Player.h"
#include "platform/TextFile.h"

namespace yk {

namespace {

// Larger than any lyrics file; a larger one is not lyrics and is not read.
constexpr qint64 kMaxFileBytes = 8 * 1024 * 1024;

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Two characters that read as a number: "05", " 5", "5 ", "+5", "-5", ".5", "5.".
bool formsNumber(QStringView s, qsizetype from)
{
    if (s.size() < from + 2)
        return false;
    const QChar a = s[from];
    const QChar b = s[from + 1];
    if (isDigit(a) && isDigit(b))
        return true;
    if (isDigit(b))
        return a == u' ' || a == u'+' || a == u'-' || a == u'.';
    if (isDigit(a))
        return b == u' ' || b == u'.';
    return false;
}

bool hasTimeTag(QStringView s)
{
    return s.size() >= 7 && s[0] == u'[' && formsNumber(s, 1) && s[3] == u':' && formsNumber(s, 4);
}

// The line's text less every ten-character tag, up to its closing tag.
QString withoutTags(QStringView s)
{
    QString out;
    const qsizetype last = s.size() - 11; // the closing tag is never taken
    qsizetype i = 0;
    while (i <= last) {
        if (s[i] == u'[' && i + 9 < s.size() && s[i + 9] == u']') {
            i += 10;
            continue;
        }
        out += s[i];
        ++i;
    }
    return out;
}

} // namespace

LyricsText LyricsText::parse(QStringView text)
{
    LyricsText t;
    textfile::forEachLine(text, [&t](QStringView s) {
        if (!hasTimeTag(s))
            return;
        const QString second = s.mid(1, 2).toString() + s.mid(4, 2).toString();
        Line line;
        if (s[6] == u']') {
            line.kind = Kind::Second;
            line.text = s.size() > 7 ? s.mid(7).toString() : QStringLiteral("<BR>");
            // Past the clock only in a later second: the two low characters
            // sort below any hundredths.
            line.stopKey = second + QChar(0) + QChar(0);
        } else if (formsNumber(s, 7)) {
            const bool closing = s.endsWith(u']');
            line.kind = closing ? Kind::Closing : Kind::Hundredth;
            line.text = closing ? withoutTags(s) : s.mid(10).toString();
            line.stopKey = second + s.mid(7, 2).toString();
        } else {
            return;
        }
        t.m_bySecond[second].append(t.m_lines.size());
        QString top = t.m_stopMax.isEmpty() ? line.stopKey : std::max(t.m_stopMax.last(), line.stopKey);
        t.m_stopMax.append(std::move(top));
        t.m_lines.append(std::move(line));
    });
    return t;
}

LyricsText LyricsText::load(const QString& path)
{
    const textfile::LimitedRead read = textfile::readTextUpTo(path, kMaxFileBytes);
    if (read.status != textfile::LimitedRead::Read)
        return {};
    return parse(read.text);
}

QString LyricsText::lineAt(qint64 positionMs) const
{
    return lineForLabel(Player::elapsedText(positionMs));
}

QString LyricsText::lineForLabel(QStringView label) const
{
    if (label.size() < 5)
        return {};
    // Minutes and seconds as the label spells them, then its hundredths.
    const QString second = label.mid(0, 2).toString() + label.mid(3, 2).toString();
    const QString clock = second + label.right(2).toString();
    if (clock == m_cachedKey)
        return m_cachedLine;

    // Reading top down ends at the first line whose time is past the clock.
    const auto past = std::upper_bound(m_stopMax.cbegin(), m_stopMax.cend(), clock);
    const qsizetype stop = past - m_stopMax.cbegin();

    // Before that line, only lines of the clock's own second count: earlier
    // ones are past, and a later one would have stopped the reading.
    QString shown;
    for (const qsizetype i : m_bySecond.value(second)) {
        if (i >= stop)
            break;
        const Line& line = m_lines[i];
        if (line.kind == Kind::Closing)
            shown += line.text;
        else
            shown = line.text;
    }
    m_cachedKey = clock;
    m_cachedLine = shown;
    return shown;
}

} // namespace yk
