// Per-test isolation: every test runs with a fresh temporary program directory and settings
// folder, removed when the test ends.
#pragma once

#include <string>

namespace corvane_test {

// The temporary program directory of the running test (with a trailing '/').
std::string ProgramDir();
// A temporary folder the running test may use as it likes (with a trailing '/').
std::string ScratchDir();
// Writes bytes to a file, creating or replacing it; returns false on failure.
bool WriteFile(const std::string& path, const std::string& bytes);
// Reads a whole file; empty when it cannot be read.
std::string ReadFile(const std::string& path);

}  // namespace corvane_test
