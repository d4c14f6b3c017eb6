#include "media/LyricsScript.h"

#include "platform/TextFile.h"
#include "shell/ScriptEscape.h"

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
    while (i < s.size()) {
        const QChar c = s[i];
        if (c == u'\\') {
            if (const qsizetype n = allowedCommand(s, i)) {
                out += s.mid(i, n);
                i += n;
                continue;
            }
            out += QStringLiteral("\\\\");
        } else if (c == u'%') {
            out += QStringLiteral("\\%");
        } else if (c.unicode() > 0x1F && c.unicode() != 0x7F) {
            out += c;
        }
        ++i;
    }
    return out;
}

} // namespace

bool isDoubleByte(QStringView c)
{
    return cp932::encode(c.toString()).size() == 2;
}

QString lyricsMascotScript(const QString& line)
{
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
