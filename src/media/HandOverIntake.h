#pragma once

#include <optional>

#include <QString>
#include <QStringList>

namespace yk {

// The running copy's side of lst.tmp. A second start renames the file into
// place whole, so it is read at once, without waiting for the writer.
//
// Returns an empty optional when there is no hand-over file (the usual tick).
// Otherwise the paths in file order: each line up to the end of the file or
// the first empty line, less the double quote at either end; a line that is
// left empty names nothing and is passed over. The file is removed in every
// case, so a damaged or unreadable one is taken once (giving what could be
// read, perhaps nothing) and not again at every tick. `incomplete`, when
// given, tells whether part of the file was left out (a line too long, or
// more than a list file may hold).
std::optional<QStringList> takeHandOver(const QString& file, bool* incomplete = nullptr);

} // namespace yk
