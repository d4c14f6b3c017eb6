#pragma once

#include <QStringList>

namespace yk {

// One subsystem's wiring. Its constructor builds the subsystem's models and
// windows and adds its menu items, keys, tick steps and connections to the
// shell; the hooks below are for the few moments of the run the program
// goes through in order. Every hook has a default that does nothing.
class Module
{
public:
    virtual ~Module() = default;

    // The start-up, after the settings were read, in the order the modules
    // were built. `files` are the command line's paths, made absolute.
    virtual void start(const QStringList& files) { (void)files; }
    // Just before the settings file is written at a log-off (`ending`
    // false: the program runs on) or at the end of the run.
    virtual void beforeSave(bool ending) { (void)ending; }
    // The end of the run, after the save, in the reverse of the build order.
    virtual void end(bool farewell) { (void)farewell; }
};

} // namespace yk
