#pragma once

#include <QPointer>
#include <QRect>
#include <QSize>
#include <QTimer>
#include <QWidget>

#include "core/SettingsHost.h"

class QMenu;

namespace yk {

class ToolWindow;

// The movie window `frm_MP`: a borderless window with a thin frame of its
// own around the movie engine's picture widget. It knows how to be sized,
// shown full screen, dragged (anywhere on the picture, snapping to the work
// area) and resized by its frame; what the movie needs (sizes, stacking,
// the settings) is MovieController's business.
//
// The user's wishes leave as signals: keys for the main window's commands,
// the double-click, a display size from the right-click menu, and closing.
class MovieWindow : public QWidget
{
    Q_OBJECT
public:
    explicit MovieWindow(QWidget* parent = nullptr);
    // Hands the engine's widget back before going: the engine owns it.
    ~MovieWindow() override;

    ToolWindow* toolWindow() const { return m_tool; }

    // Puts the engine's picture widget inside the frame (null takes the
    // present one out). The window takes its keys and mouse.
    void setVideo(QWidget* video);
    QWidget* video() const { return m_video; }

    // The window's size in twips, frame included; while full screen, the
    // size it goes back to.
    void setWindowTwips(QSize twips);
    QSize windowTwips() const;
    // Where the window is, in twips; while full screen, the place it goes
    // back to.
    TwipsPos placeTwips() const;

    void setFullScreenShown(bool on);
    bool isFullScreenShown() const { return m_fullScreen; }

    // The right-click menu "mnu_MP": display sizes mnu_MP_Size0..4 (the one
    // in use checked) and mnu_MP_Close.
    QMenu* sizeMenu() const { return m_menu; }
    void setDisplaySizeChecked(int size);

Q_SIGNALS:
    // A key for the main window's keyboard commands.
    void keyForwarded(int key, Qt::KeyboardModifiers modifiers);
    // The numeric pad's plus and minus: next and previous entry.
    void forwardRequested();
    void backRequested();
    void doubleClicked();
    void displaySizeChosen(int size);
    // The window system or the menu closes the window.
    void closeRequested();
    // The user gave the window a new size by its frame.
    void resizedByUser();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void handleKey(QKeyEvent* event);
    bool handleMouse(QObject* watched, QEvent* event);
    Qt::Edges frameEdgesAt(QPoint windowPos) const;
    void placeVideo();

    ToolWindow* m_tool = nullptr;
    QMenu* m_menu = nullptr;
    QPointer<QWidget> m_video;
    bool m_fullScreen = false;
    QSize m_sizeSet;      // the last size given in code, pixels
    QRect m_normalPlace;  // before full screen, pixels
    // Just out of full screen: the window system may still bring back the
    // size from before it, which is not the user's doing.
    QTimer m_settling;

    // A resize by the frame when the window system will not do it.
    Qt::Edges m_resizeEdges;
    QPoint m_resizePressGlobal;
    QRect m_resizeStart;
};

} // namespace yk
