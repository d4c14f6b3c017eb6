#pragma once

#include <thread>

namespace yk {

// Starts the connection to the desktop's session bus on a thread of its own
// and returns that thread (joined when it goes). Whatever asks for the bus
// first on the UI thread (the accessibility bridge, as the first widget is
// named) then finds it open, or waits only for the rest of the connection:
// without a bus, the attempt to start one costs a process start, which now
// runs beside the window system's set-up. Call it before QApplication.
std::jthread connectSessionBusAhead();

} // namespace yk
