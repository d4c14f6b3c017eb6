#pragma once

#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QStringList>
#include <QWidget>

namespace yk {

class PlayListView;
class ToolWindow;

// The play-list window `frm_Play`: a skinned square beside the main window
// with 13 rows of the play list, six picture buttons and a picture thumb.
// It exists from start-up (hidden) because start-up draws its picture; the
// rows and the buttons' work come from the PlayListView attached later.
// Dragging the background moves the window and snaps it to the work area's
// edges, like the main window.
//
// What the window cannot do itself it asks for: adding, loading and saving
// files, the popup menu, the keys of the main window and the files dropped
// on it.
class PlayWindow : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kSide = 177;

    explicit PlayWindow(QWidget* parent = nullptr);

    // The rows, the thumb and the buttons' actions follow `view` (null detaches).
    void setView(PlayListView* view);
    PlayListView* view() const;

    void setPicture(const QPixmap& picture);
    // No row chosen in the list.
    void clearCurrentRow();

    // Placement, always-on-top and the drag of the background.
    ToolWindow* toolWindow() const { return m_tool; }

Q_SIGNALS:
    void addRequested();
    void loadRequested();
    void saveRequested();
    // Right button released on the background.
    void menuRequested(QPoint globalPos);
    // A key pressed in the list that the list does not use itself.
    void keyForwarded(int key, Qt::KeyboardModifiers modifiers);
    // Local files dropped anywhere on the window, in drop order.
    void filesDropped(const QStringList& paths);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* addButton(const QString& name, int left);
    bool buttonEvent(QLabel* button, QEvent* event);
    void buttonReleased(QLabel* button);
    bool thumbEvent(QEvent* event);
    bool backgroundEvent(QEvent* event);
    bool listKeyEvent(QEvent* event);
    bool listMouseEvent(QEvent* event);

    void refreshRows();
    void refreshSelection();
    void refreshThumb();
    void onListRowChanged(int row);

    ToolWindow* m_tool = nullptr;
    QPointer<PlayListView> m_view;
    QList<QLabel*> m_buttons;
    bool m_syncing = false; // the list is being set from the view

    // The controls; tests find them by their object names (docs/names.md).
    QLabel* m_picture = nullptr; // the background picture
    QListWidget* m_rows = nullptr;
    QLabel* m_scrollTrack = nullptr;     // the thumb's track
    QLabel* m_scrollThumb = nullptr; // the thumb
    QLabel* m_addButton = nullptr;
    QLabel* m_deleteButton = nullptr;
    QLabel* m_upButton = nullptr;
    QLabel* m_downButton = nullptr;
    QLabel* m_loadButton = nullptr;
    QLabel* m_saveButton = nullptr;
};

} // namespace yk
