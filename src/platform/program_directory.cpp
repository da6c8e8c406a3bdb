// Finds the running executable's directory through /proc/self/exe, for paths of any length,
// and the folder of the program's writable files beside it or in the user's data folder.
#include "platform/program_directory.h"

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace {

std::mutex g_overrideLock;
std::string g_override;

std::string ExecutablePath()
{
    std::vector<char> buffer(256);
    for (;;) {
        ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0) return {};
        if (static_cast<size_t>(n) < buffer.size()) return std::string(buffer.data(), static_cast<size_t>(n));
        buffer.resize(buffer.size() * 2);  // possibly cut off: try again with more room
    }
}

// The user's home folder: $HOME, or the password database's entry when HOME is unset.
std::string HomeDirectory()
{
    const char* home = std::getenv("HOME");
    if (home && *home) return home;
    const passwd* entry = getpwuid(getuid());
    return entry && entry->pw_dir ? entry->pw_dir : "";
}

std::string EnvironmentValue(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

}  // namespace

std::string DirectoryWithSeparator(const std::string& path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(0, slash + 1);
}

std::string ProgramDirectory()
{
    {
        std::lock_guard<std::mutex> lock(g_overrideLock);
        if (!g_override.empty()) return g_override;
    }
    return DirectoryWithSeparator(ExecutablePath());
}

void SetProgramDirectoryForTesting(const std::string& dir)
{
    std::lock_guard<std::mutex> lock(g_overrideLock);
    g_override = dir;
    if (!g_override.empty() && g_override.back() != '/') g_override += '/';
}

std::string ChooseWritableProgramDirectory(const std::string& programDir, bool programDirWritable,
                                           const std::string& xdgDataHome, const std::string& home)
{
    if (programDirWritable) return programDir;
    // A relative XDG_DATA_HOME is invalid and ignored, as the base-directory rules say.
    const std::string base = !xdgDataHome.empty() && xdgDataHome.front() == '/' ? xdgDataHome : home + "/.local/share";
    return base + (base.back() == '/' ? "" : "/") + "Corvane/";
}

std::string WritableProgramDirectory()
{
    const std::string programDir = ProgramDirectory();
    const bool writable = access(programDir.c_str(), W_OK) == 0;
    const std::string dir =
        ChooseWritableProgramDirectory(programDir, writable, EnvironmentValue("XDG_DATA_HOME"), HomeDirectory());
    if (!writable) {
        std::error_code ignored;  // a folder that cannot be made shows as the files' own failures
        std::filesystem::create_directories(dir, ignored);
    }
    return dir;
}
