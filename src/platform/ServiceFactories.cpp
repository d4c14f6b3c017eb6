#include "platform/DeferredMoviePlayer.h"
#include "platform/MediaModule.h"
#include "platform/QtTrayIcon.h"

// Services whose choice is the same on every system this is built for.
namespace yk {

std::unique_ptr<TrayIcon> createTrayIcon(QObject* parent)
{
    // Qt knows every desktop's notification area, and waits for it here.
    return std::make_unique<QtTrayIcon>(parent);
}

std::unique_ptr<MoviePlayer> createMoviePlayer(QObject* parent)
{
    // The engine lives in the media module, loaded at the first movie; a
    // system without it gets the null player from the loader.
    return std::make_unique<DeferredMoviePlayer>([] { return loadMoviePlayer(); }, parent);
}

} // namespace yk
