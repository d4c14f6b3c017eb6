#include "calendar/ColourChooser.h"

#include "calendar/CalendarColours.h"

#include <QColorDialog>

namespace yk {

ColourChooser::ColourChooser(Picker picker)
    : m_picker(picker ? std::move(picker) : Picker(&ColourChooser::systemDialog))
{
}

std::optional<QString> ColourChooser::choose(QWidget* parent, const QString& currentValue,
                                             const QString& title) const
{
    const QColor initial = colourFromValue(currentValue, QColor(Qt::black));
    const std::optional<QColor> picked = m_picker(parent, initial, title);
    if (!picked || !picked->isValid())
        return std::nullopt;
    return colourValue(*picked);
}

std::optional<QColor> ColourChooser::systemDialog(QWidget* parent, const QColor& initial,
                                                  const QString& title)
{
    // getColor() runs its own event loop, so the clock keeps ticking while
    // the dialog is open.
    const QColor c = QColorDialog::getColor(initial, parent, title);
    if (!c.isValid())
        return std::nullopt;
    return c;
}

} // namespace yk
