// Finds the running executable's directory through /proc/self/exe, for paths of any length.
#include "platform/program_directory.h"

#include <mutex>
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
