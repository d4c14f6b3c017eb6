#include "timers/CountdownTimer.h"

namespace yk {

namespace {

constexpr qint64 kDay = 86400;

qint64 floorDiv(qint64 a, qint64 b)
{
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

// Two decimal digits at `pos`, or -1.
int twoDigits(const QString& text, qsizetype pos)
{
    if (text.size() < pos + 2)
        return -1;
    const QChar a = text.at(pos);
    const QChar b = text.at(pos + 1);
    if (a < u'0' || a > u'9' || b < u'0' || b > u'9')
        return -1;
    return (a.unicode() - u'0') * 10 + (b.unicode() - u'0');
}

QString pad2(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

} // namespace

qint64 wallSecond(const QDateTime& t)
{
    return t.date().toJulianDay() * kDay + t.time().msecsSinceStartOfDay() / 1000;
}

QDateTime fromWallSecond(qint64 s)
{
    const qint64 day = floorDiv(s, kDay);
    return QDateTime(QDate::fromJulianDay(day), QTime::fromMSecsSinceStartOfDay(int((s - day * kDay) * 1000)));
}

CountdownTimer::Preset CountdownTimer::parsePreset(const QString& preset)
{
    Preset p;
    if (!preset.startsWith(QStringLiteral("Time ")) || preset.size() < 8)
        return p;
    const QChar kind = preset.at(5);
    if (kind == u'A') {
        const int n = twoDigits(preset, 6);
        if (n == 3 || n == 5 || n == 10) {
            p.kind = Kind::Minutes;
            p.minutes = n;
        }
    } else if (kind == u'B') {
        const int h = twoDigits(preset, 6);
        const int m = twoDigits(preset, 8);
        if (h >= 0 && m >= 0) {
            p.kind = Kind::HoursMinutes;
            p.hours = h;
            p.minutes = m;
        }
    } else if (kind == u'C' && preset.size() >= 11) {
        const QChar ap = preset.at(6);
        const int h = twoDigits(preset, 7);
        const int m = twoDigits(preset, 9);
        // The 12-hour clock has no hour past 12; "12" is twelve o'clock.
        if ((ap == u'A' || ap == u'P') && h >= 0 && h <= 12 && m >= 0 && m <= 59) {
            p.kind = Kind::ClockTime;
            p.pm = ap == u'P';
            p.hours = h;
            p.minutes = m;
            p.clockKey = preset.mid(6, 5);
        }
    }
    return p;
}

CountdownTimer::CountdownTimer(QObject* parent)
    : QObject(parent)
{
}

void CountdownTimer::setTexts(const QString& timer, const QString& start, const QString& target,
                              const QString& next)
{
    const bool wasArmed = isArmed();
    const bool same = timer == m_timer && start == m_start && target == m_target && next == m_next;
    m_timer = timer;
    m_start = start;
    m_target = target;
    m_next = next;
    if (!same)
        Q_EMIT changed();
    if (isArmed() != wasArmed)
        Q_EMIT armedChanged(isArmed());
}

void CountdownTimer::requestStart()
{
    setTexts(kStart, m_start, m_target, m_next);
}

void CountdownTimer::start(const QString& preset, const QDateTime& now)
{
    m_preset = preset;
    m_parsed = parsePreset(preset);
    m_startSecond = wallSecond(now);
    m_lastLook = m_startSecond;
    m_firstTarget = 0;
    setTexts(kStart, now.time().toString(QStringLiteral("HH:mm:ss")), QString(), QString());
}

void CountdownTimer::cancel()
{
    setTexts(QString(), QString(), kRest, QString());
}

void CountdownTimer::clearSecondChance()
{
    setTexts(m_timer, m_start, m_target, QString());
}

void CountdownTimer::rest()
{
    setTexts(QString(), m_start, kRest, m_next);
}

void CountdownTimer::computeTarget()
{
    const int startMinuteOfDay = int(floorDiv(m_startSecond, 60) % (kDay / 60));
    switch (m_parsed.kind) {
    case Kind::Minutes: {
        const int m = startMinuteOfDay % 60;
        m_firstTarget = m_startSecond + qint64(m_parsed.minutes) * 60;
        setTexts(m_timer, m_start, pad2((m + m_parsed.minutes) % 60), pad2((m + 1 + m_parsed.minutes) % 60));
        break;
    }
    case Kind::HoursMinutes: {
        const int duration = durationMinutes(m_parsed);
        const int target = (startMinuteOfDay + duration) % (24 * 60);
        const int next = (target + 1) % (24 * 60);
        m_firstTarget = m_startSecond + qint64(duration) * 60;
        setTexts(m_timer, m_start, pad2(target / 60) + pad2(target % 60), pad2(next / 60) + pad2(next % 60));
        break;
    }
    case Kind::ClockTime:
        setTexts(m_timer, m_start, m_parsed.clockKey, m_next);
        break;
    case Kind::None:
        break;
    }
}

int CountdownTimer::durationMinutes(const Preset& p)
{
    if (p.kind == Kind::Minutes)
        return p.minutes;
    // Hours past a day wrap round, as on a clock face.
    return (p.hours * 60 + p.minutes) % (24 * 60);
}

std::optional<qint64> CountdownTimer::nextMatchAfter(const Preset& p, qint64 startSecond, qint64 after)
{
    switch (p.kind) {
    case Kind::Minutes:
    case Kind::HoursMinutes: {
        const qint64 first = startSecond + qint64(durationMinutes(p)) * 60;
        if (first > after)
            return first;
        if (first + 60 > after) // the second chance
            return first + 60;
        return std::nullopt;
    }
    case Kind::ClockTime: {
        int hour = p.hours % 12; // twelve o'clock is the 0 of the half day
        if (p.pm)
            hour += 12;
        const qint64 ofDay = qint64(hour) * 3600 + qint64(p.minutes) * 60;
        // The alarm minute's first two seconds, every day.
        for (qint64 day = floorDiv(after, kDay);; ++day) {
            const qint64 at = day * kDay + ofDay;
            if (at > after)
                return at;
            if (at + 1 > after)
                return at + 1;
        }
    }
    case Kind::None:
        break;
    }
    return std::nullopt;
}

bool CountdownTimer::check(const QDateTime& now)
{
    if (m_start.isEmpty() || m_target == kRest || m_target == kReached || m_parsed.kind == Kind::None)
        return false;
    if (m_target.isEmpty())
        computeTarget();
    const qint64 second = wallSecond(now);
    // Everything since the last look, this second included; a clock set
    // back looks at its own second only.
    const qint64 after = second > m_lastLook ? m_lastLook : second - 1;
    m_lastLook = second;
    const std::optional<qint64> match = nextMatchAfter(m_parsed, m_startSecond, after);
    if (!match || *match > second)
        return false;
    setTexts(m_timer, m_start, kReached, m_next);
    Q_EMIT reached();
    return true;
}

std::optional<QDateTime> CountdownTimer::targetTime() const
{
    if (m_start.isEmpty() || m_target.isEmpty() || m_target == kRest || m_target == kReached)
        return std::nullopt;
    if (m_parsed.kind == Kind::ClockTime) {
        const std::optional<qint64> at = nextMatchAfter(m_parsed, m_startSecond, m_lastLook - 1);
        return at ? std::optional(fromWallSecond(*at)) : std::nullopt;
    }
    return fromWallSecond(m_firstTarget);
}

std::optional<CountdownTimer::Saved> CountdownTimer::saved() const
{
    if (!isArmed() || m_parsed.kind == Kind::None)
        return std::nullopt;
    return Saved{m_preset, fromWallSecond(m_startSecond)};
}

std::optional<QDateTime> CountdownTimer::restore(const Saved& saved, const QDateTime& now)
{
    const Preset parsed = parsePreset(saved.preset);
    if (!saved.start.isValid() || parsed.kind == Kind::None)
        return std::nullopt;
    const qint64 startSecond = wallSecond(saved.start);
    const qint64 second = wallSecond(now);
    const std::optional<qint64> match = nextMatchAfter(parsed, startSecond, startSecond - 1);
    if (match && *match <= second)
        return fromWallSecond(*match);
    m_preset = saved.preset;
    m_parsed = parsed;
    m_startSecond = startSecond;
    m_lastLook = second;
    m_firstTarget = 0;
    setTexts(kStart, saved.start.time().toString(QStringLiteral("HH:mm:ss")), QString(), QString());
    return std::nullopt;
}

} // namespace yk
