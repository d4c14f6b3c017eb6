#pragma once

#include <QString>

namespace yk {

class AppPaths;

// The two help texts that ship beside the program: "ShortCut.txt" (the key
// list) and "Readme.txt" (what the program is and how to use it).

// The path of ShortCut.txt (shortcut true) or Readme.txt.
QString helpFile(const AppPaths& paths, bool shortcut);

// The file the help command opens: ShortCut.txt when it exists as a plain
// file, else Readme.txt when it does, else an empty string (nothing opens).
QString helpFilePath(const AppPaths& paths);

// The About window's home page: the bundled Readme.txt as a file address,
// so the link works without a network.
QString homePageAddress(const AppPaths& paths);

// Writes each help file that is missing; an existing file, perhaps edited
// by the user, is left alone. Returns false when a missing file could not
// be written.
bool writeHelpFiles(const AppPaths& paths);

// The texts as written (CR LF line ends are added on writing).
QString shortCutText();
QString readmeText();

} // namespace yk
