// "Config.ini" in the program directory: 8-bit text in the system code page, one
// "key=value;" per line, read once at start-up.
#pragma once

#include "platform/cstring.h"

#include <cstdint>

// The writable program directory (WritableProgramDirectory) + "Config.ini".
CString GetConfigIniPath();

// Reads "Config.ini" into the settings of app/config_globals.h, the machine link's calibration
// scales and band factor, and language and fontLibType ("language", "glFontLibType"). Keys
// are the text before a line's first "=", compared whole without case; a key that is absent
// leaves its value as it was. A missing file is created holding the current language.
// Returns 1 when the file was read, 0 when it was not there or could not be read.
int LoadConfigIni(int32_t& language, int32_t& fontLibType);

// Writes "Config.ini" as the single line "language=%d;" and CR LF; 1 when it was written.
int SaveLanguageToConfigIni(int32_t language);
