#include "shell/PlayerControls.h"

#include <array>
#include <optional>
#include <utility>

#include "media/Player.h"
#include "media/ThumbBars.h"
#include "platform/VolumeMixer.h"

namespace yk {

namespace {

struct ButtonElement
{
    MainElement element;
    Player::Button button;
    MainWindow::PlayerButton face;
};

// The pressed pictures lie over the buttons, so a press that lands on one
// counts as a press of its button.
constexpr std::array<ButtonElement, 9> kButtons{{
    {MainElement::Play, Player::Button::Play, MainWindow::PlayerButton::Play},
    {MainElement::PlayHeld, Player::Button::Play, MainWindow::PlayerButton::Play},
    {MainElement::Stop, Player::Button::Stop, MainWindow::PlayerButton::Stop},
    {MainElement::StopHeld, Player::Button::Stop, MainWindow::PlayerButton::Stop},
    {MainElement::Forward, Player::Button::Forward, MainWindow::PlayerButton::Forward},
    {MainElement::ForwardHeld, Player::Button::Forward, MainWindow::PlayerButton::Forward},
    {MainElement::Back, Player::Button::Back, MainWindow::PlayerButton::Back},
    {MainElement::BackHeld, Player::Button::Back, MainWindow::PlayerButton::Back},
    {MainElement::Pause, Player::Button::Pause, MainWindow::PlayerButton::Pause},
}};

std::optional<ButtonElement> buttonOf(MainElement element)
{
    for (const ButtonElement& b : kButtons) {
        if (element == b.element)
            return b;
    }
    return std::nullopt;
}

} // namespace

PlayerControls::PlayerControls(MainWindow& form, Player& player, VolumeMixer& mixer, Actions actions,
                               QObject* parent)
    : QObject(parent), m_form(form), m_player(player), m_mixer(mixer), m_actions(std::move(actions))
{
    connect(&m_form, &MainWindow::elementPressed, this, &PlayerControls::pressed);
    connect(&m_form, &MainWindow::elementMoved, this, &PlayerControls::moved);
    connect(&m_form, &MainWindow::elementReleased, this, &PlayerControls::released);

    connect(&m_player, &Player::titleChanged, &m_form, &MainWindow::showPlayerTitle);
    connect(&m_player, &Player::positionChanged, this, &PlayerControls::showPosition);
    connect(&m_player, &Player::thumbMoved, this, &PlayerControls::showPosition);
    connect(&m_player, &Player::facesChanged, this, &PlayerControls::showFaces);
    connect(&m_player, &Player::displayChanged, this, &PlayerControls::showDisplay);

    // The window starts with every control drawn; from here on it shows
    // the player as it is.
    showDisplay();
    showFaces();
    showPosition();
}

void PlayerControls::placeVolumeFromMixer()
{
    m_form.placeVolumeThumb(thumbs::volumeLeft(m_mixer.volume()));
}

double PlayerControls::windowX(QPointF global) const
{
    return global.x() - m_form.mapToGlobal(QPoint(0, 0)).x();
}

void PlayerControls::pressed(MainElement element, int, Qt::MouseButton button, QPointF global)
{
    if (const auto b = buttonOf(element)) {
        m_player.pressButton(b->button);
        return;
    }
    if (button != Qt::LeftButton)
        return;
    if (element == MainElement::Loop) {
        m_loopDown = true;
    } else if (element == MainElement::PositionThumb) {
        m_held = Held::Position;
        m_grabX = windowX(global) - m_player.thumbLeft();
        m_player.setSeekDragging(true);
        m_form.showThumbHeld(MainWindow::Thumb::Position, true);
    } else if (element == MainElement::VolumeThumb) {
        m_held = Held::Volume;
        m_volumeLeft = m_form.volumeThumbLeft();
        m_grabX = windowX(global) - m_volumeLeft;
        m_form.showThumbHeld(MainWindow::Thumb::Volume, true);
    }
}

void PlayerControls::moved(MainElement, int, Qt::MouseButtons buttons, QPointF global)
{
    if (m_held == Held::None || !(buttons & Qt::LeftButton))
        return;
    const double x = windowX(global);
    if (m_held == Held::Position) {
        const double left = m_player.thumbLeft();
        m_player.moveThumb(thumbs::dragLeft(left, m_grabX, x - left, thumbs::kPosition));
    } else {
        m_volumeLeft = thumbs::dragLeft(m_volumeLeft, m_grabX, x - m_volumeLeft, thumbs::kVolume);
        m_form.placeVolumeThumb(int(m_volumeLeft));
        // A system without a mixer keeps its volume; the thumb still moves.
        m_mixer.setVolume(thumbs::mixerVolume(m_volumeLeft));
    }
}

void PlayerControls::released(MainElement element, int, Qt::MouseButton button, QPointF)
{
    if (const auto b = buttonOf(element)) {
        m_player.releaseButton(b->button);
        return;
    }
    if (button == Qt::LeftButton && m_held != Held::None) {
        const Held held = std::exchange(m_held, Held::None);
        if (held == Held::Position) {
            m_player.seekToThumb();
            m_form.showThumbHeld(MainWindow::Thumb::Position, false);
        } else {
            m_form.showThumbHeld(MainWindow::Thumb::Volume, false);
            Q_EMIT volumeSet();
        }
        return;
    }
    if (element == MainElement::Loop) {
        if (button == Qt::LeftButton && std::exchange(m_loopDown, false))
            m_player.toggleLoop();
    } else if (element == MainElement::Random) {
        m_player.toggleRandom();
    } else if (element == MainElement::PlayerTitle) {
        if (button == Qt::LeftButton && m_actions.togglePlayList)
            m_actions.togglePlayList();
        else if (button == Qt::RightButton && m_actions.toggleId3Editor)
            m_actions.toggleId3Editor();
    }
}

void PlayerControls::showFaces()
{
    m_form.showLoop(m_player.loopOn());
    m_form.showRandom(m_player.display().randomVisible, m_player.randomOn());
    using PB = Player::Button;
    using FB = MainWindow::PlayerButton;
    const std::array<std::pair<PB, FB>, 5> faces{{{PB::Play, FB::Play},
                                                  {PB::Stop, FB::Stop},
                                                  {PB::Forward, FB::Forward},
                                                  {PB::Back, FB::Back},
                                                  {PB::Pause, FB::Pause}}};
    for (const auto& [button, face] : faces)
        m_form.showButtonPressed(face, m_player.isPressed(button));
}

void PlayerControls::showDisplay()
{
    const Player::Display& d = m_player.display();
    m_form.showPlayerButtons(d.buttonsVisible);
    m_form.showRandom(d.randomVisible, m_player.randomOn());
    m_form.showPositionThumb(d.thumbVisible);
    m_form.setTitleOpaque(d.titleOpaque);
    m_form.setTitleFramed(d.titleFramed);
}

void PlayerControls::showPosition()
{
    m_form.showElapsed(m_player.elapsed());
    m_form.placePositionThumb(int(m_player.thumbLeft()));
}

} // namespace yk
