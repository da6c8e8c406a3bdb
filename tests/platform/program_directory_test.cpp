// The program directory: the executable's own folder, or the folder a test chose.
#include "platform/program_directory.h"

#include "support/test_environment.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

TEST(ProgramDirectory, IsTheTestsFolderThenTheExecutablesOwn)
{
    EXPECT_EQ(ProgramDirectory(), corvane_test::ProgramDir());

    SetProgramDirectoryForTesting("");
    std::string dir = ProgramDirectory();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), '/');
    EXPECT_EQ(access((dir + "test_platform").c_str(), X_OK), 0) << dir;
    SetProgramDirectoryForTesting(corvane_test::ProgramDir());
}

TEST(ProgramDirectory, CutsAfterTheLastSeparator)
{
    EXPECT_EQ(DirectoryWithSeparator("/usr/bin/corvane"), "/usr/bin/");
    EXPECT_EQ(DirectoryWithSeparator("/corvane"), "/");
    std::string deep = "/" + std::string(3000, 'd') + "/exe";
    EXPECT_EQ(DirectoryWithSeparator(deep).size(), 3002u);
}

TEST(ProgramDirectory, WritableFilesStayBesideTheProgramOrGoToTheUsersDataFolder)
{
    struct Case {
        bool writable;
        const char* xdgDataHome;
        const char* home;
        const char* expected;
    };
    for (const Case& c : {Case{true, "/data", "/home/u", "/opt/corvane/"},
                          Case{false, "/data", "/home/u", "/data/Corvane/"},
                          Case{false, "/data/", "/home/u", "/data/Corvane/"},
                          Case{false, "", "/home/u", "/home/u/.local/share/Corvane/"},
                          Case{false, "relative/data", "/home/u", "/home/u/.local/share/Corvane/"}})
        EXPECT_EQ(ChooseWritableProgramDirectory("/opt/corvane/", c.writable, c.xdgDataHome, c.home), c.expected)
            << c.writable << " '" << c.xdgDataHome << "'";

    // The tests' program directory is writable, so the files stay in it.
    EXPECT_EQ(WritableProgramDirectory(), corvane_test::ProgramDir());
}

}  // namespace
