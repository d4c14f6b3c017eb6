#include "media/TrackTags.h"

namespace yk::tags {

void setUpTagLib()
{
    // Filled in with the tag reader.
}

std::optional<TrackInfo> readTrackInfo(const QString&)
{
    return std::nullopt;
}

} // namespace yk::tags
