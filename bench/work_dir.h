// The temporary folder of one benchmark run, for its generated files.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

namespace bench {

// A folder of the run's own (with a trailing '/'), removed at exit.
inline const std::string& WorkDir()
{
    static const std::string dir = [] {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/corvane-bench-XXXXXX";
        if (!mkdtemp(pattern.data())) std::abort();
        std::atexit([] { std::filesystem::remove_all(WorkDir()); });
        return pattern + "/";
    }();
    return dir;
}

}  // namespace bench
