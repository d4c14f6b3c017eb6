#include "core/Settings.h"

#include <algorithm>
#include <climits>

#include <QFileInfo>

#include "platform/TextFile.h"

namespace yk {
namespace {

constexpr qint64 kMaxField = 9'999'999'999; // the most ten digits can hold

// The longest line the file can hold: a path the system accepts (4096
// bytes, so no more characters) behind the longest fixed prefix ("Lyrics "),
// with room to spare. Window positions take 154 at most. A longer line is
// damage, and reading stops there rather than follow it through a file that
// may be any size.
constexpr qsizetype kMaxLineChars = 4608;

// A decimal number, optionally negative, surrounded by nothing but blanks.
std::optional<qint64> parseNumber(QStringView text)
{
    text = text.trimmed();
    const bool negative = text.startsWith(u'-');
    if (negative)
        text = text.mid(1);
    if (text.isEmpty() || text.size() > 18)
        return std::nullopt;
    qint64 value = 0;
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    return negative ? -value : value;
}

int toInt(qint64 v)
{
    return static_cast<int>(std::clamp<qint64>(v, INT_MIN, INT_MAX));
}

// A value that carried a line break would shift every later line of the file.
QString oneLine(QString s)
{
    s.remove(u'\r');
    s.remove(u'\n');
    return s;
}

int windowIndex(WindowId w)
{
    return static_cast<int>(w);
}

// The lines holding a colour, their fixed prefix, and the value they carry.
struct ColourLine
{
    int line;
    const char16_t* prefix;
    QString Settings::*value;
};

const ColourLine kColourLines[] = {
    {44, u"Y_Color", &Settings::yearColour},     {45, u"M_Color", &Settings::monthColour},
    {46, u"T_Color", &Settings::clockColour},     {47, u"Sun_Color", &Settings::sundayColour},
    {48, u"Day_Color", &Settings::weekdayColour}, {49, u"Sat_Color", &Settings::saturdayColour},
};

// The option lines: the registrations entry, its check box and the file's words.
struct OptionLine
{
    int line;
    int entry;
    RegistrationCheck box;
    const char16_t* onWord;
    const char16_t* offWord;
};

const OptionLine kOptionLines[] = {
    {37, Settings::RegAprOn, RegistrationCheck::Apr, u"AprTlue", u"AprFalse"},
    {39, Settings::RegWavOn, RegistrationCheck::Audio, u"WavTlue", u"WavFalse"},
    {41, Settings::RegMsgBoxOn, RegistrationCheck::TimeOff, u"MsgBoxTlue", u"MsgBoxFalse"},
    {50, Settings::RegExitWinOn, RegistrationCheck::ExitWin, u"ExitWinTlue", u"ExitWinFalse"},
};

const QString kOne = QStringLiteral("1");
const QString kZero = QStringLiteral("0");

} // namespace

Settings::Settings(QString filePath)
    : m_filePath(std::move(filePath))
{
}

void Settings::clear()
{
    windowPlaces.clear();
    backgroundSlots.fill(QString());
    backgroundMode.clear();
    alwaysOnTop = false;
    timerPreset.clear();
    registrations.fill(QString());
    movieSize.clear();
    movieFullWindow = false;
    for (const ColourLine& c : kColourLines)
        (this->*c.value).clear();
    lyricsFolder.clear();
    movieTop.clear();
    movieLeft.clear();
}

QString Settings::formatTwips(qint64 twips)
{
    const qint64 magnitude = std::min(twips < 0 ? -twips : twips, kMaxField);
    const QString digits = QString::number(magnitude).rightJustified(kFieldWidth, u'0');
    return twips < 0 ? u'-' + digits : digits;
}

std::optional<qint64> Settings::winPosNumber(int k) const
{
    if (k < 1 || k > kWinPosFields)
        return std::nullopt;
    const QStringView field = QStringView(windowPlaces).mid((k - 1) * kFieldWidth, kFieldWidth);
    return parseNumber(field);
}

qint64 Settings::winPosField(int k) const
{
    return winPosNumber(k).value_or(0);
}

void Settings::setWinPosField(int k, qint64 twips)
{
    if (k < 1 || k > kWinPosFields)
        return;
    if (windowPlaces.size() < kWinPosLength)
        windowPlaces = windowPlaces.leftJustified(kWinPosLength, u'0');
    windowPlaces.replace((k - 1) * kFieldWidth, kFieldWidth, formatTwips(std::clamp<qint64>(twips, 0, kMaxField)));
}

TwipsPos Settings::winPos(WindowId w) const
{
    const int first = windowIndex(w) * 2 + 1;
    return {toInt(winPosField(first)), toInt(winPosField(first + 1))};
}

void Settings::setWinPos(WindowId w, TwipsPos pos)
{
    const int first = windowIndex(w) * 2 + 1;
    setWinPosField(first, pos.top);
    setWinPosField(first + 1, pos.left);
}

bool Settings::Load(SettingsHost& host)
{
    host.startClockTick();

    // QFileInfo::exists sees hidden files as well.
    if (!QFileInfo::exists(m_filePath)) {
        const TwipsPos main = host.windowPosition(WindowId::Main).value_or(winPos(WindowId::Main));
        textfile::writeLines(m_filePath, {formatTwips(main.top) + formatTwips(main.left)});
    }

    const std::optional<QStringList> lines = textfile::readFirstLines(m_filePath, kLineCount, kMaxLineChars);
    if (!lines)
        return false;
    const int count = static_cast<int>(std::min<qsizetype>(lines->size(), kLineCount));
    for (int i = 0; i < count; ++i)
        readLine(i + 1, lines->at(i), host);
    return true;
}

void Settings::readLine1(const QString& line, SettingsHost& host)
{
    // A window left above or left of the screen was stored as '-' and ten
    // digits. It comes back at 0, and cutting the extra character keeps every
    // later field in its place. The whole line is scanned so that a negative
    // movie-window field (the last one) is caught too.
    QString pos = line;
    for (qsizetype i = 0; i < pos.size(); ++i) {
        if (pos.at(i) == u'-')
            pos.replace(i, kFieldWidth + 1, QStringLiteral("0000000000"));
    }
    // Records from versions with fewer windows are shorter.
    windowPlaces = pos.left(kWinPosLength).leftJustified(kWinPosLength, u'0');

    for (WindowId w : {WindowId::Main, WindowId::Back, WindowId::Launcher, WindowId::Memo,
                       WindowId::Registration, WindowId::Play}) {
        const QStringView pair = QStringView(windowPlaces).mid(windowIndex(w) * 2 * kFieldWidth, 2 * kFieldWidth);
        if (pair.trimmed().isEmpty())
            continue;
        host.placeWindow(w, winPos(w));
    }
    movieTop = QString::number(winPosField(13));
    movieLeft = QString::number(winPosField(14));
}

void Settings::readLine(int number, const QString& line, SettingsHost& host)
{
    if (number == 1) {
        readLine1(line, host);
    } else if (number <= 13) {
        // A slot whose picture has gone keeps what it held.
        if (!line.isEmpty() && line != u" " && QFileInfo::exists(line))
            backgroundSlots[static_cast<size_t>(number - 1)] = line;
    } else if (number == 14) {
        backgroundMode = line == u" " ? kOne : line;
    } else if (number == 15) {
        if (line == u"TY" || line == u"TN") {
            alwaysOnTop = line == u"TY";
            host.setTopMost(alwaysOnTop);
        }
    } else if (number == 16) {
        if (line != u" ")
            timerPreset = line;
    } else if (number <= 36) {
        registrations[static_cast<size_t>(number - 17)] = line;
    } else if (number == 38 || number == 40) {
        registrations[number == 38 ? RegAprNumber : RegWavNumber] = line.isEmpty() ? kOne : line;
    } else if (number == 42) {
        movieSize = line.isEmpty() ? QStringLiteral("DefoltSize") : line;
    } else if (number == 43) {
        movieFullWindow = line == u"Movie Full Window";
        host.setMovieFullChecked(movieFullWindow);
    } else if (number == 51) {
        if (!line.isEmpty() && line != u"Lyrics Null")
            lyricsFolder = line.mid(7);
    } else {
        for (const OptionLine& o : kOptionLines) {
            if (o.line == number)
                registrations[static_cast<size_t>(o.entry)] = line == QStringView(o.onWord) ? kOne : kZero;
        }
        for (const ColourLine& c : kColourLines) {
            // The prefix is skipped, not checked. A line too short to hold
            // it is damaged and leaves the colour as it was.
            const qsizetype prefix = QStringView(c.prefix).size();
            if (c.line == number && line.size() >= prefix)
                this->*c.value = line.mid(prefix);
        }
    }
}

QStringList Settings::toLines(SettingsHost& host)
{
    QStringList lines;
    lines.reserve(kLineCount);

    // Line 1: the main and play-list windows where they are now, the others
    // as kept in memory, the movie window from movieTop / movieLeft. Numbers are
    // rewritten rather than copied so that a damaged field cannot shift the
    // fields after it.
    const TwipsPos main = host.windowPosition(WindowId::Main).value_or(winPos(WindowId::Main));
    const TwipsPos play = host.windowPosition(WindowId::Play).value_or(winPos(WindowId::Play));
    QString line1 = formatTwips(main.top) + formatTwips(main.left);
    for (int k = 3; k <= 10; ++k)
        line1 += formatTwips(std::max<qint64>(winPosField(k), 0));
    line1 += formatTwips(play.top) + formatTwips(play.left);
    line1 += formatTwips(parseNumber(movieTop).value_or(0));
    line1 += formatTwips(parseNumber(movieLeft).value_or(0));
    lines << line1;

    for (int k = 1; k <= kBackSlots; ++k)
        lines << (backSlot(k).isEmpty() ? QStringLiteral(" ") : oneLine(backSlot(k)));
    lines << (backgroundMode.isEmpty() ? QStringLiteral(" ") : oneLine(backgroundMode));
    lines << (alwaysOnTop ? QStringLiteral("TY") : QStringLiteral("TN"));
    lines << (timerPreset.isEmpty() ? QStringLiteral("Time A03") : oneLine(timerPreset));
    for (int e = 0; e < 20; ++e)
        lines << oneLine(registrations[static_cast<size_t>(e)]);

    // The option boxes are set from memory and read back, so the window and
    // the file agree.
    const bool hasRegistration = host.hasRegistrationWindow();
    auto option = [&](int number) {
        for (const OptionLine& o : kOptionLines) {
            if (o.line != number)
                continue;
            bool on = registrations[static_cast<size_t>(o.entry)] == kOne;
            if (hasRegistration) {
                host.setRegistrationCheck(o.box, on);
                on = host.registrationCheck(o.box);
            }
            return QString::fromUtf16(on ? o.onWord : o.offWord);
        }
        return QString();
    };
    auto numberOrOne = [](const QString& s) { return s.isEmpty() ? kOne : oneLine(s); };

    lines << option(37) << numberOrOne(registrations[RegAprNumber]);
    lines << option(39) << numberOrOne(registrations[RegWavNumber]);
    lines << option(41);
    lines << (movieSize.isEmpty() ? QStringLiteral("DefoltSize") : oneLine(movieSize));
    lines << (movieFullWindow ? QStringLiteral("Movie Full Window") : QStringLiteral("Movie Nomal Window"));
    for (const ColourLine& c : kColourLines)
        lines << QString::fromUtf16(c.prefix) + oneLine(this->*c.value);
    lines << option(50);

    // The lyrics box wins when it holds a folder. The folder in memory is
    // kept after writing it: emptying it would turn off the lyrics search
    // for the rest of the session and lose the folder at the next save.
    const QString box = hasRegistration ? host.lyricsBoxText() : QString();
    if (!box.isEmpty())
        lyricsFolder = box;
    lines << (lyricsFolder.isEmpty() ? QStringLiteral("Lyrics Null") : QStringLiteral("Lyrics ") + oneLine(lyricsFolder));
    return lines;
}

bool Settings::Save(SettingsHost& host)
{
    return textfile::writeLines(m_filePath, toLines(host));
}

} // namespace yk
