#pragma once

// A stand-in for every outside service, for systems (and tests) where the
// service is missing. Each one takes every call and does nothing harmful,
// so callers never test for a missing service.

#include "platform/null/NullDeviceChannel.h"
#include "platform/null/NullHotKey.h"
#include "platform/null/NullMascot.h"
#include "platform/null/NullMoviePlayer.h"
#include "platform/null/NullSessionEnd.h"
#include "platform/null/NullShell.h"
#include "platform/null/NullTrayIcon.h"
#include "platform/null/NullVolumeMixer.h"
