// CFile: created, written and closed by its path.
#include "platform/cfile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

TEST(CFileWrite, CreatesEmptiesAndWritesTheFileAndRefusesWhatItCannotOpen)
{
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "corvane_cfile_test.txt";
    {
        std::ofstream old(path);
        old << "a much longer old content";
    }
    CFile file;
    ASSERT_EQ(file.Open(CString::FromUtf8(path.string()), CFile::modeCreate | CFile::modeWrite), TRUE);
    EXPECT_EQ(file.Open(CString::FromUtf8(path.string()), CFile::modeCreate | CFile::modeWrite), FALSE) << "already open";
    file.Write("12\t34\r\n", 7);
    file.Write(nullptr, 3);
    file.Close();
    file.Write("lost", 4);
    std::ifstream in(path, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "12\t34\r\n");
    std::filesystem::remove(path);

    CFile other;
    EXPECT_EQ(other.Open(CString::FromUtf8((path / "no" / "such").string()), CFile::modeCreate | CFile::modeWrite), FALSE);
    EXPECT_EQ(other.Open(CString::FromUtf8(path.string()), 0), FALSE) << "not opened for writing";
    EXPECT_FALSE(other.IsOpen());
}

}  // namespace
