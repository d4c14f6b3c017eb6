#include "shell/MainWindow.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>

#include "ui/CommandKey.h"
#include "ui/FileDrop.h"
#include "skin/Artwork.h"

namespace yk {

namespace {

QFont uiFont(int pixelSize, bool bold = false)
{
    QFont f;
    // DejaVu Sans has equal-width digits, so clocks and times do not jitter.
    // The window itself shows Latin letters and digits; a Japanese title
    // falls back to Noto Sans CJK glyph by glyph, so the large CJK font is
    // only loaded when it is needed, not on the start-up path.
    const QStringList families{QStringLiteral("DejaVu Sans"), QStringLiteral("Noto Sans CJK JP"),
                               QStringLiteral("Noto Sans JP"), QStringLiteral("IPAGothic")};
    f.setFamilies(families);
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferFullHinting);
    return f;
}

const char* const kWeekdays[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kWeekdayNames[7] = {"日曜日", "月曜日", "火曜日", "水曜日", "木曜日", "金曜日", "土曜日"};

} // namespace

MainWindow::MainWindow(QWidget* parent)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::Window)
{
    // The first paint needs the system's font list, and reading it (the
    // font configuration and every font folder's cache) is the largest
    // single cost before the window shows. The list is shared by all
    // threads and guarded by Qt, so it is read on a thread of its own while
    // the labels, the settings and the background are made here.
    m_fontWarmUp = std::thread([] { QFontDatabase::families(); });

    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Yomikaze"));
    setAccessibleName(QStringLiteral("Yomikaze カレンダー"));
    setFixedSize(kSide, kSide);
    setFocusPolicy(Qt::StrongFocus);
    // Files dropped anywhere on the window, its pictures and labels too.
    connect(new FileDrop(this), &FileDrop::dropped, this, &MainWindow::filesDropped);

    pct_Main = new QLabel(this);
    pct_Main->setObjectName(QStringLiteral("pct_Main"));
    pct_Main->setGeometry(0, 0, kSide, kSide);
    pct_Main->setAccessibleName(QStringLiteral("背景"));
    pct_Main->installEventFilter(this);
    pct_Main->setProperty("element", int(MainElement::Surface));

    buildCalendar();
    buildClock();
    buildPlayer();
}

MainWindow::~MainWindow()
{
    if (m_fontWarmUp.joinable())
        m_fontWarmUp.join();
}

QLabel* MainWindow::makeLabel(MainElement element, const QRect& geometry, int pixelSize,
                              const QString& accessibleName, Qt::Alignment align, int index)
{
    auto* l = new QLabel(this);
    const QString name = objectNameOf(element);
    if (element == MainElement::WeekHead)
        l->setObjectName(name + QString::number(index + 1)); // lblweek1..7
    else
        l->setObjectName(index >= 0 ? name + u'_' + QString::number(index) : name);
    l->setGeometry(geometry);
    l->setFont(uiFont(pixelSize, false));
    l->setAlignment(align);
    l->setAttribute(Qt::WA_TranslucentBackground);
    if (!accessibleName.isEmpty())
        l->setAccessibleName(accessibleName);
    if (index >= 0)
        l->setProperty("index", index);
    l->setProperty("element", int(element));
    l->installEventFilter(this);
    return l;
}

QLabel* MainWindow::makePicture(MainElement element, const QRect& geometry,
                           const QString& accessibleName, int index)
{
    QLabel* l = makeLabel(element, geometry, 9, accessibleName, Qt::AlignCenter, index);
    l->setScaledContents(false);
    return l;
}

void MainWindow::placeDayLabel(int cell, double x)
{
    const int row = cell / 7;
    lblday[size_t(cell)]->setGeometry(qRound(x), rowTop(row), 22, 13);
}

void MainWindow::buildCalendar()
{
    Img_Def = makePicture(MainElement::CalendarPicture, QRect(6, 26, 165, 92), QStringLiteral("カレンダー"));

    lblTitle = makeLabel(MainElement::YearTitle, QRect(8, 9, 34, 13), 12, QStringLiteral("年"),
                         Qt::AlignLeft | Qt::AlignVCenter);
    lblTitle->setFont(uiFont(12, true));
    LblTitle_2 = makeLabel(MainElement::MonthTitle, QRect(42, 6, 26, 20), 18, QStringLiteral("月"),
                           Qt::AlignLeft | Qt::AlignVCenter);
    LblTitle_2->setFont(uiFont(18, true));

    for (int c = 0; c < 7; ++c) {
        lblweek[size_t(c)] = makeLabel(MainElement::WeekHead,
                                       QRect(qRound(columnLeft(c)), 28, 22, 10), 8,
                                       QString::fromUtf8(kWeekdayNames[c]), Qt::AlignCenter, c);
        lblweek[size_t(c)]->setText(QString::fromLatin1(kWeekdays[c]));
        lblweek[size_t(c)]->setFont(uiFont(8, true));
    }

    for (int cell = 0; cell < kCells; ++cell) {
        const int col = cell % 7;
        const int row = cell / 7;
        const int x = qRound(columnLeft(col));
        const int y = rowTop(row);
        // Stacking: today marker below the number, memo bar under it.
        Img_toujitu[size_t(cell)] = makePicture(MainElement::TodayMark, QRect(x, y, 22, 13),
                                                QStringLiteral("今日"), cell);
        Img_toujitu[size_t(cell)]->hide();
        image1[size_t(cell)] = makePicture(MainElement::NoteBar, QRect(x + 2, y + 11, 18, 3),
                                           QStringLiteral("メモあり"), cell);
        image1[size_t(cell)]->hide();
        lblday[size_t(cell)] = makeLabel(MainElement::Day, QRect(x, y, 22, 13), 11,
                                         QString(), Qt::AlignCenter, cell);
    }
}

void MainWindow::buildClock()
{
    LBL_TIME = makeLabel(MainElement::Clock24, QRect(112, 6, 58, 12), 11, QString(),
                         Qt::AlignRight | Qt::AlignVCenter);
    LBL_TIME->setFont(uiFont(11, true));
    LBL_TIME_2 = makeLabel(MainElement::Clock12, QRect(118, 17, 36, 10), 9, QString(),
                           Qt::AlignRight | Qt::AlignVCenter);
    lbl_AP = makeLabel(MainElement::AmPm, QRect(155, 17, 15, 10), 8, QString(),
                       Qt::AlignRight | Qt::AlignVCenter);
    Img_Yotei = makePicture(MainElement::ScheduleMark, QRect(72, 10, 10, 10), QStringLiteral("今日の予定あり"));
    Img_Yotei->hide();
}

void MainWindow::buildPlayer()
{
    lbl_Lyrics = makeLabel(MainElement::LyricsLine, QRect(8, 116, 161, 11), 8, QString(),
                           Qt::AlignLeft | Qt::AlignVCenter);
    lbl_Lyrics->setFont(uiFont(9));
    lbl_Lyrics->setTextFormat(Qt::PlainText); // lines from files are never markup
    lbl_Lyrics->hide();
    lbl_Play_Name = makeLabel(MainElement::PlayerTitle, QRect(9, 127, 130, 13), 10, QString(),
                              Qt::AlignLeft | Qt::AlignVCenter);
    lbl_Play_Name->setFont(uiFont(10));
    // Wide enough for "00:00.00" before the position track starts at 50.
    lbl_S_Time = makeLabel(MainElement::Elapsed, QRect(7, 141, 43, 12), 9, QStringLiteral("経過時間"),
                           Qt::AlignLeft | Qt::AlignVCenter);
    lbl_S_Time->setText(QStringLiteral("00:00"));

    // The thumbs slide with their left edge over 50..161 (position) and
    // 7..71 (volume); the tracks under them are part of the window.
    auto* posTrack = new QLabel(this);
    posTrack->setObjectName(QStringLiteral("posTrack"));
    posTrack->setGeometry(50, 146, 118, 2);
    posTrack->setStyleSheet(QStringLiteral("background: rgba(61, 79, 138, 110); border-radius: 1px;"));
    auto* volTrack = new QLabel(this);
    volTrack->setObjectName(QStringLiteral("volTrack"));
    volTrack->setGeometry(7, 161, 71, 2);
    volTrack->setStyleSheet(QStringLiteral("background: rgba(61, 79, 138, 110); border-radius: 1px;"));
    posTrack->setProperty("element", int(MainElement::PositionTrack));
    volTrack->setProperty("element", int(MainElement::VolumeTrack));
    for (QLabel* t : {posTrack, volTrack})
        t->installEventFilter(this);

    img_Ber = makePicture(MainElement::PositionThumb, QRect(50, 141, 7, 11), QStringLiteral("再生位置"));
    img_Ber->setPixmap(artwork(u"img_Ber"));
    img_Vol = makePicture(MainElement::VolumeThumb, QRect(7, 156, 7, 11), QStringLiteral("音量"));
    img_Vol->setPixmap(artwork(u"img_Vol"));
    img_Bar_Down = makePicture(MainElement::HeldThumb, QRect(0, 0, 7, 11), QString());
    img_Bar_Down->setPixmap(artwork(u"img_Bar_Down"));
    img_Bar_Down->hide();

    struct Button { QLabel** face; QLabel** pressed; MainElement element; MainElement held; const char* label; int x; };
    const Button buttons[] = {
        {&img_B, &img_B_2, MainElement::Back, MainElement::BackHeld, "前の曲", 99},
        {&img_P, &img_P_2, MainElement::Play, MainElement::PlayHeld, "再生", 113},
        {&img_S, &img_S_2, MainElement::Stop, MainElement::StopHeld, "停止", 141},
        {&img_F, &img_F_2, MainElement::Forward, MainElement::ForwardHeld, "次の曲", 155},
    };
    for (const Button& b : buttons) {
        *b.face = makePicture(b.element, QRect(b.x, 155, 14, 12), QString::fromUtf8(b.label));
        (*b.face)->setPixmap(artwork(objectNameOf(b.element)));
        *b.pressed = makePicture(b.held, QRect(b.x, 155, 14, 12), QString::fromUtf8(b.label));
        (*b.pressed)->setPixmap(artwork(objectNameOf(b.held)));
        (*b.pressed)->hide();
    }
    for (int i = 0; i < 2; ++i) {
        img_Pause[size_t(i)] = makePicture(MainElement::Pause, QRect(127, 155, 14, 12),
                                           QStringLiteral("一時停止"), i);
        img_Random[size_t(i)] = makePicture(MainElement::Random, QRect(155, 127, 14, 12),
                                            QStringLiteral("ランダム"), i);
    }
    img_Pause[0]->setPixmap(artwork(u"img_Pouse"));
    img_Pause[1]->setPixmap(artwork(u"img_Pouse_2"));
    img_Random[0]->setPixmap(artwork(u"img_Randam_Off"));
    img_Random[1]->setPixmap(artwork(u"img_Randam_On"));
    img_Pause[1]->hide();
    // Held faces only show; the press and release stay with the button
    // under them.
    for (QLabel* held : {img_P_2, img_S_2, img_F_2, img_B_2, img_Pause[1]})
        held->setAttribute(Qt::WA_TransparentForMouseEvents);
    img_Random[1]->hide();
    for (int i = 0; i < 3; ++i) {
        img_L[size_t(i)] = makePicture(MainElement::Loop, QRect(140, 127, 14, 12),
                                       QStringLiteral("ループ"), i);
        if (i > 0)
            img_L[size_t(i)]->hide();
    }
    img_L[1]->setPixmap(artwork(u"img_L_Off"));
    img_L[2]->setPixmap(artwork(u"img_L_On"));
    img_L[0]->setPixmap(img_L[1]->pixmap());
}

void MainWindow::setBackground(const QPixmap& picture)
{
    pct_Main->setPixmap(picture);
}

QPixmap MainWindow::background() const
{
    return pct_Main->pixmap();
}

namespace {

void paint(QLabel* label, const QColor& colour)
{
    QPalette p = label->palette();
    if (p.color(QPalette::WindowText) == colour)
        return;
    p.setColor(QPalette::WindowText, colour);
    label->setPalette(p);
}

// The colour of the 12-hour clock while a timer is armed (0x000080 in the
// settings' colour numbers).
const QColor kTimerArmedColour(128, 0, 0);

} // namespace

void MainWindow::showMonth(const MonthGrid& g)
{
    lblTitle->setText(g.yearTitle);
    LblTitle_2->setText(g.monthTitle);
    paint(lblTitle, g.yearColour);
    paint(LblTitle_2, g.monthColour);
    // The 24-hour clock keeps its own colour; the clock colour is the
    // 12-hour clock's.
    m_clockColour = g.clockColour;
    paintClock12();
    for (int c = 0; c < 7; ++c) {
        lblweek[size_t(c)]->setText(g.weekHeads[size_t(c)]);
        paint(lblweek[size_t(c)], g.weekColours[size_t(c)]);
    }
    for (int i = 0; i < kCells; ++i) {
        const MonthGridCell& cell = g.cells[size_t(i)];
        QLabel* day = lblday[size_t(i)];
        day->setText(cell.caption);
        paint(day, cell.colour);
        placeDayLabel(i, cell.x);
        day->setAccessibleName(cell.day ? g.monthTitle + QStringLiteral("月") + cell.caption
                                              + (cell.holiday ? QStringLiteral("日 祝日") : QStringLiteral("日"))
                                        : QString());
        QLabel* today = Img_toujitu[size_t(i)];
        if (cell.todayMarker && today->pixmap().cacheKey() != m_todayMark.cacheKey())
            today->setPixmap(m_todayMark);
        today->setVisible(cell.todayMarker);
    }
    std::array<bool, kCells> marked{};
    for (int i = 0; i < kCells; ++i)
        marked[size_t(i)] = g.cells[size_t(i)].memoMarker;
    showMemoMarkers(marked);
}

void MainWindow::showMemoMarkers(const std::array<bool, kCells>& marked)
{
    for (int i = 0; i < kCells; ++i) {
        QLabel* bar = image1[size_t(i)];
        const bool has = marked[size_t(i)];
        if (has && bar->pixmap().cacheKey() != m_noteBar.cacheKey())
            bar->setPixmap(m_noteBar);
        bar->setVisible(has);
    }
}

void MainWindow::showClocks(const QString& time24, const QString& time12, const QString& ampm)
{
    LBL_TIME->setText(time24);
    LBL_TIME_2->setText(time12);
    lbl_AP->setText(ampm);
}

void MainWindow::showTimerArmed(bool armed)
{
    m_timerArmed = armed;
    paintClock12();
}

void MainWindow::paintClock12()
{
    const QColor c = m_timerArmed ? kTimerArmedColour : m_clockColour;
    paint(LBL_TIME_2, c);
    paint(lbl_AP, c);
}

void MainWindow::showPlayerTitle(const QString& title)
{
    lbl_Play_Name->setText(title);
}

void MainWindow::showScheduleMark(bool shown)
{
    Img_Yotei->setVisible(shown);
}

void MainWindow::setSkinMarks(const QPixmap& today, const QPixmap& noteBar, const QPixmap& scheduleBar)
{
    if (!today.isNull())
        m_todayMark = today;
    if (!noteBar.isNull())
        m_noteBar = noteBar;
    if (!scheduleBar.isNull())
        Img_Yotei->setPixmap(scheduleBar);
    for (QLabel* l : Img_toujitu) {
        if (l->isVisible())
            l->setPixmap(m_todayMark);
    }
    for (QLabel* l : image1) {
        if (l->isVisible())
            l->setPixmap(m_noteBar);
    }
}

void MainWindow::placeVolumeThumb(int left)
{
    img_Vol->move(left, img_Vol->y());
}

int MainWindow::volumeThumbLeft() const
{
    return img_Vol->x();
}

void MainWindow::showLoop(bool on)
{
    img_L[0]->setPixmap(img_L[on ? 2 : 1]->pixmap());
}

void MainWindow::showLyricsLine(const QString& line)
{
    lbl_Lyrics->setText(line);
}

void MainWindow::showLyricsLabel(bool shown)
{
    lbl_Lyrics->setVisible(shown);
    LblTitle_2->move(LblTitle_2->x(), shown ? 12 : 6);
}

void MainWindow::showPlayerButtons(bool shown)
{
    m_buttonsShown = shown;
    for (QLabel* l : {img_B, img_P, img_S, img_F, img_Vol, img_L[0]})
        l->setVisible(shown);
    img_Pause[0]->setVisible(shown);
    img_Pause[1]->setVisible(shown && m_pauseHeld);
}

void MainWindow::showRandom(bool shown, bool on)
{
    img_Random[0]->setVisible(shown && !on);
    img_Random[1]->setVisible(shown && on);
}

void MainWindow::showPositionThumb(bool shown)
{
    img_Ber->setVisible(shown);
    lbl_S_Time->setVisible(shown);
}

void MainWindow::placePositionThumb(int left)
{
    img_Ber->move(left, img_Ber->y());
}

void MainWindow::showElapsed(const QString& text)
{
    lbl_S_Time->setText(text);
}

void MainWindow::setTitleOpaque(bool opaque)
{
    if (opaque == m_titleOpaque)
        return;
    m_titleOpaque = opaque;
    styleTitle();
}

void MainWindow::setTitleFramed(bool framed)
{
    if (framed == m_titleFramed)
        return;
    m_titleFramed = framed;
    styleTitle();
}

void MainWindow::styleTitle()
{
    // A style sheet, not the palette: the label keeps compositing over the
    // skin, so a changed title never leaves the old one's pixels behind.
    QString style;
    if (m_titleOpaque)
        style += QStringLiteral("background-color: rgb(250, 251, 253); border-radius: 2px; padding-left: 1px; ");
    if (m_titleFramed)
        style += QStringLiteral("border: 1px solid rgb(61, 79, 138); ");
    lbl_Play_Name->setStyleSheet(style.isEmpty() ? QString() : QStringLiteral("QLabel { ") + style + u'}');
}

bool MainWindow::titleOpaque() const
{
    return m_titleOpaque;
}

void MainWindow::showButtonPressed(PlayerButton button, bool pressed)
{
    switch (button) {
    case PlayerButton::Play: img_P_2->setVisible(pressed); break;
    case PlayerButton::Stop: img_S_2->setVisible(pressed); break;
    case PlayerButton::Forward: img_F_2->setVisible(pressed); break;
    case PlayerButton::Back: img_B_2->setVisible(pressed); break;
    case PlayerButton::Pause:
        // The held face covers the normal one rather than replacing it:
        // hiding the pressed label would hand its release to nobody.
        m_pauseHeld = pressed;
        img_Pause[1]->setVisible(m_buttonsShown && pressed);
        break;
    }
}

void MainWindow::showThumbHeld(Thumb thumb, bool held)
{
    QLabel* face = thumb == Thumb::Position ? img_Ber : img_Vol;
    QLabel* other = thumb == Thumb::Position ? img_Vol : img_Ber;
    // Only one thumb is held at a time, so the other one wears the plain face.
    face->setPixmap(held ? img_Bar_Down->pixmap() : other->pixmap());
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    auto* w = qobject_cast<QWidget*>(watched);
    if (w && w->parentWidget() == this) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseMove:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            handleMouse(w, event);
            return true;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void MainWindow::handleMouse(QWidget* element, QEvent* event)
{
    auto* me = static_cast<QMouseEvent*>(event);
    const int index = element->property("index").isValid() ? element->property("index").toInt() : -1;
    const auto name = MainElement(element->property("element").toInt());
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        Q_EMIT elementPressed(name, index, me->button(), me->globalPosition());
        break;
    case QEvent::MouseMove:
        Q_EMIT elementMoved(name, index, me->buttons(), me->globalPosition());
        break;
    case QEvent::MouseButtonRelease:
        Q_EMIT elementReleased(name, index, me->button(), me->globalPosition());
        break;
    case QEvent::MouseButtonDblClick:
        Q_EMIT elementDoubleClicked(name, index);
        break;
    default:
        break;
    }
}

void MainWindow::keyPressEvent(QKeyEvent* event)
{
    Q_EMIT keyDown(commandKeyOf(event), event->modifiers());
}

void MainWindow::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    if (!m_painted) {
        m_painted = true;
        // After this paint has reached the screen, not within it.
        QTimer::singleShot(0, this, &MainWindow::firstPainted);
    }
}


void MainWindow::closeEvent(QCloseEvent* event)
{
    Q_EMIT closeRequested();
    event->accept();
}

} // namespace yk
