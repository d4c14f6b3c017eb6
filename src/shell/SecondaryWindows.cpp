#include "shell/SecondaryWindows.h"

#include <QWidget>

#include "calendar/CalendarModel.h"
#include "calendar/Memo.h"
#include "launcher/DirForm.h"
#include "platform/MascotChannel.h"
#include "platform/ShellAdapter.h"
#include "shell/AboutWindow.h"
#include "shell/HelpFiles.h"
#include "shell/Settings.h"
#include "shell/Twips.h"
#include "skin/BackWindow.h"
#include "skin/BackgroundController.h"

namespace yk {

namespace {

const QString kBackHint = QStringLiteral(
    "\\t\\u\\s[0]番号の下の枠をクリックすると絵が登録できるんや\\h\\s[5]\\w9登録した絵を右クリックしたら"
    "\\n\\n\\w3すぐに背景を変更することも出来るんだよ\\e");

void setTopMost(QWidget* w, bool on)
{
    if (w->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == on)
        return;
    const bool visible = w->isVisible();
    w->setWindowFlag(Qt::WindowStaysOnTopHint, on);
    // Changing a window flag hides the window; put it back without moving it.
    if (visible)
        w->show();
}

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
}

Memo* SecondaryWindows::memo() const { return m_memo; }
BackWindow* SecondaryWindows::backWindow() const { return m_back; }
Dir_Form* SecondaryWindows::picker() const { return m_picker; }
AboutWindow* SecondaryWindows::about() const { return m_about; }

QRect SecondaryWindows::workArea() const
{
    return m_s.workArea();
}

int SecondaryWindows::workTopTwips() const
{
    return toTwips(workArea().top());
}

QList<QWidget*> SecondaryWindows::openWindows() const
{
    // The order in which always-on-top reaches them.
    QList<QWidget*> all{m_main, m_back, m_picker, m_about, m_memo, m_play};
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
        setTopMost(w, on);
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
        connect(m_memo, &Memo::positionReport, this, [this](int top, int left) {
            m_s.settings.setWinPos(WindowId::Memo, TwipsPos{qMax(0, top), qMax(0, left)});
        });
        connect(m_memo, &Memo::notesChanged, &m_s.calendar, &CalendarModel::notesChanged);
        // Its stored place, when there is one; a top of 0 means the work area's top.
        if (auto top = m_s.settings.winPosNumber(7)) {
            if (auto left = m_s.settings.winPosNumber(8))
                m_memo->placeTwips(*top == 0 ? workTopTwips() : int(*top), int(*left));
        }
    }
    m_memo->openDay(m_s.calendar.selDate());
    m_memo->setTopMost(m_s.settings.Top_Flag);
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
        connect(m_back, &BackWindow::positionRecorded, this, [this](int top, int left) {
            recordMainPosition();
            m_s.settings.setWinPos(WindowId::Back, TwipsPos{top, left});
        });
        if (auto top = m_s.settings.winPosNumber(3)) {
            if (auto left = m_s.settings.winPosNumber(4))
                m_back->moveToTwips(*top == 0 ? workTopTwips() : int(*top), int(*left));
        }
    }
    m_back->setSlots(m_s.backgrounds.slotList());
    m_back->setTopMost(m_s.settings.Top_Flag);
    m_back->show();
    m_back->raise();
    m_s.mascot.sendScript(kBackHint);
}

void SecondaryWindows::openBackgroundPicker(int slot)
{
    m_pickerTarget = std::make_unique<BackgroundTarget>(*this, slot);
    openPicker(backgroundPickerRequest(slot, m_s.paths));
}

void SecondaryWindows::openPicker(const PickerRequest& request)
{
    if (m_picker)
        m_picker->close();
    m_picker = new Dir_Form(m_s.paths, m_pickerTarget.get());
    m_picker->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_picker, &Dir_Form::saveRequested, this, [this] { m_s.saveSettings(); });
    connect(m_picker, &Dir_Form::positionRecorded, this, [this](qint64 top, qint64 left) {
        recordMainPosition();
        if (m_back)
            m_s.settings.setWinPos(WindowId::Back, TwipsPos{m_back->topTwips(), m_back->leftTwips()});
        m_s.settings.setWinPos(WindowId::Launcher, TwipsPos{int(top), int(left)});
    });
    m_picker->apply(request);
    m_picker->placeAt(m_s.settings.winPosNumber(5), m_s.settings.winPosNumber(6), workTopTwips());
    m_picker->applyTopFlag(m_s.settings.Top_Flag);
    m_picker->showModal();
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
    m_about->setTopMost(m_s.settings.Top_Flag);
    m_about->openAbout();
}

} // namespace yk
