#include "timers/TimerForm.h"

#include <QFileInfo>

#include "launcher/FilePicker.h"
#include "core/Settings.h"
#include "timers/CountdownTimer.h"

namespace yk {

const QString TimerForm::kUnsetCaption = QStringLiteral("現在タイマー設定未登録です(&S)");
const QString TimerForm::kStoredScript = QStringLiteral(
    "\\t\\h\\s[0]タイマーをスタートさせるには\\n\\n\\w3メイン画面の【時間表示】をダブルクリックしてね♪\\e");
const QString TimerForm::kWidenScript = QStringLiteral(
    "\\t\\u\\s[0]実行ファイル登録に登録したのは\\n\\n\\w3そのままランチャーで使えるんや\\h\\s[0]\\w9"
    "メイン画面の右クリックメニューに追加されるからね\\e");
const QString TimerForm::kExitWinScript = QStringLiteral(
    "\\t\\u\\s[0]タイマー完了時にWindowsを終了するで\\h\\s[0]\\w9ファイルを保存し忘れても確認しないよ"
    "\\n\\n\\w7気をつけてね\\e");
const QString TimerForm::kTimeOffScript = QStringLiteral("\\t\\u\\s[0]タイマーをメッセージボックスで知らせるで\\e");

namespace {

const QString kZero = QStringLiteral("00");

QString pad2(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

// Digits typed with a Japanese input method arrive full-width; the boxes
// hold them as plain digits so that the rules and the preset read them.
QString plainDigits(const QString& text)
{
    QString out = text;
    for (QChar& c : out) {
        if (c.unicode() >= 0xFF10 && c.unicode() <= 0xFF19)
            c = QChar(u'0' + (c.unicode() - 0xFF10));
    }
    return out;
}

} // namespace

TimerForm::TimerForm(Settings& settings)
    : m_s(settings)
    , m_exists([](const QString& path) { return !path.isEmpty() && QFileInfo(path).isFile(); })
{
}

void TimerForm::load()
{
    loadPreset(m_s.timerPreset);
    m_wide = false;
    loadList(List::Programs);
    loadList(List::Sounds);
}

void TimerForm::loadPreset(const QString& preset)
{
    m_quick = Quick::None;
    m_half = Half::None;
    m_boxes.fill(kZero);
    m_group = Group::A;
    const CountdownTimer::Preset p = CountdownTimer::parsePreset(preset);
    switch (p.kind) {
    case CountdownTimer::Kind::Minutes:
        m_quick = p.minutes == 3 ? Quick::M3 : p.minutes == 5 ? Quick::M5 : Quick::M10;
        break;
    case CountdownTimer::Kind::HoursMinutes:
        m_boxes[idx(Box::H)] = pad2(p.hours);
        m_boxes[idx(Box::M)] = pad2(p.minutes);
        m_group = Group::B;
        break;
    case CountdownTimer::Kind::ClockTime:
        m_half = p.pm ? Half::PM : Half::AM;
        m_boxes[idx(Box::H2)] = pad2(p.hours);
        m_boxes[idx(Box::M2)] = pad2(p.minutes);
        m_group = Group::C;
        break;
    case CountdownTimer::Kind::None:
        break;
    }
}

void TimerForm::activate(Group g)
{
    m_group = g;
}

void TimerForm::chooseQuick(Quick q)
{
    m_quick = q;
    activate(Group::A);
}

void TimerForm::chooseHalf(Half h)
{
    m_half = h;
    activate(Group::C);
}

TimerForm::Group TimerForm::groupOf(Box b)
{
    return b == Box::H || b == Box::M ? Group::B : Group::C;
}

bool TimerForm::isNumber(const QString& text)
{
    if (text.isEmpty())
        return false;
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

bool TimerForm::editBox(Box b, const QString& typed)
{
    activate(groupOf(b));
    QString text = plainDigits(typed);
    bool reset = !isNumber(text);
    if (!reset) {
        const int v = text.toInt();
        switch (b) {
        case Box::H:
            reset = v > 23;
            break;
        case Box::M:
        case Box::M2:
            reset = v > 59;
            break;
        case Box::H2:
            reset = v > 23;
            if (!reset && v > 12) {
                // An hour on the 24-hour clock: the afternoon's hour.
                m_half = Half::PM;
                text = QString::number(v - 12);
            }
            break;
        }
    }
    m_boxes[idx(b)] = reset ? kZero : text;
    return reset;
}

bool TimerForm::enterInBox(Box b)
{
    const QString& text = m_boxes[idx(b)];
    const int limit = b == Box::H ? 23 : b == Box::H2 ? 11 : 59;
    if (isNumber(text) && text.toInt() <= limit)
        return true;
    m_boxes[idx(b)] = kZero;
    return false;
}

QString TimerForm::setCaption() const
{
    const auto number = [this](Box b) { return QString::number(m_boxes[idx(b)].toInt()); };
    switch (m_group) {
    case Group::A:
        switch (m_quick) {
        case Quick::M3:
            return QStringLiteral("3分後にセットします♪");
        case Quick::M5:
            return QStringLiteral("5分後にセットします♪");
        case Quick::M10:
            return QStringLiteral("10分後にセットします♪");
        case Quick::None:
            break;
        }
        return kUnsetCaption;
    case Group::B: {
        const QString minutes = number(Box::M) + QStringLiteral("分後にセットします♪");
        if (m_boxes[idx(Box::H)].toInt() == 0)
            return minutes;
        return number(Box::H) + QStringLiteral("時間") + minutes;
    }
    case Group::C: {
        const QString half = m_half == Half::AM ? QStringLiteral("AM") : m_half == Half::PM ? QStringLiteral("PM") : QString();
        return half + number(Box::H2) + QStringLiteral("時") + number(Box::M2) + QStringLiteral("分にセットします♪");
    }
    }
    return kUnsetCaption;
}

QString TimerForm::presetText() const
{
    const auto two = [this](Box b) { return pad2(m_boxes[idx(b)].toInt()); };
    switch (m_group) {
    case Group::A:
        switch (m_quick) {
        case Quick::M3:
            return QStringLiteral("Time A03");
        case Quick::M5:
            return QStringLiteral("Time A05");
        case Quick::M10:
            return QStringLiteral("Time A10");
        case Quick::None:
            break;
        }
        return {};
    case Group::B:
        return QStringLiteral("Time B") + two(Box::H) + two(Box::M);
    case Group::C:
        if (m_half == Half::None)
            return {};
        return QStringLiteral("Time C") + (m_half == Half::AM ? u'A' : u'P') + two(Box::H2) + two(Box::M2);
    }
    return {};
}

void TimerForm::store()
{
    m_s.timerPreset = presetText();
}

int TimerForm::entryIndex(List l, int n)
{
    return l == List::Programs ? n - 1 : n + 9;
}

bool TimerForm::acceptsFile(List l, const QString& path)
{
    return l == List::Programs ? isLauncherProgram(path) : isTimerSoundFile(path);
}

QString& TimerForm::entry(List l, int n)
{
    return m_s.registrations.at(static_cast<size_t>(entryIndex(l, n)));
}

int TimerForm::numberEntry(List l) const
{
    return l == List::Programs ? Settings::RegAprNumber : Settings::RegWavNumber;
}

int TimerForm::number(List l) const
{
    bool ok = false;
    const int n = m_lists[li(l)].number.toInt(&ok);
    return ok && n >= 1 && n <= kSlots ? n : 0;
}

QString TimerForm::nameOf(const QString& path) const
{
    return m_exists(path) ? QFileInfo(path).fileName() : notRegisteredText();
}

void TimerForm::loadList(List l)
{
    ListState& s = m_lists[li(l)];
    s.rows.clear();
    for (int n = 1; n <= kSlots; ++n) {
        const QString& path = entry(l, n);
        s.rows << (path.isEmpty() ? notRegisteredText() : path);
    }
    const QString& chosen = m_s.registrations.at(static_cast<size_t>(numberEntry(l)));
    s.number = chosen.isEmpty() ? QStringLiteral("1") : chosen;
    const int n = number(l);
    if (chosen.isEmpty() || n == 0) {
        s.text = notRegisteredText();
        s.name = notRegisteredText();
        return;
    }
    s.text = s.rows.at(n - 1);
    s.name = nameOf(entry(l, n));
}

void TimerForm::chooseRow(List l, int row)
{
    if (row < 0 || row >= kSlots)
        return;
    ListState& s = m_lists[li(l)];
    s.number = QString::number(row + 1);
    m_s.registrations.at(static_cast<size_t>(numberEntry(l))) = s.number;
    s.text = s.rows.at(row);
    s.name = nameOf(entry(l, row + 1));
}

void TimerForm::enterPath(List l, const QString& typed)
{
    ListState& s = m_lists[li(l)];
    const int n = number(l);
    if (n == 0) {
        s.name = notRegisteredText();
        return;
    }
    s.rows[n - 1] = typed;
    s.text = typed;
    if (m_exists(typed) && acceptsFile(l, typed)) {
        entry(l, n) = typed;
        s.name = QFileInfo(typed).fileName();
    } else {
        s.name = notRegisteredText();
    }
}

void TimerForm::deleteSlot(List l)
{
    const int n = number(l);
    if (n == 0)
        return;
    ListState& s = m_lists[li(l)];
    s.rows[n - 1] = notRegisteredText();
    s.name.clear();
    entry(l, n).clear();
    s.text = notRegisteredText();
}

void TimerForm::setEntry(List l, int n, const QString& path)
{
    if (n < 1 || n > kSlots)
        return;
    ListState& s = m_lists[li(l)];
    s.rows[n - 1] = path;
    entry(l, n) = path;
    s.text = path;
}

int TimerForm::entryOf(RegistrationCheck c)
{
    switch (c) {
    case RegistrationCheck::Apr:
        return Settings::RegAprOn;
    case RegistrationCheck::Audio:
        return Settings::RegWavOn;
    case RegistrationCheck::TimeOff:
        return Settings::RegMsgBoxOn;
    case RegistrationCheck::ExitWin:
        return Settings::RegExitWinOn;
    }
    return Settings::RegAprOn;
}

bool TimerForm::isChecked(RegistrationCheck c) const
{
    return m_s.registrations.at(static_cast<size_t>(entryOf(c))) == u"1";
}

void TimerForm::setChecked(RegistrationCheck c, bool on)
{
    m_s.registrations.at(static_cast<size_t>(entryOf(c))) = on ? QStringLiteral("1") : QStringLiteral("0");
}

QString TimerForm::lyricsText() const
{
    return m_s.lyricsFolder;
}

void TimerForm::setLyricsText(const QString& text)
{
    m_s.lyricsFolder = text;
}

} // namespace yk
