#include "media/MovieLayout.h"

#include <algorithm>

#include "core/Twips.h"

namespace yk::movie {

namespace {

constexpr int kDigits = 10;
constexpr int kHeightAt = 9; // characters 10-19
constexpr int kWidthAt = 28; // characters 29-38

// Exactly ten digits read as a number; nullopt otherwise.
std::optional<qint64> digitsAt(const QString& text, int at)
{
    const QString field = text.mid(at, kDigits);
    if (field.size() != kDigits || !std::all_of(field.cbegin(), field.cend(), [](QChar c) { return c.isDigit(); }))
        return std::nullopt;
    bool ok = false;
    const qint64 value = field.toLongLong(&ok);
    return ok ? std::optional<qint64>(value) : std::nullopt;
}

QString tenDigits(qint64 value)
{
    return QStringLiteral("%1").arg(std::max<qint64>(value, 0), kDigits, 10, QLatin1Char('0'));
}

// No screen is this large; a larger stored number is damage, not a size.
constexpr qint64 kLargestSide = 100000;

} // namespace

std::optional<QSize> storedPlayerSize(const QString& movieSize)
{
    const auto height = digitsAt(movieSize, kHeightAt);
    const auto width = digitsAt(movieSize, kWidthAt);
    if (!height || !width || *height <= 0 || *width <= 0 || *height > kLargestSide || *width > kLargestSide)
        return std::nullopt;
    return QSize(int(*width), int(*height));
}

QString movieSizeText(QSize playerPixels)
{
    return QStringLiteral("M_Height=") + tenDigits(playerPixels.height()) + QStringLiteral(" M_Width=")
        + tenDigits(playerPixels.width());
}

QSize windowTwipsForPlayer(QSize playerPixels)
{
    return QSize(toTwips(playerPixels.width()) + kFrameTwips, toTwips(playerPixels.height()) + kFrameTwips);
}

QSize playerForWindowTwips(QSize windowTwips)
{
    return QSize(toPixels(windowTwips.width()) - kFramePixels, toPixels(windowTwips.height()) - kFramePixels);
}

Layout layoutFor(const QString& movieSize, QSize videoSize)
{
    if (const auto stored = storedPlayerSize(movieSize)) {
        const QSize window = windowTwipsForPlayer(*stored);
        return Layout{window, playerForWindowTwips(window)};
    }
    return Layout{windowTwipsForPlayer(videoSize), videoSize};
}

std::optional<Layout> layoutForDisplaySize(DisplaySize size, QSize videoSize, const QString& movieSize)
{
    QSize player;
    switch (size) {
    case DisplaySize::Own:
        player = videoSize;
        break;
    case DisplaySize::Half:
        player = QSize(videoSize.width() / 2, videoSize.height() / 2);
        break;
    case DisplaySize::Double:
        player = QSize(videoSize.width() * 2, videoSize.height() * 2);
        break;
    case DisplaySize::FullScreen:
        return std::nullopt;
    case DisplaySize::FitToWindow:
        return layoutFor(movieSize, videoSize);
    }
    return Layout{windowTwipsForPlayer(player), player};
}

Record recordFor(TwipsPos windowPosition, QSize windowTwips)
{
    const TwipsPos kept{std::max(windowPosition.top, 0), std::max(windowPosition.left, 0)};
    return Record{kept, QString::number(kept.top), QString::number(kept.left),
                  movieSizeText(playerForWindowTwips(windowTwips))};
}

} // namespace yk::movie
