#include "calendar/ColourChooser.h"

#include "calendar/CalendarModel.h"

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

bool chooseCalendarColour(CalendarModel& calendar, const ColourChooser& chooser, const QString& button,
                          QWidget* parent)
{
    struct Target { const char* button; CalendarColourRole role; const char* title; };
    static const Target targets[] = {
        {"cmd_Y", CalendarColourRole::Year, "年"},         {"cmd_M", CalendarColourRole::Month, "月"},
        {"cmd_T", CalendarColourRole::Time, "時間"},       {"cmd_Sun", CalendarColourRole::Holiday, "休日"},
        {"cmd_W_D", CalendarColourRole::Weekday, "平日"}, {"cmd_Sat", CalendarColourRole::Saturday, "土曜"},
    };
    for (const Target& t : targets) {
        if (button != QLatin1String(t.button))
            continue;
        const auto chosen = chooser.choose(parent, calendar.colour(t.role), QString::fromUtf8(t.title));
        if (!chosen)
            return false;
        calendar.setColour(t.role, *chosen);
        return true;
    }
    return false;
}

} // namespace yk
