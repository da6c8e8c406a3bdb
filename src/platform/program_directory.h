// The program directory: where the running executable lies, and where its data files are.
#pragma once

#include <string>

// The directory of the running executable as UTF-8, with a trailing '/'. Tests may point it
// at a folder of their own with SetProgramDirectoryForTesting.
std::string ProgramDirectory();

// Makes ProgramDirectory return dir (a trailing '/' is added when missing); an empty dir
// returns to the executable's own directory. For tests only.
void SetProgramDirectoryForTesting(const std::string& dir);

// The directory part of path up to and including its last '/', or the path itself when it
// has none ("/usr/bin/x" gives "/usr/bin/", "/x" gives "/").
std::string DirectoryWithSeparator(const std::string& path);

// The folder of the program's own writable files ("Config.ini", "config.db", "Pages"), with a
// trailing '/': the program directory while this user may write to it, otherwise (an install
// under /opt run by a user) $XDG_DATA_HOME/Corvane/, ~/.local/share/Corvane/ when that is
// unset, created when missing. Every path of those files is made from this folder.
std::string WritableProgramDirectory();

// The choice WritableProgramDirectory makes, without asking the system: programDir when
// writable, else the "Corvane/" folder under xdgDataHome when it is an absolute path, else
// under home + "/.local/share".
std::string ChooseWritableProgramDirectory(const std::string& programDir, bool programDirWritable,
                                           const std::string& xdgDataHome, const std::string& home);
