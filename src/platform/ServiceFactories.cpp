#include "platform/QtTrayIcon.h"
#include "platform/null/NullMoviePlayer.h"

// Services whose choice is the same on every system this is built for.
namespace yk {

std::unique_ptr<TrayIcon> createTrayIcon(QObject* parent)
{
    // Qt knows every desktop's notification area, and waits for it here.
    return std::make_unique<QtTrayIcon>(parent);
}

std::unique_ptr<MoviePlayer> createMoviePlayer(QObject* parent)
{
    return std::make_unique<NullMoviePlayer>(parent);
}

} // namespace yk
