#pragma once

#include <QStringList>

namespace yk {

// lst.tmp: the files a second start hands to the running copy, one path a
// line, each in double quotes. Written under a temporary name and renamed, so
// the running copy never sees half a file.
bool writeHandOver(const QString& file, const QStringList& paths);

class AppPaths;

// Command-line paths made absolute against the folder the program was
// started in: the running copy that receives them works in another one.
// Empty arguments are dropped.
QStringList absolutePaths(const QStringList& args);
// A second start: hands its paths to the running copy through lst.tmp.
// Nothing is written for an empty command line.
void handOverToRunningCopy(const AppPaths& paths, const QStringList& args);

} // namespace yk
