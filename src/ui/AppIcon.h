#pragma once

#include <QIcon>
#include <QPixmap>

namespace yk {

// The program's icon (window and tray): a small desk-calendar page, drawn here.
QIcon appIcon();
// The same picture drawn at one size (also the installed icon files).
QPixmap appIconPixmap(int side);

} // namespace yk
