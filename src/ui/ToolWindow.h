#pragma once

#include "core/SettingsHost.h"

#include <QHash>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QSize>

#include <optional>

class QWidget;

namespace yk {

// What every secondary window (memo, background, picker, About, play list,
// and the timer, question, movie and ID3 windows) does the same way: take
// its stored place, report where it is, follow always-on-top, and be dragged
// by parts of itself. Attach one to the top-level widget; it is its child.
class ToolWindow : public QObject
{
    Q_OBJECT
public:
    enum class Snap { None, WorkAreaEdges };

    explicit ToolWindow(QWidget* window); // parented to window
    QWidget* window() const;

    // Stored place in twips. nullopt in either keeps the window's default place.
    // With topZeroMeansWorkTop a top of exactly 0 becomes the work area's top.
    // A place that would leave the window off every screen is pulled onto the work area.
    void placeFromTwips(std::optional<qint64> top, std::optional<qint64> left,
                        const QRect& workAreaPixels, bool topZeroMeansWorkTop = true);
    TwipsPos positionTwips() const;

    // Always-on-top without moving; a visible window stays visible; no-op when unchanged.
    void setTopMost(bool on);
    bool isTopMost() const;
    static void applyTopMost(QWidget* window, bool on); // same rule for any window (the main window uses it)

    // `handle` (the window or a child) drags the window with the left button.
    void addDragHandle(QWidget* handle, Snap snap = Snap::None);
    void setWorkArea(const QRect& workAreaPixels); // for WorkAreaEdges snapping
    bool isDragging() const { return m_dragging; }

    // Emits positionRecorded(positionTwips()).
    void recordPosition();

    // Where a window `sizeTwips` large goes when it is wanted at `wanted`:
    // an edge that comes within kSnapDistance of the work area's edge
    // (inclusive), or passes it, lies on it. Vertical and horizontal are
    // independent. All in twips.
    static TwipsPos snapToWorkArea(TwipsPos wanted, QSize sizeTwips, const QRect& workTwips);

Q_SIGNALS:
    // The window's place is to be kept (on close, and for some windows on each key press).
    void positionRecorded(yk::TwipsPos pos);
    void dragFinished();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QRect workArea() const;

    QWidget* m_window = nullptr;
    QHash<QObject*, Snap> m_handles;
    std::optional<QRect> m_workArea;

    bool m_dragging = false;
    Snap m_dragSnap = Snap::None;
    QPoint m_pressGlobal; // mouse at the press, screen pixels
    QPoint m_pressPos;    // window position at the press
};

} // namespace yk
