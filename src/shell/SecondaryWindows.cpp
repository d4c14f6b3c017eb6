#include "shell/SecondaryWindows.h"

#include <QWidget>

#include "calendar/CalendarModel.h"
#include "calendar/Memo.h"
#include "launcher/FilePickerWindow.h"
#include "platform/MascotChannel.h"
#include "platform/ShellAdapter.h"
#include "shell/AboutWindow.h"
#include "shell/HelpFiles.h"
#include "core/Settings.h"
#include "ui/ToolWindow.h"
#include "core/Twips.h"
#include "skin/BackWindow.h"
#include "skin/BackgroundController.h"
#include "timers/TimerWindow.h"

namespace yk {

namespace {

const QString kBackHint = QStringLiteral(
    "\\t\\u\\s[0]番号の下の枠をクリックすると絵が登録できるんや\\h\\s[5]\\w9登録した絵を右クリックしたら"
    "\\n\\n\\w3すぐに背景を変更することも出来るんだよ\\e");

void raiseAndFocus(QWidget* w)
{
    w->show();
    w->raise();
    w->activateWindow();
}

} // namespace

// The background window registers through the picker; the picker calls back here.
class SecondaryWindows::BackgroundTarget final : public PickerTarget
{
public:
    BackgroundTarget(SecondaryWindows& owner, int slot) : m_owner(owner), m_slot(slot) {}
    void registerBackground(const QString& path) override
    {
        m_owner.m_s.backgrounds.registerPicture(m_slot, path, m_owner.m_s.calendar.shownMonth());
    }

private:
    SecondaryWindows& m_owner;
    int m_slot;
};

class SecondaryWindows::PlayListTarget final : public PickerTarget
{
public:
    explicit PlayListTarget(std::function<void(const QString&)> add) : m_add(std::move(add)) {}
    void addToPlayList(const QString& path) override
    {
        if (m_add)
            m_add(path);
    }

private:
    std::function<void(const QString&)> m_add;
};

// The timer window registers programs and sounds through the picker. The
// picker is modal, yet the window may still go first (closeAll).
class SecondaryWindows::RegistrationTarget final : public PickerTarget
{
public:
    explicit RegistrationTarget(TimerWindow* window) : m_window(window) {}
    int launcherNumber() const override { return m_window ? m_window->launcherNumber() : 0; }
    int soundNumber() const override { return m_window ? m_window->soundNumber() : 0; }
    void setLauncherEntry(int n, const QString& path) override
    {
        if (m_window)
            m_window->setLauncherEntry(n, path);
    }
    void setSoundEntry(int n, const QString& path) override
    {
        if (m_window)
            m_window->setSoundEntry(n, path);
    }
    void showLauncherName(const QString& text) override
    {
        if (m_window)
            m_window->showLauncherName(text);
    }
    void showSoundName(const QString& text) override
    {
        if (m_window)
            m_window->showSoundName(text);
    }

private:
    QPointer<TimerWindow> m_window;
};

SecondaryWindows::SecondaryWindows(Services services, QWidget* mainWindow, QWidget* playWindow, QObject* parent)
    : QObject(parent)
    , m_s(std::move(services))
    , m_main(mainWindow)
    , m_play(playWindow)
{
    connect(&m_s.backgrounds, &BackgroundController::slotRegistered, this, [this](int slot, const QString& path) {
        if (m_back)
            m_back->setSlotPicture(slot, path);
    });
}

SecondaryWindows::~SecondaryWindows()
{
    // Top-level windows without a parent go with the program.
    closeAll();
}

void SecondaryWindows::closeAll()
{
    delete m_picker.data();
    delete m_back.data();
    delete m_memo.data();
    delete m_about.data();
    delete m_timer.data();
}

Memo* SecondaryWindows::memo() const { return m_memo; }
BackWindow* SecondaryWindows::backWindow() const { return m_back; }
FilePickerWindow* SecondaryWindows::picker() const { return m_picker; }
AboutWindow* SecondaryWindows::about() const { return m_about; }
TimerWindow* SecondaryWindows::timerWindow() const { return m_timer; }

QRect SecondaryWindows::workArea() const
{
    return m_s.workArea();
}

void SecondaryWindows::keepPlace(ToolWindow* tool, WindowId id)
{
    // The memo, background, picker and timer windows have their own two
    // fields. The background window and the picker also bring the main
    // window's (and the picker the background window's) fields up to date.
    const int field = 2 * int(id) + 1;
    tool->placeFromTwips(m_s.settings.winPosNumber(field), m_s.settings.winPosNumber(field + 1), workArea());
    connect(tool, &ToolWindow::positionRecorded, this, [this, id](TwipsPos pos) {
        if (id == WindowId::Back || id == WindowId::Launcher)
            recordMainPosition();
        if (id == WindowId::Launcher && m_back)
            m_s.settings.setWinPos(WindowId::Back, m_back->toolWindow()->positionTwips());
        m_s.settings.setWinPos(id, TwipsPos{qMax(0, pos.top), qMax(0, pos.left)});
    });
}

QList<QWidget*> SecondaryWindows::openWindows() const
{
    // The order in which always-on-top reaches them.
    QList<QWidget*> all{m_main, m_timer, m_back, m_picker, m_about, m_memo, m_play};
    QList<QWidget*> open;
    for (QWidget* w : all) {
        if (w && w->isVisible())
            open.append(w);
    }
    return open;
}

void SecondaryWindows::applyTopMost(bool on)
{
    for (QWidget* w : openWindows())
        ToolWindow::applyTopMost(w, on);
}

void SecondaryWindows::recordMainPosition()
{
    m_s.settings.setWinPos(WindowId::Main, TwipsPos{toTwips(m_main->y()), toTwips(m_main->x())});
}

void SecondaryWindows::openMemo()
{
    if (!m_s.calendar.selectionHasDay())
        return;
    if (!m_memo) {
        m_memo = new Memo(m_s.calendar.notes());
        m_memo->setAttribute(Qt::WA_DeleteOnClose);
        keepPlace(m_memo->toolWindow(), WindowId::Memo);
        connect(m_memo, &Memo::notesChanged, &m_s.calendar, &CalendarModel::notesChanged);
    }
    if (!m_memo->openDay(m_s.calendar.selDate())) {
        // Refused (a damaged note file): a window never shown goes again.
        if (!m_memo->isVisible())
            delete m_memo.data();
        return;
    }
    m_memo->toolWindow()->setTopMost(m_s.settings.alwaysOnTop);
    raiseAndFocus(m_memo);
    // Ready to type into the diary at once.
    if (QWidget* diary = m_memo->findChild<QWidget*>(QStringLiteral("Txt_Memo")))
        diary->setFocus();
}

void SecondaryWindows::openBackgrounds()
{
    if (!m_back) {
        m_back = new BackWindow();
        m_back->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_back, &BackWindow::showRequested, &m_s.backgrounds, &BackgroundController::showThumbnail);
        connect(m_back, &BackWindow::registerRequested, this, &SecondaryWindows::openBackgroundPicker);
        connect(m_back, &BackWindow::saveRequested, this, [this] { m_s.saveSettings(); });
        keepPlace(m_back->toolWindow(), WindowId::Back);
    }
    m_back->setSlots(m_s.backgrounds.slotList());
    m_back->toolWindow()->setTopMost(m_s.settings.alwaysOnTop);
    m_back->show();
    m_back->raise();
    m_s.mascot.sendScript(kBackHint);
}

void SecondaryWindows::openBackgroundPicker(int slot)
{
    m_pickerTarget = std::make_unique<BackgroundTarget>(*this, slot);
    openPicker(backgroundPickerRequest(slot, m_s.paths));
}

void SecondaryWindows::openPlayListPicker(std::function<void(const QString&)> add)
{
    m_pickerTarget = std::make_unique<PlayListTarget>(std::move(add));
    openPicker(playListPickerRequest(m_s.paths));
}

void SecondaryWindows::openPicker(const PickerRequest& request)
{
    if (m_picker)
        m_picker->close();
    m_picker = new FilePickerWindow(m_s.paths, m_pickerTarget.get());
    m_picker->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_picker, &FilePickerWindow::saveRequested, this, [this] { m_s.saveSettings(); });
    keepPlace(m_picker->toolWindow(), WindowId::Launcher);
    m_picker->apply(request);
    m_picker->toolWindow()->setTopMost(m_s.settings.alwaysOnTop);
    m_picker->showModal();
}

void SecondaryWindows::openTimerWindow()
{
    if (!m_timer) {
        TimerWindow::Services s{m_s.settings, m_s.mascot};
        s.chooseColour = [this](const QString& button, QWidget* parent) {
            if (m_s.chooseColour)
                m_s.chooseColour(button, parent);
        };
        s.openPicker = [this](PickerMode mode, int slot) { openTimerPicker(mode, slot); };
        s.refreshLauncherMenu = [this] {
            if (m_s.refreshLauncherMenu)
                m_s.refreshLauncherMenu();
        };
        m_timer = new TimerWindow(std::move(s));
        m_timer->setAttribute(Qt::WA_DeleteOnClose);
        keepPlace(m_timer->toolWindow(), WindowId::Registration);
    }
    m_timer->load();
    m_timer->toolWindow()->setTopMost(m_s.settings.alwaysOnTop);
    raiseAndFocus(m_timer);
}

void SecondaryWindows::openTimerPicker(PickerMode mode, int slot)
{
    if (!m_timer || (mode != PickerMode::Launcher && mode != PickerMode::TimerSound))
        return;
    m_pickerTarget = std::make_unique<RegistrationTarget>(m_timer);
    openPicker(mode == PickerMode::Launcher ? launcherPickerRequest(slot, m_s.paths)
                                            : timerSoundPickerRequest(slot, m_s.paths));
}

void SecondaryWindows::openAbout()
{
    if (!m_about) {
        m_about = new AboutWindow(homePageAddress(m_s.paths));
        m_about->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_about, &AboutWindow::opened, this, [this] { m_s.mascot.sendScript(AboutWindow::kOpenHint); });
        connect(m_about, &AboutWindow::okClicked, this, &SecondaryWindows::aboutAccepted);
        connect(m_about, &AboutWindow::homePageRequested, this,
                [this](const QString& address) { m_s.shell.openDocument(address); });
    }
    m_about->toolWindow()->setTopMost(m_s.settings.alwaysOnTop);
    m_about->openAbout();
}

} // namespace yk
