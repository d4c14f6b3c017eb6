#include "shell/NoticeFallback.h"

#include "platform/DesktopNotifier.h"
#include "platform/MascotChannel.h"

namespace yk {

namespace {

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool isAsciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

// The index just past a bracketed argument starting at `at` ("[...]", where
// "\]" does not close it), or `at` itself when there is none.
qsizetype skipArgument(const QString& s, qsizetype at)
{
    if (at >= s.size() || s[at] != u'[')
        return at;
    for (qsizetype i = at + 1; i < s.size(); ++i) {
        if (s[i] == u'\\' && i + 1 < s.size()) {
            ++i;
            continue;
        }
        if (s[i] == u']')
            return i + 1;
    }
    return s.size();
}

} // namespace

QString NoticeFallback::plainText(const QString& script)
{
    QString out;
    qsizetype i = 0;
    while (i < script.size()) {
        const QChar c = script[i];
        if (c != u'\\' || i + 1 >= script.size()) {
            out += c;
            ++i;
            continue;
        }
        const QChar tag = script[i + 1];
        i += 2;
        if (tag == u'\\' || tag == u'%') {
            out += tag;
        } else if (tag == u'e') {
            break;
        } else if (tag == u'n') {
            // "\n[half]" and the like are still a line break.
            i = skipArgument(script, i);
            if (!out.endsWith(u'\n'))
                out += u'\n';
        } else if (tag == u'_' || tag == u'!' || tag == u'&' || tag == u'-' || tag == u'*') {
            // "\_w[500]", "\![raise,...]", "\_q": a name, then maybe an argument.
            while (i < script.size() && isAsciiLetter(script[i]))
                ++i;
            i = skipArgument(script, i);
        } else if (isAsciiLetter(tag)) {
            // "\s[0]", "\s0", "\w8", "\h", "\u": one letter, then one digit
            // or an argument.
            if (i < script.size() && isDigit(script[i]))
                ++i;
            else
                i = skipArgument(script, i);
        } else if (isDigit(tag)) {
            // "\0", "\1": which character speaks.
        } else {
            out += tag;
        }
    }
    // Line breaks at either end would show as empty lines.
    while (out.startsWith(u'\n'))
        out.remove(0, 1);
    while (out.endsWith(u'\n'))
        out.chop(1);
    return out.trimmed();
}

void NoticeFallback::sendImportant(const QString& script)
{
    std::weak_ptr<bool> alive = m_alive;
    m_mascot.sendScriptReported(script, [this, alive, script](bool taken) {
        if (taken || alive.expired())
            return;
        const QString words = plainText(script);
        if (words.isEmpty())
            return;
        const qsizetype lineEnd = words.indexOf(u'\n');
        if (lineEnd < 0)
            m_notifier.notify(words, {});
        else
            m_notifier.notify(words.left(lineEnd), words.mid(lineEnd + 1));
    });
}

} // namespace yk
