#pragma once

#include "platform/TrayIcon.h"

namespace yk {

// A desktop without a notification area: the icon is never shown and never
// clicked.
class NullTrayIcon final : public TrayIcon
{
    Q_OBJECT
public:
    using TrayIcon::TrayIcon;
    void show(const QIcon&, const QString&) override {}
    void hide() override {}
    bool isShown() const override { return false; }
};

} // namespace yk
