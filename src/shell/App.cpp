#include "shell/App.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QSystemTrayIcon>

#include "calendar/ColourChooser.h"
#include "calendar/Memo.h"
#include "media/DeviceSequences.h"
#include "media/PlayWindow.h"
#include "platform/GlobalHotKey.h"
#include "platform/ShellAdapter.h"
#include "skin/DefaultSkin.h"
#include "skin/FrameOverlay.h"
#include "skin/BackWindow.h"
#include "launcher/DirForm.h"
#include "shell/AboutWindow.h"
#include "shell/HelpFiles.h"
#include "shell/PopupMenu.h"
#include "launcher/FilePicker.h"
#include "platform/Clock.h"
#include "platform/DeviceChannel.h"
#include "platform/MascotChannel.h"
#include "platform/VolumeMixer.h"
#include "shell/AppIcon.h"
#include "shell/Form1.h"
#include "shell/HandOver.h"
#include "shell/ToolWindow.h"
#include "platform/TextFile.h"
#include "timers/ClockText.h"

namespace yk {

namespace {

const QString kTrayTip = QStringLiteral("Yomikaze v1.35");
const QString kPlayerCaption = QStringLiteral("Yomikaze V1.35");
const QString kGreeting = QStringLiteral("\\t\\h\\s[0]Yomikazeが起動しました♪\\e");
const QString kFirstGreeting = QStringLiteral("\\t\\h\\s[0]まずは右クリックして色々設定してみてね♪\\e");
const QString kFarewell = QStringLiteral("\\t\\h\\s[0]Yomikazeが終了しました♪\\e");

bool exists(const QString& path)
{
    // Hidden files count as existing; QFileInfo does not care about that bit.
    return QFileInfo::exists(path);
}

} // namespace

void handOverToRunningCopy(const AppPaths& paths, const QStringList& args)
{
    if (args.isEmpty())
        return;
    if (args.size() == 1 && QFileInfo(args.first()).isFile()) {
        writeHandOver(paths.handOverFile(), args);
        return;
    }
    // No window here, so the walk may run on this thread.
    QStringList entries;
    for (const QString& a : args)
        entries += scanMediaPath(a);
    writeHandOver(paths.handOverFile(), entries);
}

App::App(AppServices services, QObject* parent)
    : QObject(parent)
    , m_s(std::move(services))
    , m_settings(m_s.paths.settingsFile())
    , m_calendar(m_s.clock ? m_s.clock->now().date() : QDate::currentDate())
    , m_notes(m_s.paths)
    , m_backgrounds(m_s.paths, m_s.random)
{
    m_form = std::make_unique<Form1>();
    m_menu = std::make_unique<PopupMenu>();
    connect(m_menu.get(), &PopupMenu::triggered, this, &App::onMenuItem);
    m_playWindow = std::make_unique<PlayWindow>();

    connect(&m_scanner, &MediaScanner::scanned, this,
            [this](const QString&, const QStringList& entries) { onScanned(entries); });
    connect(&m_scanner, &MediaScanner::idle, this, &App::scansFinished);
    connect(&m_timer1, &QTimer::timeout, this, &App::Timer1_Timer);
    connect(m_form.get(), &Form1::closeRequested, this, &App::systemClose);
    connect(m_form.get(), &Form1::keyDown, this, [this](int key, const QString&) { l_KeyDown(key); });
    connect(m_form.get(), &Form1::elementPressed, this, &App::onPressed);
    connect(m_form.get(), &Form1::elementMoved, this, &App::onMoved);
    connect(m_form.get(), &Form1::elementReleased, this, &App::onReleased);
    connect(m_form.get(), &Form1::elementDoubleClicked, this, &App::onDoubleClicked);
    if (m_s.hotKey)
        connect(m_s.hotKey, &GlobalHotKey::activated, this, &App::HotKeyProc);
}

App::~App()
{
    // Top-level windows without a parent go with the program.
    delete m_picker;
    delete m_back;
    delete m_memo;
    delete m_about;
}

void App::start(const QStringList& args)
{
    const bool commandLine = !args.isEmpty();

    // A start with files fills the play list first. The walk runs off the UI
    // thread; once every path is in, the first entry decides whether playback
    // starts at the next tick.
    if (commandLine) {
        for (const QString& a : args) {
            if (!a.isEmpty())
                getDirList(a);
        }
        connect(this, &App::scansFinished, this, [this] {
            if (!m_playList.isEmpty() && exists(m_playList.at(0))) {
                m_player.Play_Start = true;
                m_player.List_Changed = true;
            }
        }, Qt::SingleShotConnection);
    }

    // Work nobody sees before the window is up waits for its first paint.
    afterFirstPaint([this] { showTrayIcon(); });
    makeDataFolders();
    greet();
    // The settings are read in every case, also with a command line: without
    // them the clock would never tick and the next save would wipe the
    // user's settings. After the folders exist, so a first start can create
    // the file.
    m_settings.Load(*this);
    loadSkinMarks();
    refreshScheduleMark();

    const QDate today = m_s.clock->now().date();
    m_calendar.setShownMonth(today.year(), today.month());
    Calen(m_calendar.curYear());
    Mnu_Apr();

    placeVolumeKnob();
    chooseBackground();
    afterFirstPaint([this] { drawPlayWindowPicture(); });
    if (!commandLine)
        playOpeningSound();

    m_form->img_L[0]->setPixmap(m_form->img_L[1]->pixmap());
    m_player.Loop_On = false;

    readWorkArea();
    updatePlayWindowSides();
    afterFirstPaint([this] {
        if (m_s.hotKey)
            m_s.hotKey->registerHotKey();
    });
    m_player.Cur_Index = 0;
    m_player.List_Play = false;
    m_playWindow->lst_Files_Name->setCurrentRow(-1);
    SoundKeyNumber = 0;

    m_form->show();
    m_form->activateWindow();
}

void App::getDirList(const QString& path)
{
    m_scanner.scan(path);
}

void App::onScanned(const QStringList& entries)
{
    m_playList.append(entries);
    if (m_playList.isEmpty())
        return;
    m_player.Cur_File = m_playList.at(m_player.Cur_Index);
    m_form->lbl_Play_Name->setText(entryDisplayName(m_player.Cur_Index, m_player.Cur_File));
}

void App::makeDataFolders()
{
    const QDir root(m_s.paths.myPath());
    m_firstStart = !root.exists(QStringLiteral("System"));
    for (const QString& f : {QStringLiteral("System"), QStringLiteral("wav"), QStringLiteral("img")}) {
        if (!root.exists(f))
            root.mkpath(f);
    }
    // The first start brings our own skin and sounds; after that they are the
    // user's to replace or delete.
    if (m_firstStart) {
        const DefaultSkinResult r = writeDefaultSkin(m_s.paths);
        for (const QString& f : r.failed)
            qWarning("could not write %s", qPrintable(f));
        if (!writeHelpFiles(m_s.paths))
            qWarning("could not write the help files");
    }
}

void App::greet()
{
    const QDir root(m_s.paths.myPath());
    QString text = kGreeting;
    if (!root.exists(QStringLiteral("txt"))) {
        root.mkpath(QStringLiteral("txt"));
        text = kFirstGreeting;
    }
    if (m_s.mascot)
        m_s.mascot->sendScript(text);
}

void App::loadSkinMarks()
{
    const QString day = m_s.paths.file(u"System/Day.gif");
    const QString bar = m_s.paths.file(u"System/Day_Bar.gif");
    const QString bar2 = m_s.paths.file(u"System/Day_Bar2.gif");
    if (exists(day))
        m_form->Img_toujitu[0]->setPixmap(QPixmap(day));
    if (exists(bar))
        m_form->image1[0]->setPixmap(QPixmap(bar));
    if (exists(bar2))
        m_form->Img_Yotei->setPixmap(QPixmap(bar2));
}

void App::refreshScheduleMark()
{
    m_form->Img_Yotei->setVisible(dayHasNote(m_s.clock->now().date()));
}

bool App::dayHasNote(const QDate& date) const
{
    return m_notes.hasNotes(date);
}

void App::Calen(int year)
{
    CalendarColours colours{m_settings.Color_Y, m_settings.Color_M, m_settings.Color_T,
                            m_settings.Color_Sun, m_settings.Color_Day, m_settings.Color_Sat};
    m_calendar.setShownMonth(year, m_calendar.curMonth());
    // The background's check marks and the in-turn slot of this run come
    // before the days are written.
    const BackgroundChange bg = m_backgrounds.Mnu_Pct(backSlots(), m_settings.Back_Mode,
                                                      m_form->Lbl_Cou->text().isEmpty());
    applyBackground(bg);
    const MonthGrid& g = m_calendar.draw(m_s.clock->now().date(), colours,
                                         m_notes.noteTestFor(m_calendar.curYear(), m_calendar.curMonth()));
    if (g.coloursFilled) {
        m_settings.Color_Y = g.colours.colorY;
        m_settings.Color_M = g.colours.colorM;
        m_settings.Color_T = g.colours.colorT;
        m_settings.Color_Sun = g.colours.colorSun;
        m_settings.Color_Day = g.colours.colorDay;
        m_settings.Color_Sat = g.colours.colorSat;
    }
    auto paint = [](QLabel* l, const QColor& c) {
        QPalette p = l->palette();
        p.setColor(QPalette::WindowText, c);
        l->setPalette(p);
    };
    Form1& f = *m_form;
    f.lblTitle->setText(g.yearTitle);
    f.LblTitle_2->setText(g.monthTitle);
    paint(f.lblTitle, g.yearColour);
    paint(f.LblTitle_2, g.monthColour);
    paint(f.LBL_TIME, g.clockColour);
    paint(f.LBL_TIME_2, g.clockColour);
    paint(f.lbl_AP, g.clockColour);
    for (int c = 0; c < 7; ++c) {
        f.lblweek[size_t(c)]->setText(g.weekHeads[size_t(c)]);
        paint(f.lblweek[size_t(c)], g.weekColours[size_t(c)]);
    }
    const QPixmap todayPicture = f.Img_toujitu[0]->pixmap();
    for (int i = 0; i < Form1::kCells; ++i) {
        const MonthGridCell& cell = g.cells[size_t(i)];
        QLabel* day = f.lblday[size_t(i)];
        day->setText(cell.caption);
        paint(day, cell.colour);
        f.placeDayLabel(i, cell.x);
        day->setAccessibleName(cell.day ? g.monthTitle + QStringLiteral("月") + cell.caption
                                              + (cell.holiday ? QStringLiteral("日 祝日") : QStringLiteral("日"))
                                        : QString());
        QLabel* today = f.Img_toujitu[size_t(i)];
        if (i > 0 && cell.todayMarker)
            today->setPixmap(todayPicture);
        today->setVisible(cell.todayMarker);
    }
    // An armed timer shows in the 12-hour clock's colour.
    if (f.lbl_Timer->text() == QStringLiteral("Start")) {
        paint(f.LBL_TIME_2, colourFromValue(QStringLiteral("128")));
        paint(f.lbl_AP, colourFromValue(QStringLiteral("128")));
    }
    // The draw has just read the note files; no need to list them again.
    showMemoMarkers([](const MonthGridCell& cell) { return cell.memoMarker; });
    f.Lbl_Cou->setText(QStringLiteral("1"));
}

void App::chooseCalendarColour(const QString& button, QWidget* parent)
{
    struct Target { const char* button; QString Settings::*value; const char* title; };
    static const Target targets[] = {
        {"cmd_Y", &Settings::Color_Y, "年"},       {"cmd_M", &Settings::Color_M, "月"},
        {"cmd_T", &Settings::Color_T, "時間"},     {"cmd_Sun", &Settings::Color_Sun, "休日"},
        {"cmd_W_D", &Settings::Color_Day, "平日"}, {"cmd_Sat", &Settings::Color_Sat, "土曜"},
    };
    for (const Target& t : targets) {
        if (button != QLatin1String(t.button))
            continue;
        const ColourChooser chooser(m_s.colourPicker);
        QString& value = m_settings.*t.value;
        if (const auto chosen = chooser.choose(parent, value, QString::fromUtf8(t.title))) {
            value = *chosen;
            Calen(m_calendar.curYear());
        }
        return;
    }
}

void App::f_Disp_Day()
{
    const MonthGrid& g = m_calendar.grid();
    const auto hasNote = m_notes.noteTestFor(g.year, g.month);
    showMemoMarkers([&](const MonthGridCell& cell) {
        return cell.day > 0 && hasNote(QDate(g.year, g.month, cell.day));
    });
}

void App::showMemoMarkers(const std::function<bool(const MonthGridCell&)>& marked)
{
    Form1& f = *m_form;
    const QPixmap bar = f.image1[0]->pixmap();
    const MonthGrid& g = m_calendar.grid();
    for (int i = 0; i < Form1::kCells; ++i) {
        const bool has = marked(g.cells[size_t(i)]);
        if (i > 0)
            f.image1[size_t(i)]->setPixmap(has ? bar : QPixmap());
        f.image1[size_t(i)]->setVisible(has);
    }
}

void App::placeVolumeKnob()
{
    quint32 v = 0;
    if (m_s.mixer) {
        if (auto vol = m_s.mixer->volume())
            v = *vol & 0xFFFFu;
    }
    const int x = int(qint64(v) * 64 / 65535 + 7);
    m_form->img_Vol->move(x, m_form->img_Vol->y());
}

BackSlotList App::backSlots() const
{
    return backSlotList([this](int k) { return m_settings.Back_Slot[size_t(k)]; });
}

void App::chooseBackground()
{
    applyBackground(m_backgrounds.startup(backSlots(), m_settings.Back_Mode, m_calendar.curMonth()));
}

void App::applyBackground(const BackgroundChange& change)
{
    if (!change.mode.isEmpty())
        m_settings.Back_Mode = change.mode;
    if (change.check != BackMenuItem::None)
        m_menu->checkBackground(change.check);
    switch (change.picture) {
    case BackgroundChange::Picture::Keep:
        if (!change.drawFrame)
            return;
        break;
    case BackgroundChange::Picture::Clear:
        m_backgroundPath.clear();
        break;
    case BackgroundChange::Picture::Show:
        m_backgroundPath = change.path;
        break;
    }
    redrawBackground();
}

void App::redrawBackground()
{
    const QString frame = m_backgrounds.framePath();
    const QImage picture = composeSkinPicture(m_backgroundPath, exists(frame) ? frame : QString());
    m_form->setBackground(QPixmap::fromImage(picture));
}

void App::monthlyRefreshIfMonthly()
{
    if (m_settings.Back_Mode == QStringLiteral("M"))
        applyBackground(m_backgrounds.monthlyRefresh(backSlots(), m_form->LblTitle_2->text().toInt()));
}

void App::drawPlayWindowPicture()
{
    const QString back = m_backgrounds.playBackPath();
    if (!exists(back))
        return;
    const QString frame = m_backgrounds.playFramePath();
    m_playWindow->setPicture(QPixmap::fromImage(composeSkinPicture(back, exists(frame) ? frame : QString())));
}

void App::playOpeningSound()
{
    m_form->lbl_Play_Name->setText(kPlayerCaption);
    QString type;
    QString file = m_s.paths.file(u"wav/Opening.wav");
    if (exists(file)) {
        type = QStringLiteral("WaveAudio");
    } else {
        file = m_s.paths.file(u"wav/Opening.mp3");
        if (exists(file))
            type = QStringLiteral("MpegVideo");
    }
    if (type.isEmpty() || !m_s.device)
        return;
    m_player.Opening_Play = true;
    // Loading the media framework costs more than the whole window: the
    // sound follows the first paint.
    afterFirstPaint([this, type, file] { device::startFile(*m_s.device, type, file); });
}

void App::afterFirstPaint(std::function<void()> work)
{
    if (m_form->hasBeenPainted()) {
        work();
        return;
    }
    connect(m_form.get(), &Form1::firstPainted, this, [this, work = std::move(work)] {
        if (!m_ended)
            work();
    }, Qt::SingleShotConnection);
}

void App::readWorkArea()
{
    QRect r;
    if (m_s.workArea)
        r = m_s.workArea();
    else if (QScreen* s = QGuiApplication::primaryScreen())
        r = s->availableGeometry();
    m_work.Work_Width = r.width() * kTwipsPerPixel;
    m_work.Work_Height = r.height() * kTwipsPerPixel;
    m_work.Work_Top = r.top() * kTwipsPerPixel;
    m_work.Work_Left = r.left() * kTwipsPerPixel;
}

void App::showTrayIcon()
{
    if (!m_s.trayIcon || m_tray || m_ended)
        return;
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        // At log-in the panel may come up after us: look again for a while.
        // The window itself stays reachable meanwhile (it is on screen).
        if (m_trayRetries++ < 15)
            QTimer::singleShot(2000, this, &App::showTrayIcon);
        return;
    }
    m_tray = std::make_unique<QSystemTrayIcon>(appIcon());
    m_tray->setToolTip(kTrayTip);
    connect(m_tray.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason r) { onTrayActivated(int(r)); });
    m_tray->show();
}

void App::removeTrayIcon()
{
    if (m_tray)
        m_tray->hide();
    m_tray.reset();
}

void App::startClockTick()
{
    m_timer1.start(100);
}

void App::runTickStep(const char* name, const std::function<void()>& step)
{
    // One failing duty must not stop the clock, nor the duties after it.
    try {
        step();
    } catch (const std::exception& e) {
        qWarning("tick step %s failed: %s", name, e.what());
    } catch (...) {
        qWarning("tick step %s failed", name);
    }
}

void App::Timer1_Timer()
{
    const QDateTime now = m_s.clock->now();
    Form1& f = *m_form;

    runTickStep("midnight", [&] {
        if (m_midnight.check(f.LBL_TIME->text())) {
            m_calendar.setShownMonth(now.date().year(), now.date().month());
            Calen(m_calendar.curYear());
            refreshScheduleMark();
        }
    });

    QString key;
    runTickStep("clock", [&] {
        f.LBL_TIME->setText(clocktext::time24(now.time()));
        key = clocktext::timeKey(now.time());
        const clocktext::Clock12 c12 = clocktext::time12(key);
        f.LBL_TIME_2->setText(c12.text);
        f.lbl_AP->setText(c12.ampm);
    });

    runTickStep("title", [&] {
        // The play-list highlight and title follow with the player.
        m_player.Title_Refresh = false;
    });
    // The player's upkeep (hand-over intake, list rows, end of track,
    // lyrics, buttons) and the timer check join here with the player and
    // the timers; lst.tmp waits for the intake until then.
}

std::optional<TwipsPos> App::windowPosition(WindowId id) const
{
    QWidget* w = nullptr;
    if (id == WindowId::Main)
        w = m_form.get();
    else if (id == WindowId::Play)
        w = m_playWindow.get();
    if (!w)
        return std::nullopt;
    return TwipsPos{w->y() * kTwipsPerPixel, w->x() * kTwipsPerPixel};
}

void App::placeWindow(WindowId id, TwipsPos pos)
{
    QWidget* w = nullptr;
    if (id == WindowId::Main)
        w = m_form.get();
    else if (id == WindowId::Play)
        w = m_playWindow.get();
    if (!w || w->isVisible())
        return;
    QPoint at(pos.left / kTwipsPerPixel, pos.top / kTwipsPerPixel);
    // A borderless window kept from a larger or since removed screen would
    // come up out of reach, with no caption to pull it back: bring it onto
    // the desktop instead.
    const QRect wanted(at, w->size());
    bool reachable = false;
    for (QScreen* screen : QGuiApplication::screens())
        reachable = reachable || screen->availableGeometry().contains(wanted.center());
    if (!reachable) {
        const QRect area = m_s.workArea ? m_s.workArea()
                                        : QGuiApplication::primaryScreen()->availableGeometry();
        at.setX(qBound(area.left(), at.x(), area.right() - w->width() + 1));
        at.setY(qBound(area.top(), at.y(), area.bottom() - w->height() + 1));
    }
    w->move(at);
}

void App::setTopMost(bool on)
{
    setTopMostChecked(on);
    applyTopMost(m_form.get(), on);
    applyTopMost(m_playWindow.get(), on);
}

void App::setMovieFullChecked(bool on)
{
    m_menu->setMovieFullChecked(on);
}

void App::setTopMostChecked(bool on)
{
    m_menu->setTopChecked(on);
}

void App::applyTopMost(QWidget* w, bool on)
{
    const bool visible = w->isVisible();
    w->setWindowFlag(Qt::WindowStaysOnTopHint, on);
    // Changing a window flag hides the window; put it back without moving it.
    if (visible)
        w->show();
}

void App::shutdown()
{
    if (m_ended)
        return;
    m_ended = true;
    m_settings.Save(*this);
    m_settings.clear();
    m_player.clear();
    m_work = WorkArea();
    SoundKeyNumber = 0;
    m_timer1.stop();
    removeTrayIcon();
    if (m_s.mascot)
        m_s.mascot->sendScript(kFarewell);
    f_QueryUnload();
    // Give the farewell up to a second to reach the mascot, then go.
    if (m_s.mascot)
        m_s.mascot->flush(1000);
    m_form->hide();
    m_playWindow->hide();
    Q_EMIT finished();
}

void App::systemClose()
{
    if (m_ended)
        return;
    m_ended = true;
    // Saving here keeps a log-off or a termination from losing every change
    // made since the start.
    m_settings.Save(*this);
    m_timer1.stop();
    removeTrayIcon();
    f_QueryUnload();
    m_form->hide();
    m_playWindow->hide();
    Q_EMIT finished();
}

void App::f_QueryUnload()
{
    if (m_s.hotKey)
        m_s.hotKey->unregisterHotKey();
}

void App::HotKeyProc()
{
    auto* box = new QMessageBox(QMessageBox::NoIcon, QStringLiteral("Yomikaze"),
                                QStringLiteral("ホットキーイベントが発生しました。"), QMessageBox::Ok);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void App::l_KeyDown(int key)
{
    switch (key) {
    case Qt::Key_Up:
        m_calendar.nextYear();
        Calen(m_calendar.curYear());
        break;
    case Qt::Key_Down:
        m_calendar.previousYear();
        Calen(m_calendar.curYear());
        break;
    case Qt::Key_Right:
        m_calendar.nextMonth();
        Calen(m_calendar.curYear());
        monthlyRefreshIfMonthly();
        break;
    case Qt::Key_Left:
        m_calendar.previousMonth();
        Calen(m_calendar.curYear());
        monthlyRefreshIfMonthly();
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        m_calendar.showTodaysMonth(m_s.clock->now().date());
        Calen(m_calendar.curYear());
        monthlyRefreshIfMonthly();
        break;
    case Qt::Key_Space:
        // As a right-button release at the window's corner.
        popupMenu(m_form->mapToGlobal(QPoint(0, 0)), true);
        break;
    case Qt::Key_Escape:
        shutdown();
        break;
    default:
        break;
    }
}

void App::openMemo()
{
    if (!m_calendar.selectionHasDay())
        return;
    if (!m_memo) {
        m_memo = new Memo(m_notes);
        m_memo->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_memo, &QObject::destroyed, this, [this] { m_memo = nullptr; });
        connect(m_memo->toolWindow(), &ToolWindow::positionRecorded, this, [this](TwipsPos pos) {
            m_settings.setWinPos(WindowId::Memo, TwipsPos{qMax(0, pos.top), qMax(0, pos.left)});
        });
        connect(m_memo, &Memo::notesChanged, this, [this] {
            f_Disp_Day();
            refreshScheduleMark();
        });
        // Its stored place, when there is one; a top of 0 means the work area's top.
        m_memo->toolWindow()->placeFromTwips(
            m_settings.winPosNumber(7), m_settings.winPosNumber(8),
            QRect(m_work.Work_Left / kTwipsPerPixel, m_work.Work_Top / kTwipsPerPixel,
                  m_work.Work_Width / kTwipsPerPixel, m_work.Work_Height / kTwipsPerPixel));
    }
    m_memo->openDay(m_calendar.selDate());
    m_memo->toolWindow()->setTopMost(m_settings.Top_Flag);
    m_memo->show();
    m_memo->raise();
    m_memo->activateWindow();
    // Ready to type into the diary at once.
    if (QWidget* diary = m_memo->findChild<QWidget*>(QStringLiteral("Txt_Memo")))
        diary->setFocus();
}

void App::onPressed(QWidget* element, int, Qt::MouseButton button, QPointF global)
{
    // The sliders drag their own thumbs; everything else drags the window.
    if (button != Qt::LeftButton || element == m_form->img_Vol || element == m_form->img_Ber)
        return;
    m_dragging = true;
    m_grab = global - QPointF(m_form->pos());
}

void App::onMoved(QWidget*, int, Qt::MouseButtons buttons, QPointF global)
{
    if (!m_dragging || !(buttons & Qt::LeftButton))
        return;
    const QPointF wanted = global - m_grab;
    MoveRequest r;
    r.newLeft = qRound(wanted.x()) * kTwipsPerPixel;
    r.newTop = qRound(wanted.y()) * kTwipsPerPixel;
    r.work = WorkAreaTwips{m_work.Work_Left, m_work.Work_Top, m_work.Work_Width, m_work.Work_Height};
    r.playLeft = m_playWindow->x() * kTwipsPerPixel;
    r.playTop = m_playWindow->y() * kTwipsPerPixel;
    r.playShown = m_playWindow->isVisible();
    r.sides = m_sides;
    const MovePlacement p = moveMainWindow(r);
    m_form->move(p.left / kTwipsPerPixel, p.top / kTwipsPerPixel);
    if (p.playFollows)
        m_playWindow->move(p.playLeft / kTwipsPerPixel, p.playTop / kTwipsPerPixel);
}

void App::onReleased(QWidget* element, int index, Qt::MouseButton button, QPointF global)
{
    m_dragging = false;
    Form1& f = *m_form;
    QLabel* label = qobject_cast<QLabel*>(element);
    const QString name = element->property("element").toString();
    if ((name == QStringLiteral("lblday") || name == QStringLiteral("image1")) && index >= 0)
        m_calendar.selectCell(index);
    else if (label == f.lblTitle || label == f.LblTitle_2 || label == f.Img_Def
             || name.startsWith(QStringLiteral("lblweek")))
        m_calendar.selectMonthOnly();
    if (button == Qt::RightButton)
        popupMenu(global.toPoint(), true);
    updatePlayWindowSides();
}

void App::onDoubleClicked(QWidget* element, int index)
{
    const QString name = element->property("element").toString();
    if (name == QStringLiteral("lblday") && index >= 0) {
        m_calendar.selectCell(index);
        openMemo();
    } else if (element == m_form->LblTitle_2 && m_s.shell) {
        // The data folder in the desktop's file manager.
        m_s.shell->openDocument(m_s.paths.myPath());
    }
}

void App::updatePlayWindowSides()
{
    m_sides = Play_Window(m_form->x() * kTwipsPerPixel, m_form->y() * kTwipsPerPixel,
                          m_playWindow->x() * kTwipsPerPixel, m_playWindow->y() * kTwipsPerPixel);
}

} // namespace yk
