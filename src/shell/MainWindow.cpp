#include "shell/MainWindow.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
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

// The groove under a thumb: a thin rounded bar of the skin's blue.
QPixmap trackLine(QSize size)
{
    QPixmap line(size);
    line.fill(Qt::transparent);
    QPainter p(&line);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(61, 79, 138, 110));
    p.drawRoundedRect(QRectF(QPointF(0, 0), QSizeF(size)), 1, 1);
    return line;
}

const char* const kWeekdays[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kWeekdayNames[7] = {"日曜日", "月曜日", "火曜日", "水曜日", "木曜日", "金曜日", "土曜日"};

} // namespace

MainWindow::MainWindow(QWidget* parent)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::Window)
{
    // The first paint needs Qt's list of the system's fonts. main() has had
    // the font configuration loaded; building the list from it still takes
    // a few ms, so it is done on a thread of its own (the list is shared by
    // all threads and guarded by Qt) while the labels, the settings and the
    // background are made here.
    m_fontWarmUp = std::thread([] { QFontDatabase::families(); });

    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Yomikaze"));
    setAccessibleName(QStringLiteral("Yomikaze カレンダー"));
    setFixedSize(kSide, kSide);
    setFocusPolicy(Qt::StrongFocus);
    // Files dropped anywhere on the window, its pictures and labels too.
    connect(new FileDrop(this), &FileDrop::dropped, this, &MainWindow::filesDropped);

    m_surface = new QLabel(this);
    m_surface->setObjectName(QStringLiteral("pct_Main"));
    m_surface->setGeometry(0, 0, kSide, kSide);
    m_surface->setAccessibleName(QStringLiteral("背景"));
    m_surface->installEventFilter(this);
    m_surface->setProperty("element", int(MainElement::Surface));

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
    m_days[size_t(cell)]->setGeometry(qRound(x), rowTop(row), 22, 13);
}

void MainWindow::buildCalendar()
{
    m_calendarPicture = makePicture(MainElement::CalendarPicture, QRect(6, 26, 165, 92), QStringLiteral("カレンダー"));

    m_yearTitle = makeLabel(MainElement::YearTitle, QRect(8, 9, 34, 13), 12, QStringLiteral("年"),
                         Qt::AlignLeft | Qt::AlignVCenter);
    m_yearTitle->setFont(uiFont(12, true));
    m_monthTitle = makeLabel(MainElement::MonthTitle, QRect(42, 6, 26, 20), 18, QStringLiteral("月"),
                           Qt::AlignLeft | Qt::AlignVCenter);
    m_monthTitle->setFont(uiFont(18, true));

    for (int c = 0; c < 7; ++c) {
        m_weekHeads[size_t(c)] = makeLabel(MainElement::WeekHead,
                                       QRect(qRound(columnLeft(c)), 28, 22, 10), 8,
                                       QString::fromUtf8(kWeekdayNames[c]), Qt::AlignCenter, c);
        m_weekHeads[size_t(c)]->setText(QString::fromLatin1(kWeekdays[c]));
        m_weekHeads[size_t(c)]->setFont(uiFont(8, true));
    }

    for (int cell = 0; cell < kCells; ++cell) {
        const int col = cell % 7;
        const int row = cell / 7;
        const int x = qRound(columnLeft(col));
        const int y = rowTop(row);
        // Stacking: today marker below the number, memo bar under it.
        m_todayMarks[size_t(cell)] = makePicture(MainElement::TodayMark, QRect(x, y, 22, 13),
                                                QStringLiteral("今日"), cell);
        m_todayMarks[size_t(cell)]->hide();
        m_noteBars[size_t(cell)] = makePicture(MainElement::NoteBar, QRect(x + 2, y + 11, 18, 3),
                                           QStringLiteral("メモあり"), cell);
        m_noteBars[size_t(cell)]->hide();
        m_days[size_t(cell)] = makeLabel(MainElement::Day, QRect(x, y, 22, 13), 11,
                                         QString(), Qt::AlignCenter, cell);
    }
}

void MainWindow::buildClock()
{
    m_clock24 = makeLabel(MainElement::Clock24, QRect(112, 6, 58, 12), 11, QString(),
                         Qt::AlignRight | Qt::AlignVCenter);
    m_clock24->setFont(uiFont(11, true));
    m_clock12 = makeLabel(MainElement::Clock12, QRect(118, 17, 36, 10), 9, QString(),
                           Qt::AlignRight | Qt::AlignVCenter);
    m_amPm = makeLabel(MainElement::AmPm, QRect(155, 17, 15, 10), 8, QString(),
                       Qt::AlignRight | Qt::AlignVCenter);
    m_scheduleMark = makePicture(MainElement::ScheduleMark, QRect(72, 10, 10, 10), QStringLiteral("今日の予定あり"));
    m_scheduleMark->hide();
}

void MainWindow::buildPlayer()
{
    m_lyricsLine = makeLabel(MainElement::LyricsLine, QRect(8, 116, 161, 11), 8, QString(),
                           Qt::AlignLeft | Qt::AlignVCenter);
    m_lyricsLine->setFont(uiFont(9));
    m_lyricsLine->setTextFormat(Qt::PlainText); // lines from files are never markup
    m_lyricsLine->hide();
    m_title = makeLabel(MainElement::PlayerTitle, QRect(9, 127, 130, 13), 10, QString(),
                              Qt::AlignLeft | Qt::AlignVCenter);
    m_title->setFont(uiFont(10));
    // Wide enough for "00:00.00" before the position track starts at 50.
    m_elapsed = makeLabel(MainElement::Elapsed, QRect(7, 141, 43, 12), 9, QStringLiteral("経過時間"),
                           Qt::AlignLeft | Qt::AlignVCenter);
    m_elapsed->setText(QStringLiteral("00:00"));

    // The thumbs slide with their left edge over 50..161 (position) and
    // 7..71 (volume); the tracks under them are part of the window.
    // Drawn rather than styled: a style sheet would bring the style-sheet
    // engine into the start-up for two lines.
    auto* posTrack = new QLabel(this);
    posTrack->setObjectName(QStringLiteral("posTrack"));
    posTrack->setGeometry(50, 146, 118, 2);
    posTrack->setPixmap(trackLine(posTrack->size()));
    auto* volTrack = new QLabel(this);
    volTrack->setObjectName(QStringLiteral("volTrack"));
    volTrack->setGeometry(7, 161, 71, 2);
    volTrack->setPixmap(trackLine(volTrack->size()));
    posTrack->setProperty("element", int(MainElement::PositionTrack));
    volTrack->setProperty("element", int(MainElement::VolumeTrack));
    for (QLabel* t : {posTrack, volTrack})
        t->installEventFilter(this);

    m_positionThumb = makePicture(MainElement::PositionThumb, QRect(50, 141, 7, 11), QStringLiteral("再生位置"));
    m_positionThumb->setPixmap(artwork(u"img_Ber"));
    m_volumeThumb = makePicture(MainElement::VolumeThumb, QRect(7, 156, 7, 11), QStringLiteral("音量"));
    m_volumeThumb->setPixmap(artwork(u"img_Vol"));
    m_heldThumb = makePicture(MainElement::HeldThumb, QRect(0, 0, 7, 11), QString());
    m_heldThumb->setPixmap(artwork(u"img_Bar_Down"));
    m_heldThumb->hide();

    struct Button { QLabel** face; QLabel** pressed; MainElement element; MainElement held; const char* label; int x; };
    const Button buttons[] = {
        {&m_back, &m_backHeld, MainElement::Back, MainElement::BackHeld, "前の曲", 99},
        {&m_play, &m_playHeld, MainElement::Play, MainElement::PlayHeld, "再生", 113},
        {&m_stop, &m_stopHeld, MainElement::Stop, MainElement::StopHeld, "停止", 141},
        {&m_forward, &m_forwardHeld, MainElement::Forward, MainElement::ForwardHeld, "次の曲", 155},
    };
    for (const Button& b : buttons) {
        *b.face = makePicture(b.element, QRect(b.x, 155, 14, 12), QString::fromUtf8(b.label));
        (*b.face)->setPixmap(artwork(objectNameOf(b.element)));
        *b.pressed = makePicture(b.held, QRect(b.x, 155, 14, 12), QString::fromUtf8(b.label));
        (*b.pressed)->setPixmap(artwork(objectNameOf(b.held)));
        (*b.pressed)->hide();
    }
    for (int i = 0; i < 2; ++i) {
        m_pauseFaces[size_t(i)] = makePicture(MainElement::Pause, QRect(127, 155, 14, 12),
                                           QStringLiteral("一時停止"), i);
        m_randomFaces[size_t(i)] = makePicture(MainElement::Random, QRect(155, 127, 14, 12),
                                            QStringLiteral("ランダム"), i);
    }
    m_pauseFaces[0]->setPixmap(artwork(u"img_Pouse"));
    m_pauseFaces[1]->setPixmap(artwork(u"img_Pouse_2"));
    m_randomFaces[0]->setPixmap(artwork(u"img_Randam_Off"));
    m_randomFaces[1]->setPixmap(artwork(u"img_Randam_On"));
    m_pauseFaces[1]->hide();
    // Held faces only show; the press and release stay with the button
    // under them.
    for (QLabel* held : {m_playHeld, m_stopHeld, m_forwardHeld, m_backHeld, m_pauseFaces[1]})
        held->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_randomFaces[1]->hide();
    for (int i = 0; i < 3; ++i) {
        m_loopFaces[size_t(i)] = makePicture(MainElement::Loop, QRect(140, 127, 14, 12),
                                       QStringLiteral("ループ"), i);
        if (i > 0)
            m_loopFaces[size_t(i)]->hide();
    }
    m_loopFaces[1]->setPixmap(artwork(u"img_L_Off"));
    m_loopFaces[2]->setPixmap(artwork(u"img_L_On"));
    m_loopFaces[0]->setPixmap(m_loopFaces[1]->pixmap());
}

void MainWindow::setBackground(const QPixmap& picture)
{
    m_surface->setPixmap(picture);
}

QPixmap MainWindow::background() const
{
    return m_surface->pixmap();
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
    m_yearTitle->setText(g.yearTitle);
    m_monthTitle->setText(g.monthTitle);
    paint(m_yearTitle, g.yearColour);
    paint(m_monthTitle, g.monthColour);
    // The 24-hour clock keeps its own colour; the clock colour is the
    // 12-hour clock's.
    m_clockColour = g.clockColour;
    paintClock12();
    for (int c = 0; c < 7; ++c) {
        m_weekHeads[size_t(c)]->setText(g.weekHeads[size_t(c)]);
        paint(m_weekHeads[size_t(c)], g.weekColours[size_t(c)]);
    }
    for (int i = 0; i < kCells; ++i) {
        const MonthGridCell& cell = g.cells[size_t(i)];
        QLabel* day = m_days[size_t(i)];
        day->setText(cell.caption);
        paint(day, cell.colour);
        placeDayLabel(i, cell.x);
        day->setAccessibleName(cell.day ? g.monthTitle + QStringLiteral("月") + cell.caption
                                              + (cell.holiday ? QStringLiteral("日 祝日") : QStringLiteral("日"))
                                        : QString());
        QLabel* today = m_todayMarks[size_t(i)];
        if (cell.todayMarker && today->pixmap().cacheKey() != m_todayPicture.cacheKey())
            today->setPixmap(m_todayPicture);
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
        QLabel* bar = m_noteBars[size_t(i)];
        const bool has = marked[size_t(i)];
        if (has && bar->pixmap().cacheKey() != m_noteBarPicture.cacheKey())
            bar->setPixmap(m_noteBarPicture);
        bar->setVisible(has);
    }
}

void MainWindow::showClocks(const QString& time24, const QString& time12, const QString& ampm)
{
    m_clock24->setText(time24);
    m_clock12->setText(time12);
    m_amPm->setText(ampm);
}

void MainWindow::showTimerArmed(bool armed)
{
    m_timerArmed = armed;
    paintClock12();
}

void MainWindow::paintClock12()
{
    const QColor c = m_timerArmed ? kTimerArmedColour : m_clockColour;
    paint(m_clock12, c);
    paint(m_amPm, c);
}

void MainWindow::showPlayerTitle(const QString& title)
{
    m_title->setText(title);
}

void MainWindow::showScheduleMark(bool shown)
{
    m_scheduleMark->setVisible(shown);
}

void MainWindow::setSkinMarks(const QPixmap& today, const QPixmap& noteBar, const QPixmap& scheduleBar)
{
    if (!today.isNull())
        m_todayPicture = today;
    if (!noteBar.isNull())
        m_noteBarPicture = noteBar;
    if (!scheduleBar.isNull())
        m_scheduleMark->setPixmap(scheduleBar);
    for (QLabel* l : m_todayMarks) {
        if (l->isVisible())
            l->setPixmap(m_todayPicture);
    }
    for (QLabel* l : m_noteBars) {
        if (l->isVisible())
            l->setPixmap(m_noteBarPicture);
    }
}

void MainWindow::placeVolumeThumb(int left)
{
    m_volumeThumb->move(left, m_volumeThumb->y());
}

int MainWindow::volumeThumbLeft() const
{
    return m_volumeThumb->x();
}

void MainWindow::showLoop(bool on)
{
    m_loopFaces[0]->setPixmap(m_loopFaces[on ? 2 : 1]->pixmap());
}

void MainWindow::showLyricsLine(const QString& line)
{
    m_lyricsLine->setText(line);
}

void MainWindow::showLyricsLabel(bool shown)
{
    m_lyricsLine->setVisible(shown);
    m_monthTitle->move(m_monthTitle->x(), shown ? 12 : 6);
}

void MainWindow::showPlayerButtons(bool shown)
{
    m_buttonsShown = shown;
    for (QLabel* l : {m_back, m_play, m_stop, m_forward, m_volumeThumb, m_loopFaces[0]})
        l->setVisible(shown);
    m_pauseFaces[0]->setVisible(shown);
    m_pauseFaces[1]->setVisible(shown && m_pauseHeld);
}

void MainWindow::showRandom(bool shown, bool on)
{
    m_randomFaces[0]->setVisible(shown && !on);
    m_randomFaces[1]->setVisible(shown && on);
}

void MainWindow::showPositionThumb(bool shown)
{
    m_positionThumb->setVisible(shown);
    m_elapsed->setVisible(shown);
}

void MainWindow::placePositionThumb(int left)
{
    m_positionThumb->move(left, m_positionThumb->y());
}

void MainWindow::showElapsed(const QString& text)
{
    m_elapsed->setText(text);
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
    m_title->setStyleSheet(style.isEmpty() ? QString() : QStringLiteral("QLabel { ") + style + u'}');
}

bool MainWindow::titleOpaque() const
{
    return m_titleOpaque;
}

void MainWindow::showButtonPressed(PlayerButton button, bool pressed)
{
    switch (button) {
    case PlayerButton::Play: m_playHeld->setVisible(pressed); break;
    case PlayerButton::Stop: m_stopHeld->setVisible(pressed); break;
    case PlayerButton::Forward: m_forwardHeld->setVisible(pressed); break;
    case PlayerButton::Back: m_backHeld->setVisible(pressed); break;
    case PlayerButton::Pause:
        // The held face covers the normal one rather than replacing it:
        // hiding the pressed label would hand its release to nobody.
        m_pauseHeld = pressed;
        m_pauseFaces[1]->setVisible(m_buttonsShown && pressed);
        break;
    }
}

void MainWindow::showThumbHeld(Thumb thumb, bool held)
{
    QLabel* face = thumb == Thumb::Position ? m_positionThumb : m_volumeThumb;
    QLabel* other = thumb == Thumb::Position ? m_volumeThumb : m_positionThumb;
    // Only one thumb is held at a time, so the other one wears the plain face.
    face->setPixmap(held ? m_heldThumb->pixmap() : other->pixmap());
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
