// The temporary folder of one benchmark run, for its generated files.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace bench {

// A folder of the run's own, removed when the program ends. The folder's path lives in the
// object that removes it, so removal never reads a destroyed name.
struct WorkFolder {
    std::string path;  // with a trailing '/'
    WorkFolder()
    {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/corvane-bench-XXXXXX";
        if (!mkdtemp(pattern.data())) std::abort();
        path = pattern + "/";
    }
    ~WorkFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

// The run's folder (with a trailing '/').
inline const std::string& WorkDir()
{
    static const WorkFolder folder;
    return folder.path;
}

}  // namespace bench
