#include "media/MovieController.h"

#include <algorithm>

#include <optional>

#include <QWidget>

#include "media/MovieWindow.h"
#include "platform/MoviePlayer.h"
#include "core/Settings.h"
#include "ui/ToolWindow.h"

namespace yk {

namespace {

std::optional<qint64> numberIn(const QString& text)
{
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok);
    return ok ? std::optional<qint64>(value) : std::nullopt;
}

} // namespace

MovieController::MovieController(Settings& settings, MovieWindow& window, MoviePlayer& player,
                                 Companions companions, std::function<QRect()> workArea, QObject* parent)
    : QObject(parent)
    , m_settings(settings)
    , m_window(window)
    , m_player(player)
    , m_companions(companions)
    , m_workArea(std::move(workArea))
{
    connect(&m_window, &MovieWindow::resizedByUser, this, &MovieController::userResized);
    connect(&m_window, &MovieWindow::doubleClicked, this, &MovieController::toggleFullScreen);
    connect(&m_window, &MovieWindow::displaySizeChosen, this,
            [this](int size) { setDisplaySize(static_cast<movie::DisplaySize>(size)); });
}

bool MovieController::isShown() const
{
    return m_window.isVisible();
}

void MovieController::showMovie()
{
    m_window.setVideo(m_player.videoWidget());
    m_laidOut = false;
    layOut();
    m_window.show();
    m_window.raise();
    m_window.activateWindow();
}

void MovieController::closeMovie()
{
    if (m_window.isVisible()) {
        saveRecord();
        restoreStacking();
        m_window.hide();
    }
    m_window.setFullScreenShown(false);
    m_window.setVideo(nullptr);
}

void MovieController::layOut()
{
    m_window.setFullScreenShown(false);
    applyWindowLayout(movie::layoutFor(m_settings.movieSize, m_player.videoSize()));
    const bool full = m_settings.movieFullWindow;
    // Nothing of ours may cover a movie on the whole screen.
    if (full)
        setStacking(false, false);
    else
        setStacking(m_settings.alwaysOnTop, m_settings.alwaysOnTop);

    const QRect area = m_workArea ? m_workArea() : QRect();
    m_window.toolWindow()->setWorkArea(area);
    const auto top = numberIn(m_settings.movieTop);
    const auto left = numberIn(m_settings.movieLeft);
    const bool neverPlaced = (m_settings.movieTop.isEmpty() && m_settings.movieLeft.isEmpty())
                             || (top && left && *top == 0 && *left == 0);
    if (neverPlaced)
        placeBesideMain(area);
    else if (top && left)
        m_window.toolWindow()->placeFromTwips(top, left, area, false);

    m_display = full ? movie::DisplaySize::FullScreen : movie::DisplaySize::FitToWindow;
    m_window.setFullScreenShown(full);
    m_followed = m_display;
    m_window.setDisplaySizeChecked(int(m_display));
    m_laidOut = true;
}

// A movie never shown before (no place kept, or the zeros a new settings file
// holds) would open over the main window at the screen's corner: it goes
// beside the main window instead, on the side with room.
void MovieController::placeBesideMain(const QRect& workArea)
{
    if (!m_companions.main)
        return;
    const QRect main = m_companions.main->frameGeometry();
    const QRect area = workArea.isEmpty() ? main.united(QRect(QPoint(0, 0), m_window.size())) : workArea;
    const QSize size = m_window.frameGeometry().size();
    QPoint at(main.right() + 1, main.top());
    if (at.x() + size.width() > area.right() + 1)
        at.setX(main.left() - size.width());
    at.setX(std::clamp(at.x(), area.left(), std::max(area.left(), area.right() + 1 - size.width())));
    at.setY(std::clamp(at.y(), area.top(), std::max(area.top(), area.bottom() + 1 - size.height())));
    m_window.move(at);
}

void MovieController::restoreStacking()
{
    ToolWindow::applyTopMost(&m_window, false);
    if (m_settings.alwaysOnTop) {
        ToolWindow::applyTopMost(m_companions.main, true);
        ToolWindow::applyTopMost(m_companions.playList, true);
    }
}

void MovieController::setStacking(bool companionsOnTop, bool movieOnTop)
{
    ToolWindow::applyTopMost(m_companions.main, companionsOnTop);
    ToolWindow::applyTopMost(m_companions.playList, companionsOnTop);
    ToolWindow::applyTopMost(&m_window, movieOnTop);
}

void MovieController::saveRecord()
{
    const movie::Record r = movie::recordFor(m_window.placeTwips(), m_window.windowTwips());
    m_settings.setWinPos(WindowId::Movie, r.position);
    m_settings.movieTop = r.mpTop;
    m_settings.movieLeft = r.mpLeft;
    m_settings.movieSize = r.movieSize;
}

void MovieController::setFullWindow(bool on)
{
    m_settings.movieFullWindow = on;
    Q_EMIT fullWindowChanged(on);
}

void MovieController::toggleFullWindow()
{
    if (m_settings.movieFullWindow) {
        setFullWindow(false);
        // Off means off: a movie on the whole screen goes back into its
        // window (and keeps playing), or the full screen would switch the
        // setting straight on again.
        if (isShown() && m_display == movie::DisplaySize::FullScreen) {
            m_display = movie::DisplaySize::FitToWindow;
            followDisplaySize();
        }
        restoreStacking();
    } else {
        setFullWindow(true);
        if (isShown())
            layOut();
    }
}

void MovieController::setDisplaySize(movie::DisplaySize size)
{
    m_display = size;
}

void MovieController::toggleFullScreen()
{
    if (m_display == movie::DisplaySize::FullScreen) {
        setDisplaySize(movie::DisplaySize::FitToWindow);
        return;
    }
    setStacking(false, false);
    setDisplaySize(movie::DisplaySize::FullScreen);
}

void MovieController::applyWindowLayout(const movie::Layout& layout)
{
    m_window.setWindowTwips(layout.windowTwips);
}

void MovieController::followDisplaySize()
{
    if (!isShown())
        return;
    if (m_display != m_followed) {
        switch (m_display) {
        case movie::DisplaySize::FullScreen:
            setStacking(false, false);
            m_window.setFullScreenShown(true);
            break;
        case movie::DisplaySize::FitToWindow:
            m_window.setFullScreenShown(false);
            applyWindowLayout(movie::layoutFor(m_settings.movieSize, m_player.videoSize()));
            // Back from full screen, the movie leaves the top layer to the
            // main and play-list windows.
            if (m_settings.alwaysOnTop)
                restoreStacking();
            break;
        case movie::DisplaySize::Own:
        case movie::DisplaySize::Half:
        case movie::DisplaySize::Double:
            m_window.setFullScreenShown(false);
            applyWindowLayout(*movie::layoutForDisplaySize(m_display, m_player.videoSize(), m_settings.movieSize));
            break;
        }
        m_followed = m_display;
        m_window.setDisplaySizeChecked(int(m_display));
    }
    // However the screen was filled, full-screen movies are now the setting.
    if (m_display == movie::DisplaySize::FullScreen && !m_settings.movieFullWindow)
        setFullWindow(true);
}

void MovieController::userResized()
{
    // A size the window is still to follow wins over the frame's.
    if (!m_laidOut || m_display != m_followed || m_display == movie::DisplaySize::FullScreen)
        return;
    m_display = m_followed = movie::DisplaySize::FitToWindow;
    m_window.setDisplaySizeChecked(int(m_display));
    saveRecord();
}

capture::Result MovieController::captureFrame(const QString& folder) const
{
    return capture::saveFrame(m_player.grabFrame(), folder, m_player.fileName());
}

} // namespace yk
