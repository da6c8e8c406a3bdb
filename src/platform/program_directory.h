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
