#pragma once

#include <QString>
#include <QStringList>

namespace yk {

// What the command line asks for. Every argument is one path (a file or a
// folder to play), except the few options below. An argument that starts
// with '-' and is not one of them is a mistake of the user's, not a file:
// it is reported and left out, so a typo never reaches the running copy
// as a path. "--" ends the options: everything after it is a path, also
// when it starts with '-'. A lone "-" (standard input elsewhere) is not
// something the player can read, so it is reported as well; "./-" or
// "-- -" names a file of that name.
struct CommandLine
{
    enum class Action {
        Run,     // start, or hand the paths to the running copy
        Help,    // print the usage and end
        Version, // print the version and end
    };
    Action action = Action::Run;
    QStringList paths;
    // The arguments that looked like options but are none of ours, in order.
    QStringList unknownOptions;
};

// `args` without the program's own name. The first of --help/-h or
// --version/-v before "--" decides the action.
CommandLine parseCommandLine(const QStringList& args);

// The texts printed for --help and --version, each ending in a line end.
QString usageText();
QString versionText();
// One line for standard error about an option that is not ours.
QString unknownOptionText(const QString& option);

} // namespace yk
