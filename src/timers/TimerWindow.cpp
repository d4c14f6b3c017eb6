#include "timers/TimerWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTimer>

#include "platform/MascotChannel.h"
#include "ui/ToolWindow.h"
#include "core/Twips.h"

namespace yk {

const QString TimerWindow::kCaption = QStringLiteral(" 設定後メイン画面の時刻をダブルクリックで開始");
const QString TimerWindow::kFolderTitle = QStringLiteral("Lyrics参照のフォルダを指定して下さい");

namespace {

using Group = TimerForm::Group;
using Box = TimerForm::Box;
using List = TimerForm::List;

// Both forms are as tall as the registration part needs.
constexpr int kHeight = 320;

void setOption(QRadioButton* b, bool on)
{
    // An exclusive option cannot be cleared by itself; "none chosen" is a
    // state the window must be able to show.
    if (!on && b->isChecked()) {
        b->setAutoExclusive(false);
        b->setChecked(false);
        b->setAutoExclusive(true);
    } else if (on) {
        b->setChecked(true);
    }
}

} // namespace

TimerWindow::TimerWindow(Services services, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint)
    , m_s(std::move(services))
    , m_form(m_s.settings)
{
    setObjectName(QStringLiteral("Timer"));
    setWindowTitle(kCaption);
    setAccessibleName(QStringLiteral("タイマー/各種登録"));
    m_tool = new ToolWindow(this);
    buildTimerPart();
    buildRegistrationPart();
    watchKeys();
    load();
}

bool TimerWindow::isPathLine(const QWidget* w) const
{
    for (const QWidget* line : {static_cast<const QWidget*>(m_apr.list), static_cast<const QWidget*>(m_wav.list),
                                static_cast<const QWidget*>(m_lyrics)}) {
        if (w == line || line->isAncestorOf(w))
            return true;
    }
    return false;
}

void TimerWindow::watchKeys()
{
    installEventFilter(this);
    const auto children = findChildren<QWidget*>();
    for (QWidget* child : children)
        child->installEventFilter(this);
}

void TimerWindow::load()
{
    m_form.load();
    {
        const QSignalBlocker block(m_lyrics);
        m_lyrics->setText(m_form.lyricsText());
    }
    showForm();
    applyWidth();
    if (m_form.group() == Group::B) {
        m_txtH->setFocus();
        m_txtH->selectAll();
    }
}

QLineEdit* TimerWindow::boxWidget(Box b) const
{
    switch (b) {
    case Box::H:
        return m_txtH;
    case Box::M:
        return m_txtM;
    case Box::H2:
        return m_txtH2;
    case Box::M2:
        return m_txtM2;
    }
    return m_txtH;
}

const TimerWindow::ListControls& TimerWindow::controls(List l) const
{
    return l == List::Programs ? m_apr : m_wav;
}

void TimerWindow::showForm()
{
    const Group g = m_form.group();
    for (QWidget* w : std::initializer_list<QWidget*>{m_opt3, m_opt5, m_opt10})
        w->setEnabled(g == Group::A);
    for (QWidget* w : std::initializer_list<QWidget*>{m_txtH, m_lblPoint, m_txtM, m_lblFungo})
        w->setEnabled(g == Group::B);
    for (QWidget* w : std::initializer_list<QWidget*>{m_optAm, m_optPm, m_txtH2, m_lblPoint2, m_txtM2})
        w->setEnabled(g == Group::C);

    setOption(m_opt3, m_form.quick() == TimerForm::Quick::M3);
    setOption(m_opt5, m_form.quick() == TimerForm::Quick::M5);
    setOption(m_opt10, m_form.quick() == TimerForm::Quick::M10);
    setOption(m_optAm, m_form.half() == TimerForm::Half::AM);
    setOption(m_optPm, m_form.half() == TimerForm::Half::PM);
    for (Box b : {Box::H, Box::M, Box::H2, Box::M2}) {
        QLineEdit* box = boxWidget(b);
        // Only a changed text is set, so typing keeps its cursor.
        if (box->text() != m_form.boxText(b))
            box->setText(m_form.boxText(b));
    }
    m_set->setText(m_form.setCaption());

    for (List l : {List::Programs, List::Sounds}) {
        const ListControls& c = controls(l);
        const QSignalBlocker block(c.list);
        const QStringList& rows = m_form.rows(l);
        for (int i = 0; i < rows.size(); ++i)
            c.list->setItemText(i, rows.at(i));
        const int n = m_form.number(l);
        if (n > 0)
            c.list->setCurrentIndex(n - 1);
        c.list->setEditText(m_form.listText(l));
        c.name->setText(m_form.nameText(l));
        c.number->setText(m_form.numberText(l));
    }
    m_apr.check->setChecked(m_form.isChecked(RegistrationCheck::Apr));
    m_wav.check->setChecked(m_form.isChecked(RegistrationCheck::Audio));
    m_timeOff->setChecked(m_form.isChecked(RegistrationCheck::TimeOff));
    m_exitWin->setChecked(m_form.isChecked(RegistrationCheck::ExitWin));
}

void TimerWindow::applyWidth()
{
    // The registration controls take no clicks or keys while they are
    // outside the narrow window.
    const bool wide = m_form.isWide();
    for (QWidget* w : std::initializer_list<QWidget*>{m_apr.check, m_apr.browse, m_apr.list, m_wav.check,
                                                      m_wav.browse, m_wav.list})
        w->setEnabled(wide);
    setFixedSize(m_form.widthTwips() / kTwipsPerPixel, kHeight);
}

void TimerWindow::activate(Group g)
{
    m_form.activate(g);
    showForm();
}

void TimerWindow::focusGroup()
{
    switch (m_form.group()) {
    case Group::A:
        (m_form.quick() == TimerForm::Quick::M5    ? m_opt5
         : m_form.quick() == TimerForm::Quick::M10 ? m_opt10
                                                   : m_opt3)
            ->setFocus();
        break;
    case Group::B:
        m_txtH->setFocus();
        break;
    case Group::C:
        (m_form.half() == TimerForm::Half::PM ? m_optPm : m_optAm)->setFocus();
        break;
    }
}

void TimerWindow::storePreset()
{
    m_form.store();
    m_tool->recordPosition();
    if (m_s.refreshLauncherMenu)
        m_s.refreshLauncherMenu();
    close();
    m_s.mascot.sendScript(TimerForm::kStoredScript);
}

void TimerWindow::toggleWidth(bool fromButton)
{
    m_form.setWide(!m_form.isWide());
    applyWidth();
    if (m_form.isWide()) {
        m_apr.check->setFocus();
        if (fromButton)
            m_s.mascot.sendScript(TimerForm::kWidenScript);
    } else if (!fromButton) {
        m_set->setFocus();
    }
}

void TimerWindow::stepGroup(int direction)
{
    const int next = (int(m_form.group()) + direction + 3) % 3;
    activate(Group(next));
    focusGroup();
}

void TimerWindow::escape()
{
    if (m_s.refreshLauncherMenu)
        m_s.refreshLauncherMenu();
    close();
}

void TimerWindow::handleKey(int key)
{
    switch (key) {
    case Qt::Key_PageUp:
        stepGroup(-1);
        break;
    case Qt::Key_PageDown:
        stepGroup(1);
        break;
    case Qt::Key_Shift:
        toggleWidth(false);
        break;
    case Qt::Key_Escape:
        escape();
        break;
    default:
        break;
    }
}

void TimerWindow::chooseLyricsFolder()
{
    QPointer<QLineEdit> box = m_lyrics;
    auto chosen = [box](const QString& folder) {
        if (box && !folder.isEmpty())
            box->setText(folder);
    };
    if (m_s.chooseFolder) {
        m_s.chooseFolder(this, kFolderTitle, chosen);
        return;
    }
    // Not exec(): the clock keeps ticking while the dialog is open.
    auto* dialog = new QFileDialog(this, kFolderTitle, m_lyrics->text());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly);
    connect(dialog, &QFileDialog::fileSelected, this, chosen);
    dialog->open();
}

void TimerWindow::setCheck(RegistrationCheck c, bool on)
{
    m_form.setChecked(c, on);
    showForm();
}

bool TimerWindow::isChecked(RegistrationCheck c) const
{
    return m_form.isChecked(c);
}

QString TimerWindow::lyricsBoxText() const
{
    return m_lyrics->text();
}

int TimerWindow::launcherNumber() const
{
    return m_form.number(List::Programs);
}

int TimerWindow::soundNumber() const
{
    return m_form.number(List::Sounds);
}

void TimerWindow::setLauncherEntry(int n, const QString& path)
{
    m_form.setEntry(List::Programs, n, path);
    showForm();
}

void TimerWindow::setSoundEntry(int n, const QString& path)
{
    m_form.setEntry(List::Sounds, n, path);
    showForm();
}

void TimerWindow::showLauncherName(const QString& text)
{
    m_form.showName(List::Programs, text);
    showForm();
}

void TimerWindow::showSoundName(const QString& text)
{
    m_form.showName(List::Sounds, text);
    showForm();
}

void TimerWindow::closeEvent(QCloseEvent* event)
{
    if (isVisible())
        m_tool->recordPosition();
    QWidget::closeEvent(event);
}

bool TimerWindow::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::MouseButtonPress) {
        // A grey option takes its click (buttons do not pass clicks on):
        // it wakes its group and is chosen, as the user meant.
        if (auto* b = qobject_cast<QRadioButton*>(watched); b && !b->isEnabled()) {
            if (b == m_optAm || b == m_optPm) {
                m_form.chooseHalf(b == m_optAm ? TimerForm::Half::AM : TimerForm::Half::PM);
            } else {
                m_form.chooseQuick(b == m_opt3   ? TimerForm::Quick::M3
                                   : b == m_opt5 ? TimerForm::Quick::M5
                                                 : TimerForm::Quick::M10);
            }
            showForm();
            b->setFocus();
            return true;
        }
        // A click on a group frame or its focus label (or on a grey control,
        // which passes its click to them) wakes the group.
        if (watched == m_fla1 || watched == m_focas1) {
            activate(Group::A);
        } else if (watched == m_fla3 || watched == m_focas2) {
            activate(Group::B);
            m_txtH->setFocus();
            m_txtH->selectAll();
        } else if (watched == m_fla2 || watched == m_focas3) {
            activate(Group::C);
            m_txtH2->setFocus();
            m_txtH2->selectAll();
        }
        return false;
    }
    if (type == QEvent::FocusIn) {
        // A time box is replaced whole by what is typed into it.
        if (auto* box = qobject_cast<QLineEdit*>(watched);
            box && (box == m_txtH || box == m_txtM || box == m_txtH2 || box == m_txtM2)) {
            QTimer::singleShot(0, box, &QLineEdit::selectAll);
        }
        return false;
    }
    if (type == QEvent::KeyRelease) {
        m_keyEvent = nullptr;
        return false;
    }
    if (type != QEvent::KeyPress)
        return false;

    // The first receiver of a key is the focus widget (or the window when
    // nothing has the focus); the same event passed on to the parents, or
    // handed by a list to its text line, counts once.
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this)
        return false;
    if (event == m_keyEvent && m_keyReceiver && widget != m_keyReceiver)
        return false;
    m_keyEvent = event;
    m_keyReceiver = widget;
    auto* key = static_cast<QKeyEvent*>(event);
    const int code = key->key();
    if (code == Qt::Key_Return || code == Qt::Key_Enter) {
        for (Box b : {Box::H, Box::M, Box::H2, Box::M2}) {
            if (watched != boxWidget(b))
                continue;
            if (m_form.enterInBox(b)) {
                (b == Box::H ? static_cast<QWidget*>(m_txtM) : b == Box::H2 ? static_cast<QWidget*>(m_txtM2) : m_set)->setFocus();
            } else {
                showForm();
                boxWidget(b)->selectAll();
            }
            return true;
        }
        for (List l : {List::Programs, List::Sounds}) {
            if (watched == controls(l).list || watched == controls(l).list->lineEdit()) {
                m_form.enterPath(l, controls(l).list->currentText());
                showForm();
                return true;
            }
        }
        if (auto* push = qobject_cast<QPushButton*>(watched)) {
            push->click();
            return true;
        }
        return false;
    }
    // Shift also writes capitals into a path being typed: there it is a
    // letter key, not the width switch. Held down, it switches once.
    if (code == Qt::Key_Shift && (key->isAutoRepeat() || isPathLine(widget)))
        return false;
    handleKey(code);
    return code == Qt::Key_PageUp || code == Qt::Key_PageDown || code == Qt::Key_Escape;
}

} // namespace yk
