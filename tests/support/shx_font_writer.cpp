// Writes encoded vector-font files for tests.
#include "support/shx_font_writer.h"

#include "support/test_environment.h"

namespace corvane_test {

bool WriteShxFont(const std::string& path, const ShxFontDef& font) { return WriteFile(path, ShxFontBytes(font)); }

}  // namespace corvane_test
