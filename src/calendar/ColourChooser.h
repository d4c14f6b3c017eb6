#pragma once

#include <functional>
#include <optional>

#include <QColor>
#include <QString>

class QWidget;

namespace yk {

// Asks the user for one colour and hands it back as the decimal 0x00BBGGRR
// text the settings keep. Cancelling gives nothing, so the stored colour
// stays as it was.
class ColourChooser
{
public:
    // Shows a dialog starting at `initial`; nullopt when cancelled.
    using Picker = std::function<std::optional<QColor>(QWidget* parent, const QColor& initial,
                                                       const QString& title)>;

    // An empty picker means the system colour dialog (QColorDialog).
    explicit ColourChooser(Picker picker = {});

    // `currentValue` (decimal 0x00BBGGRR text) presets the dialog.
    std::optional<QString> choose(QWidget* parent, const QString& currentValue,
                                  const QString& title = QString()) const;

    static std::optional<QColor> systemDialog(QWidget* parent, const QColor& initial,
                                              const QString& title);

private:
    Picker m_picker;
};

class CalendarModel;

// One of the six colour buttons ("cmd_Y", "cmd_M", "cmd_T", "cmd_Sun",
// "cmd_W_D", "cmd_Sat"): asks for that colour and redraws the calendar with
// it. A cancelled dialog or an unknown button changes nothing; returns
// whether a colour was stored.
bool chooseCalendarColour(CalendarModel& calendar, const ColourChooser& chooser, const QString& button,
                          QWidget* parent = nullptr);

} // namespace yk
