// The App's secondary windows: the background window with its picker, the
// tray icon's buttons and the always-on-top switch. Start-up and the main
// window's own handling live in App.cpp.
#include "shell/App.h"

#include <QCursor>
#include <QFileInfo>
#include <QSystemTrayIcon>

#include "calendar/Memo.h"
#include "launcher/DirForm.h"
#include "launcher/Launcher.h"
#include "media/PlayWindow.h"
#include "platform/MascotChannel.h"
#include "platform/ShellAdapter.h"
#include "shell/Form1.h"
#include "skin/BackWindow.h"
#include "shell/AboutWindow.h"
#include "shell/HelpFiles.h"
#include "shell/PopupMenu.h"
#include "shell/ToolWindow.h"

namespace yk {

namespace {

const QString kBackHint = QStringLiteral(
    "\\t\\u\\s[0]番号の下の枠をクリックすると絵が登録できるんや\\h\\s[5]\\w9登録した絵を右クリックしたら"
    "\\n\\n\\w3すぐに背景を変更することも出来るんだよ\\e");

} // namespace

// The background window registers through the picker; the picker calls back here.
class App::BackgroundTarget final : public PickerTarget
{
public:
    BackgroundTarget(App& app, int slot) : m_app(app), m_slot(slot) {}
    void registerBackground(const QString& path) override { m_app.registerBackground(m_slot, path); }

private:
    App& m_app;
    int m_slot;
};

void App::Top_YN()
{
    const bool on = !m_settings.Top_Flag;
    m_settings.Top_Flag = on;
    setTopMostChecked(on);
    // Only the windows on screen change now; the others follow the setting
    // when they are shown.
    QWidget* windows[] = {m_form.get(), m_back, m_picker, m_about, m_memo, m_playWindow.get()};
    for (QWidget* w : windows) {
        if (w && w->isVisible())
            applyTopMost(w, on);
    }
}

void App::onTrayActivated(int reason)
{
    if (reason == QSystemTrayIcon::Trigger) {
        // Twice: every window comes to the front and the setting stays off.
        if (!m_settings.Top_Flag) {
            Top_YN();
            Top_YN();
        }
        m_form->raise();
        m_form->activateWindow();
    } else if (reason == QSystemTrayIcon::Context) {
        popupMenu(QCursor::pos(), false);
    }
}

void App::openBackgroundWindow()
{
    if (!m_back) {
        m_back = new BackWindow();
        m_back->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_back, &QObject::destroyed, this, [this] { m_back = nullptr; });
        connect(m_back, &BackWindow::showRequested, this, [this](int slot) {
            applyBackground(m_backgrounds.thumbnailShow(backSlots(), slot));
        });
        connect(m_back, &BackWindow::registerRequested, this, &App::openBackgroundPicker);
        connect(m_back, &BackWindow::saveRequested, this, [this] { m_settings.Save(*this); });
        connect(m_back->toolWindow(), &ToolWindow::positionRecorded, this, [this](TwipsPos pos) {
            recordMainPosition();
            m_settings.setWinPos(WindowId::Back, pos);
        });
        m_back->toolWindow()->placeFromTwips(
            m_settings.winPosNumber(3), m_settings.winPosNumber(4),
            QRect(m_work.Work_Left / kTwipsPerPixel, m_work.Work_Top / kTwipsPerPixel,
                  m_work.Work_Width / kTwipsPerPixel, m_work.Work_Height / kTwipsPerPixel));
    }
    m_back->setSlots(backSlots());
    m_back->toolWindow()->setTopMost(m_settings.Top_Flag);
    m_back->show();
    m_back->raise();
    if (m_s.mascot)
        m_s.mascot->sendScript(kBackHint);
}

void App::openBackgroundPicker(int slot)
{
    m_pickerTarget = std::make_unique<BackgroundTarget>(*this, slot);
    openPicker(backgroundPickerRequest(slot, m_s.paths));
}

void App::openPicker(const PickerRequest& request)
{
    if (m_picker)
        m_picker->close();
    m_picker = new Dir_Form(m_s.paths, m_pickerTarget.get());
    m_picker->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_picker, &QObject::destroyed, this, [this] { m_picker = nullptr; });
    connect(m_picker, &Dir_Form::saveRequested, this, [this] { m_settings.Save(*this); });
    connect(m_picker->toolWindow(), &ToolWindow::positionRecorded, this, [this](TwipsPos pos) {
        recordMainPosition();
        if (m_back)
            m_settings.setWinPos(WindowId::Back, m_back->toolWindow()->positionTwips());
        m_settings.setWinPos(WindowId::Launcher, pos);
    });
    m_picker->apply(request);
    m_picker->toolWindow()->placeFromTwips(
        m_settings.winPosNumber(5), m_settings.winPosNumber(6),
        QRect(m_work.Work_Left / kTwipsPerPixel, m_work.Work_Top / kTwipsPerPixel,
              m_work.Work_Width / kTwipsPerPixel, m_work.Work_Height / kTwipsPerPixel));
    m_picker->toolWindow()->setTopMost(m_settings.Top_Flag);
    m_picker->showModal();
}

void App::registerBackground(int slot, const QString& path)
{
    BackSlotList slots = backSlots();
    const auto r = m_backgrounds.registerPicture(slots, slot, path, m_settings.Back_Mode,
                                                 m_form->LblTitle_2->text().toInt());
    if (!r.registered)
        return;
    m_settings.setBackSlot(slot, slots[size_t(slot - 1)]);
    if (m_back)
        m_back->setSlotPicture(slot, path);
    applyBackground(r.background);
}

void App::recordMainPosition()
{
    m_settings.setWinPos(WindowId::Main, TwipsPos{m_form->y() * kTwipsPerPixel, m_form->x() * kTwipsPerPixel});
}

void App::popupMenu(QPoint globalPos, bool refreshMarks)
{
    if (refreshMarks)
        applyBackground(m_backgrounds.Mnu_Pct(backSlots(), m_settings.Back_Mode, false));
    m_menu->popup(globalPos);
}

void App::onMenuItem(const QString& name)
{
    if (const int entry = PopupMenu::launcherEntryOf(name); entry >= 0) {
        startLauncherEntry(entry);
    } else if (const int slot = PopupMenu::backgroundSlotOf(name); slot > 0) {
        applyBackground(m_backgrounds.f_Mnu_Pct(backSlots(), slot));
    } else if (name == QStringLiteral("mnu_Haikei")) {
        openBackgroundWindow();
    } else if (name == QStringLiteral("mnu_Mon")) {
        applyBackground(m_backgrounds.monthlyRefresh(backSlots(), m_form->LblTitle_2->text().toInt()));
    } else if (name == QStringLiteral("mnu_Ran")) {
        m_settings.Back_Mode = BackgroundSlots::mnu_Ran(m_settings.Back_Mode);
    } else if (name == QStringLiteral("mnu_Loop")) {
        m_settings.Back_Mode = BackgroundSlots::mnu_Loop(m_settings.Back_Mode);
    } else if (name == QStringLiteral("mnu_Top")) {
        Top_YN();
    } else if (name == QStringLiteral("mnu_Properties")) {
        openAbout();
    } else if (name == QStringLiteral("mnu_Help")) {
        openHelp();
    } else if (name == QStringLiteral("mnu_End")) {
        shutdown();
    }
    // The timer settings, the play-list items and full-size movies come
    // with the timer window and the player.
}

void App::Mnu_Apr()
{
    m_menu->applyLauncherMenu(yk::Mnu_Apr(m_settings.Reg_List));
    m_menu->setTopChecked(m_settings.Top_Flag);
    m_menu->setMovieFullChecked(m_settings.Movie_Full_On);
}

void App::openAbout()
{
    if (!m_about) {
        m_about = new AboutWindow(homePageAddress(m_s.paths));
        m_about->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_about, &QObject::destroyed, this, [this] { m_about = nullptr; });
        connect(m_about, &AboutWindow::opened, this, [this] {
            if (m_s.mascot)
                m_s.mascot->sendScript(AboutWindow::kOpenHint);
        });
        connect(m_about, &AboutWindow::okClicked, this, &App::Mnu_Apr);
        connect(m_about, &AboutWindow::homePageRequested, this, [this](const QString& address) {
            if (m_s.shell)
                m_s.shell->openDocument(address);
        });
    }
    m_about->toolWindow()->setTopMost(m_settings.Top_Flag);
    m_about->openAbout();
}

void App::startLauncherEntry(int index)
{
    if (m_s.shell)
        yk::startLauncherEntry(*m_s.shell, m_settings.Reg_List, index);
}

void App::openHelp()
{
    const QString path = helpFilePath(m_s.paths);
    if (m_s.shell && !path.isEmpty())
        m_s.shell->openDocument(path);
}

} // namespace yk
