#pragma once

#include <QIcon>

namespace yk {

// The program's icon (window and tray): a small desk-calendar page, drawn here.
QIcon appIcon();

} // namespace yk
