#include "platform/linux/XdgAutostart.h"

#include <algorithm>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/TextFile.h"

namespace yk {

namespace {

const QString kFileName = QStringLiteral("yomikaze.desktop");

// An entry is a few hundred bytes; anything far larger is not ours to read.
constexpr qint64 kMaxEntryBytes = 64 * 1024;

enum class EntryState { Absent, On, Off };

EntryState readEntry(const QString& path)
{
    if (!QFileInfo(path).isFile())
        return EntryState::Absent;
    const textfile::LimitedRead read = textfile::readTextUpTo(path, kMaxEntryBytes);
    // A file the session cannot read starts nothing either.
    if (read.status != textfile::LimitedRead::Read)
        return EntryState::Off;
    bool inMainGroup = false;
    EntryState state = EntryState::On;
    textfile::forEachLine(read.text, [&](QStringView line) {
        line = line.trimmed();
        if (line.startsWith(u'[')) {
            inMainGroup = line == u"[Desktop Entry]";
            return;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (!inMainGroup || eq < 0)
            return;
        const QStringView key = line.left(eq).trimmed();
        const QStringView value = line.mid(eq + 1).trimmed();
        if ((key == u"Hidden" && value == u"true") || (key == u"X-GNOME-Autostart-enabled" && value == u"false"))
            state = EntryState::Off;
    });
    return state;
}

// The first of the system's entries that exists decides for all of them.
EntryState systemState(const QStringList& entries)
{
    for (const QString& path : entries) {
        const EntryState state = readEntry(path);
        if (state != EntryState::Absent)
            return state;
    }
    return EntryState::Absent;
}

// The string escapes of the file format: a value is one line.
QString escapeValue(const QString& s)
{
    QString out;
    out.reserve(s.size());
    for (const QChar c : s) {
        switch (c.unicode()) {
        case u'\\': out += QStringLiteral("\\\\"); break;
        case u'\n': out += QStringLiteral("\\n"); break;
        case u'\t': out += QStringLiteral("\\t"); break;
        case u'\r': out += QStringLiteral("\\r"); break;
        default: out += c;
        }
    }
    return out;
}

} // namespace

QString desktopExecArgument(const QString& arg)
{
    static const QString kReserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    const bool quote = arg.isEmpty() || std::any_of(arg.begin(), arg.end(), [](QChar c) { return kReserved.contains(c); });
    QString out;
    if (quote)
        out += u'"';
    for (const QChar c : arg) {
        if (quote && (c == u'"' || c == u'`' || c == u'$' || c == u'\\'))
            out += u'\\';
        if (c == u'%')
            out += u'%';
        out += c;
    }
    if (quote)
        out += u'"';
    return escapeValue(out);
}

XdgAutostart::XdgAutostart(QString userEntry, QStringList systemEntries, QString programPath)
    : m_userEntry(std::move(userEntry))
    , m_systemEntries(std::move(systemEntries))
    , m_program(std::move(programPath))
{
}

QString XdgAutostart::userEntryPath()
{
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    // XDG base directory rules: a relative path here is ignored.
    if (config.isEmpty() || QDir::isRelativePath(config))
        config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/autostart/") + kFileName;
}

QStringList XdgAutostart::systemEntryPaths()
{
    QString dirs = qEnvironmentVariable("XDG_CONFIG_DIRS");
    if (dirs.isEmpty())
        dirs = QStringLiteral("/etc/xdg");
    QStringList paths;
    for (const QString& dir : dirs.split(u':', Qt::SkipEmptyParts)) {
        if (!QDir::isRelativePath(dir))
            paths << dir + QStringLiteral("/autostart/") + kFileName;
    }
    return paths;
}

QByteArray XdgAutostart::entryText(const QString& programPath, bool hidden)
{
    QString text = QStringLiteral(
        "[Desktop Entry]\n"
        "Type=Application\n"
        "Name=Yomikaze\n"
        "Comment=Calendar, timer and music player\n"
        "Comment[ja]=カレンダー・タイマー・音楽プレーヤー\n"
        "Icon=yomikaze\n"
        "Terminal=false\n");
    text += QStringLiteral("Exec=") + desktopExecArgument(programPath) + u'\n';
    text += hidden ? QStringLiteral("Hidden=true\n") : QStringLiteral("X-GNOME-Autostart-enabled=true\n");
    return text.toUtf8();
}

bool XdgAutostart::isEnabled() const
{
    const EntryState user = readEntry(m_userEntry);
    if (user != EntryState::Absent)
        return user == EntryState::On;
    return systemState(m_systemEntries) == EntryState::On;
}

bool XdgAutostart::setEnabled(bool on)
{
    const bool systemOn = systemState(m_systemEntries) == EntryState::On;
    if (on || systemOn) {
        if (!QDir().mkpath(QFileInfo(m_userEntry).path()))
            return false;
        if (!textfile::writeBytesAtomically(m_userEntry, entryText(m_program, !on)))
            return false;
    } else if (QFileInfo::exists(m_userEntry) || QFileInfo(m_userEntry).isSymLink()) {
        if (!QFile::remove(m_userEntry))
            return false;
    }
    return isEnabled() == on;
}

std::unique_ptr<Autostart> createAutostart(const QString& programPath)
{
    return std::make_unique<XdgAutostart>(XdgAutostart::userEntryPath(), XdgAutostart::systemEntryPaths(),
                                          programPath);
}

} // namespace yk
