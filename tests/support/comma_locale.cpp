// Makes and selects a comma-decimal numeric locale for the locale-independence tests.
#include "support/comma_locale.h"

#include "support/test_environment.h"

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace corvane_test {

ScopedCommaDecimalLocale::ScopedCommaDecimalLocale()
{
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) {
        active_ = true;
    } else {
        std::string dir = ScratchDir() + "locales";
        std::string cmd = "mkdir -p " + dir + " && localedef -i de_DE -f UTF-8 " + dir + "/de_DE.UTF-8 >/dev/null 2>&1";
        if (std::system(cmd.c_str()) == 0) {
            setenv("LOCPATH", dir.c_str(), 1);
            active_ = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
        }
    }
    if (active_) {
        char probe[16];
        std::snprintf(probe, sizeof probe, "%.1f", 1.5);
        active_ = std::string(probe) == "1,5";
    }
}

ScopedCommaDecimalLocale::~ScopedCommaDecimalLocale() { std::setlocale(LC_NUMERIC, "C"); }

}  // namespace corvane_test
