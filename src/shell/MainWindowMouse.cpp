#include "shell/MainWindowMouse.h"

#include "calendar/CalendarModel.h"
#include "shell/Form1.h"
#include "shell/Twips.h"

namespace yk {

namespace {

// The player's buttons and thumbs act on their own press; they never
// carry the window along.
bool isPlayerControl(const QString& element)
{
    static const QStringList controls{
        QStringLiteral("img_P"), QStringLiteral("img_P_2"), QStringLiteral("img_S"), QStringLiteral("img_S_2"),
        QStringLiteral("img_F"), QStringLiteral("img_F_2"), QStringLiteral("img_B"), QStringLiteral("img_B_2"),
        QStringLiteral("img_Pouse"), QStringLiteral("img_L"), QStringLiteral("img_Randam"),
        QStringLiteral("img_Vol"), QStringLiteral("img_Ber")};
    return controls.contains(element);
}

// Only the window's own surface and the calendar's and clock's labels and
// pictures open the menu on a right release; the player's controls and
// its labels keep the right button for themselves (the title opens the
// tag editor with it).
bool opensMenu(const QString& element)
{
    static const QStringList owners{
        QStringLiteral("pct_Main"), QStringLiteral("posTrack"), QStringLiteral("volTrack"),
        QStringLiteral("Img_Def"), QStringLiteral("lblTitle"), QStringLiteral("LblTitle_2"),
        QStringLiteral("lblday"), QStringLiteral("image1"), QStringLiteral("Img_toujitu"),
        QStringLiteral("Img_Yotei"), QStringLiteral("LBL_TIME"), QStringLiteral("LBL_TIME_2"),
        QStringLiteral("lbl_AP"), QStringLiteral("lbl_Lyrics")};
    return owners.contains(element) || element.startsWith(u"lblweek");
}

} // namespace

MainWindowMouse::MainWindowMouse(Form1& form, QWidget& playWindow, CalendarModel& calendar, Actions actions,
                                 QObject* parent)
    : QObject(parent)
    , m_form(form)
    , m_play(playWindow)
    , m_calendar(calendar)
    , m_actions(std::move(actions))
{
    connect(&m_form, &Form1::elementPressed, this, &MainWindowMouse::pressed);
    connect(&m_form, &Form1::elementMoved, this, &MainWindowMouse::moved);
    connect(&m_form, &Form1::elementReleased, this, &MainWindowMouse::released);
    connect(&m_form, &Form1::elementDoubleClicked, this, &MainWindowMouse::doubleClicked);
}

void MainWindowMouse::setWorkArea(const QRect& r)
{
    m_work = WorkAreaTwips{toTwips(r.left()), toTwips(r.top()), toTwips(r.width()), toTwips(r.height())};
}

void MainWindowMouse::pressed(const QString& element, int, Qt::MouseButton button, QPointF global)
{
    if (button != Qt::LeftButton || isPlayerControl(element))
        return;
    m_dragging = true;
    m_grab = global - QPointF(m_form.pos());
}

void MainWindowMouse::moved(const QString&, int, Qt::MouseButtons buttons, QPointF global)
{
    if (!m_dragging || !(buttons & Qt::LeftButton))
        return;
    const QPointF wanted = global - m_grab;
    MoveRequest r;
    r.newLeft = toTwips(qRound(wanted.x()));
    r.newTop = toTwips(qRound(wanted.y()));
    r.work = m_work;
    r.playLeft = toTwips(m_play.x());
    r.playTop = toTwips(m_play.y());
    r.playShown = m_play.isVisible();
    r.sides = m_sides;
    const MovePlacement p = moveMainWindow(r);
    m_form.move(toPixels(p.left), toPixels(p.top));
    if (p.playFollows)
        m_play.move(toPixels(p.playLeft), toPixels(p.playTop));
}

void MainWindowMouse::released(const QString& element, int index, Qt::MouseButton button, QPointF global)
{
    m_dragging = false;
    if ((element == u"lblday" || element == u"image1") && index >= 0)
        m_calendar.selectCell(index);
    else if (element == u"lblTitle" || element == u"LblTitle_2" || element == u"Img_Def"
             || element.startsWith(u"lblweek"))
        m_calendar.selectMonthOnly();
    if (button == Qt::RightButton && opensMenu(element))
        m_actions.popupMenu(global.toPoint());
    updatePlayWindowSides();
}

void MainWindowMouse::doubleClicked(const QString& element, int index)
{
    if (element == u"lblday" && index >= 0) {
        m_calendar.selectCell(index);
        m_actions.openMemo();
    } else if (element == u"LblTitle_2") {
        m_actions.openDataFolder();
    }
}

void MainWindowMouse::updatePlayWindowSides()
{
    m_sides = Play_Window(toTwips(m_form.x()), toTwips(m_form.y()), toTwips(m_play.x()), toTwips(m_play.y()));
}

} // namespace yk
