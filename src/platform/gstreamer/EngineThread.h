#pragma once

#include <functional>

class QThread;

namespace yk::gst {

// The one thread on which every pipeline of the program changes state,
// seeks and reads its bus. State changes wait for sound servers, decoders
// and sinks (a stop without a sound server waits some 300 ms), and the first
// GStreamer call of a run checks the plugin registry, which after a package
// update takes seconds: none of that may hold the window.
//
// The thread starts on the first call, and GStreamer is initialised as its
// first piece of work, so everything posted after it finds GStreamer ready.
// Work runs in the order it was posted. The thread is stopped, after the
// work already posted, when the application object goes.
class EngineThread
{
public:
    // Starts the thread and the initialisation if not yet started.
    static void start();
    // The thread, for objects that are moved there.
    static QThread* thread();
    // Runs `work` on the engine thread after everything posted before.
    static void post(std::function<void()> work);
};

} // namespace yk::gst
