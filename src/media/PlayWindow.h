#pragma once

#include <QLabel>
#include <QListWidget>
#include <QWidget>

namespace yk {

class ToolWindow;

// The play-list window `frm_Play`: a skinned square beside the main window.
// It exists from start-up (hidden) because start-up draws its picture; its
// rows and buttons come with the player. Dragging its picture moves it and
// snaps it to the work area's edges, like the main window.
class PlayWindow : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kSide = 177;

    explicit PlayWindow(QWidget* parent = nullptr);

    void setPicture(const QPixmap& picture);

    // Placement, always-on-top and the drag of the picture.
    ToolWindow* toolWindow() const { return m_tool; }

    QLabel* pct_Play = nullptr;
    QListWidget* lst_Files_Name = nullptr;

private:
    ToolWindow* m_tool = nullptr;
};

} // namespace yk
