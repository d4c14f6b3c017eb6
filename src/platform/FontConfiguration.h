#pragma once

#include <thread>

namespace yk {

// Starts loading the system's font configuration (its rules and every font
// folder's cache, the largest piece of work before the first paint) on a
// thread of its own, and returns that thread. Call it first thing, before
// QApplication: the load then runs while the window system is being set
// up. Join the thread before anything asks for fonts, so that the load is
// not started a second time.
std::jthread loadFontConfigurationAhead();

} // namespace yk
