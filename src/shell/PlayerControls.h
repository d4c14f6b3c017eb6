#pragma once

#include <functional>

#include <QObject>
#include <QPointF>

#include "shell/MainWindow.h"

namespace yk {

class Player;
class VolumeMixer;

// The player's controls on the main window: its buttons, the random and
// loop faces, the title label's clicks and the two slider thumbs. Mouse
// actions on the window's elements go to the player and the mixer; what
// the player then shows (title, elapsed time, thumb, faces, which controls
// are visible) comes back to the window.
//
// Dragging the window itself and the right-button menu belong to
// MainWindowMouse, which listens to the same elements.
class PlayerControls : public QObject
{
    Q_OBJECT
public:
    struct Actions
    {
        // Left button released on the title: show or hide the play list.
        std::function<void()> togglePlayList;
        // Right button released on the title: the tag editor of the
        // current entry. May be empty.
        std::function<void()> toggleId3Editor;
    };

    PlayerControls(MainWindow& form, Player& player, VolumeMixer& mixer, Actions actions,
                   QObject* parent = nullptr);

    // Puts the volume thumb where the mixer's volume is (start-up).
    void placeVolumeFromMixer();

    // Which thumb the left button holds, if any.
    bool holdingPosition() const { return m_held == Held::Position; }
    bool holdingVolume() const { return m_held == Held::Volume; }

Q_SIGNALS:
    // The user let go of the volume thumb: the mixer holds the new volume.
    void volumeSet();

private:
    enum class Held { None, Position, Volume };

    void pressed(MainElement element, int index, Qt::MouseButton button, QPointF global);
    void moved(MainElement element, int index, Qt::MouseButtons buttons, QPointF global);
    void released(MainElement element, int index, Qt::MouseButton button, QPointF global);
    double windowX(QPointF global) const;
    void showFaces();
    void showDisplay();
    void showPosition();

    MainWindow& m_form;
    Player& m_player;
    VolumeMixer& m_mixer;
    Actions m_actions;
    Held m_held = Held::None;
    double m_grabX = 0;       // where the held thumb was grabbed, inside the thumb
    double m_volumeLeft = 0;  // the held volume thumb's left while it moves
    bool m_loopDown = false;  // the loop button acts on a whole click
};

} // namespace yk
