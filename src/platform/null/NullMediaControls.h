#pragma once

#include "platform/MediaControls.h"

namespace yk {

// A desktop without remote media controls.
class NullMediaControls final : public MediaControls
{
public:
    void publish(MediaControlTarget&) override {}
};

} // namespace yk
