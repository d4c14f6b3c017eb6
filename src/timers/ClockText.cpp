#include "timers/ClockText.h"

namespace yk::clocktext {

namespace {

QString blankPadded(int n, int width)
{
    return QStringLiteral("%1").arg(n, width, 10, QLatin1Char(' '));
}

QString leftTrimmed(QStringView s)
{
    qsizetype i = 0;
    while (i < s.size() && s.at(i) == u' ')
        ++i;
    return s.mid(i).toString();
}

} // namespace

QString time24(const QTime& time)
{
    return time.toString(u"HH' : 'mm");
}

QString timeKey(const QTime& time)
{
    return time.toString(u"HHmm");
}

Clock12 time12(const QString& key)
{
    const int hour = key.left(2).toInt();
    const int minute = key.mid(2, 2).toInt();
    // The morning test compares the key's hour as text, as the timer checks do.
    const bool morning = QStringView(key).left(2).compare(u"12") < 0;
    const int shown = morning ? hour : hour - 12;

    // Minutes below 10 get two blanks and the digit; otherwise two digits.
    const QString minuteText = minute < 10 ? QStringLiteral("  ") + QString::number(minute)
                                           : QString::number(minute);
    // Hours fill three characters: "  0".."  9", " 10", " 11".
    const QString hourText = blankPadded(shown, 3);
    return {hourText + u':' + minuteText, morning ? QStringLiteral("AM") : QStringLiteral("PM")};
}

QString MidnightWatcher::labelKey(const QString& label)
{
    const QStringView v(label);
    return leftTrimmed(v.mid(0, 2)) + leftTrimmed(v.mid(5, 2));
}

bool MidnightWatcher::check(const QString& previousLabel)
{
    const QString key = labelKey(previousLabel);
    bool rollOver = false;
    if (!m_done && key == u"0000") {
        rollOver = true;
        m_done = true;
    }
    if (key == u"0001")
        m_done = false;
    return rollOver;
}

} // namespace yk::clocktext
