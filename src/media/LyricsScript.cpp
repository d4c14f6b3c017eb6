#include "media/LyricsScript.h"

#include <algorithm>

#include "platform/TextFile.h"
#include "core/ScriptEscape.h"

namespace yk {

namespace {

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Length of the allowed command at s[i] (a "\"), or 0 when it is not one.
qsizetype allowedCommand(QStringView s, qsizetype i)
{
    if (i + 1 >= s.size())
        return 0;
    const QChar c = s[i + 1];
    switch (c.unicode()) {
    case u'h':
    case u'u':
    case u'0':
    case u'1':
    case u'n':
    case u'\\':
    case u'%':
        return 2;
    case u'w':
        return i + 2 < s.size() && s[i + 2] >= u'1' && s[i + 2] <= u'9' ? 3 : 0;
    case u's': {
        if (i + 2 >= s.size())
            return 0;
        if (isDigit(s[i + 2]))
            return 3;
        if (s[i + 2] != u'[')
            return 0;
        qsizetype j = i + 3;
        if (j < s.size() && s[j] == u'-')
            ++j;
        const qsizetype digits = j;
        while (j < s.size() && isDigit(s[j]))
            ++j;
        if (j == digits || j >= s.size() || s[j] != u']')
            return 0;
        return j + 1 - i;
    }
    default:
        return 0;
    }
}

QString filterLeadingScript(QStringView s)
{
    QString out;
    qsizetype i = 0;
    // Whole pieces only: a cut command or escape pair could take the pause.
    const auto add = [&out](QStringView piece) {
        if (out.size() + piece.size() > kMaxScriptTextLength)
            return false;
        out += piece;
        return true;
    };
    while (i < s.size()) {
        const QChar c = s[i];
        qsizetype n = 1;
        bool room = true;
        if (c == u'\\') {
            n = std::max<qsizetype>(1, allowedCommand(s, i));
            room = add(n > 1 ? s.mid(i, n) : QStringView(u"\\\\"));
        } else if (c == u'%') {
            room = add(u"\\%");
        } else if (c.unicode() > 0x1F && c.unicode() != 0x7F) {
            n = c.isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate() ? 2 : 1;
            room = add(s.mid(i, n));
        }
        if (!room)
            break;
        i += n;
    }
    return out;
}

} // namespace

bool isDoubleByte(QStringView c)
{
    return cp932::encode(c.toString()).size() == 2;
}

QString lyricsMascotScript(const QString& fullLine)
{
    const QString line = fullLine.left(kMaxLyricsScriptScan);
    const QString pause = QStringLiteral("\\w2");
    if (!line.startsWith(u'\\'))
        return QStringLiteral("\\n") + pause + escapeScriptText(line);

    qsizetype split = line.size();
    for (qsizetype i = 0; i < line.size();) {
        const qsizetype n = line[i].isHighSurrogate() && i + 1 < line.size() ? 2 : 1;
        if (isDoubleByte(QStringView(line).mid(i, n))) {
            split = i;
            break;
        }
        i += n;
    }
    return QStringLiteral("\\n") + filterLeadingScript(QStringView(line).left(split)) + pause
        + escapeScriptText(line.mid(split));
}

} // namespace yk
