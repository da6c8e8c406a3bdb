// Writing the program's font files and the notices that travel with them, for the font
// makers' programs.
#pragma once

#include <filesystem>
#include <string>

namespace hershey {

// Writes bytes to dir/name through a temporary file renamed into place, so that a failed
// run leaves no half-written font behind; false with a message on standard error on failure.
bool WriteProgramFile(const std::filesystem::path& dir, const std::string& name, const std::string& bytes);
// Reads a whole file into text; false when it cannot be read.
bool ReadWholeFile(const std::filesystem::path& path, std::string& text);

// The acknowledgement the licence of the Hershey font data asks to travel with every copy,
// headed by what was made from which font file.
std::string HersheyAcknowledgement(const std::filesystem::path& source);
// Its file name beside the font files.
constexpr const char* HersheyAcknowledgementFile = "hershey-fonts-acknowledgement.txt";

}  // namespace hershey
