#pragma once

#include <functional>
#include <memory>

#include <QObject>
#include <QString>
#include <QStringList>

#include "platform/DeviceChannel.h"
#include "platform/MoviePlayer.h"

namespace yk {

// Sets what the media libraries read from the environment, before the
// first of them is loaded: main() calls it before it creates QApplication.
// These variables are for this process only: programs it starts get the
// user's environment (UserEnvironment.h).
void prepareMediaEnvironment();

// The sound device lives in a module of its own (yomikaze_media), loaded
// on first use: the media framework then costs nothing until a sound plays.
// The module is looked for beside the program (a portable copy), then where
// an installed program keeps it, then in the folder it was built in (the
// tests' copies of the program). Without it the program stays silent (a device that takes every
// command and plays nothing) and says so once on the console.
std::unique_ptr<DeviceChannel> loadDeviceChannel();
// The folders searched for the module, in order, for a program in `exeDir`.
QStringList mediaModuleFolders(const QString& exeDir);

// Maps the module and the media libraries it links (some 20 ms of dynamic
// linking) on a worker thread, then calls `loaded` on `context`'s thread,
// where creating the device or the movie engine no longer waits for them.
void preloadMediaModule(QObject* context, std::function<void()> loaded);

// The movie engine from the same module, loaded the same way; without the
// module every movie fails to open (and plays as sound), said once on the
// console.
std::unique_ptr<MoviePlayer> loadMoviePlayer();

} // namespace yk
