#pragma once

#include <QProcessEnvironment>

namespace yk {

// The environment the user started us with. The program changes its own
// environment for its own libraries (the media backend, the Vulkan loader,
// the display platform); programs it starts for the user must not see those
// changes, so they get this one.

// Takes the snapshot. main() calls it first, before anything is changed.
void rememberUserEnvironment();
// The snapshot; the current environment when none was taken.
QProcessEnvironment userEnvironment();

} // namespace yk
