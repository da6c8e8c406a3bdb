// Folders, file times, the atomic replace, deletion and _time64.
#include "platform/file_system.h"

#include "support/test_environment.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <unistd.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using corvane_test::ReadFile;
using corvane_test::ScratchDir;

CString Path(const std::string& utf8) { return CString::FromUtf8(utf8); }

std::vector<std::string> FolderEntries(const std::string& folder)
{
    std::vector<std::string> names;
    DIR* dir = opendir(folder.c_str());
    if (!dir) return names;
    while (dirent* e = readdir(dir)) {
        std::string name = e->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    closedir(dir);
    return names;
}

TEST(FileSystem, CreatesNestedFoldersAndTellsFoldersFromFiles)
{
    const std::string top = ScratchDir() + "Pages";
    const std::string nested = top + "/0123ABCD/sub";
    EXPECT_FALSE(FolderExists(Path(top)));
    ASSERT_TRUE(CreateFolder(Path(nested)));
    EXPECT_TRUE(FolderExists(Path(nested)));
    EXPECT_TRUE(CreateFolder(Path(nested)));  // existing already: still a success
    // Names are case-sensitive.
    EXPECT_FALSE(FolderExists(Path(ScratchDir() + "pages")));

    ASSERT_TRUE(corvane_test::WriteFile(top + "/file", "x"));
    EXPECT_FALSE(FolderExists(Path(top + "/file")));
    EXPECT_FALSE(CreateFolder(Path(top + "/file")));
    EXPECT_FALSE(CreateFolder(Path(top + "/file/below")));
    EXPECT_FALSE(CreateFolder(CString()));
}

TEST(FileSystem, SetsAndReadsModificationTimesToTheNanosecond)
{
    const std::string path = ScratchDir() + "dated.txt";
    int64_t ns = 0;
    EXPECT_FALSE(GetFileTimeNs(Path(path), ns));
    EXPECT_FALSE(SetFileTimeNs(Path(path), 1));
    ASSERT_TRUE(corvane_test::WriteFile(path, "x"));
    const int64_t stamp = 1700000000123456789;
    ASSERT_TRUE(SetFileTimeNs(Path(path), stamp));
    ASSERT_TRUE(GetFileTimeNs(Path(path), ns));
    EXPECT_EQ(ns, stamp);
    // Before 1970 too.
    ASSERT_TRUE(SetFileTimeNs(Path(path), -1500000001));
    ASSERT_TRUE(GetFileTimeNs(Path(path), ns));
    EXPECT_EQ(ns, -1500000001);
}

TEST(FileSystem, ReplacesWholeFilesAndDatesThem)
{
    const std::string folder = ScratchDir();
    const std::string path = folder + "state 状态.txt";
    const std::string first = "first contents";
    ASSERT_TRUE(ReplaceFileAtomically(Path(path), first.data(), first.size()));
    EXPECT_EQ(ReadFile(path), first);
    int64_t ns = 0;
    ASSERT_TRUE(GetFileTimeNs(Path(path), ns));
    EXPECT_LE(ns, WallClockNs());

    const std::string second = "2";
    ASSERT_TRUE(ReplaceFileAtomically(Path(path), second.data(), second.size(), int64_t{1234567890000000001}));
    EXPECT_EQ(ReadFile(path), second);
    ASSERT_TRUE(GetFileTimeNs(Path(path), ns));
    EXPECT_EQ(ns, 1234567890000000001);
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_NE(st.st_mode & 0044, 0u);  // a normal file for others to read, not a private temporary

    ASSERT_TRUE(ReplaceFileAtomically(Path(path), nullptr, 0));
    EXPECT_EQ(ReadFile(path), "");
    // No temporary file is left behind.
    EXPECT_EQ(FolderEntries(folder), std::vector<std::string>{"state 状态.txt"});

    // A folder that does not exist, or a folder in the file's place, fails and leaves nothing.
    EXPECT_FALSE(ReplaceFileAtomically(Path(folder + "none/x.txt"), "a", 1));
    ASSERT_TRUE(CreateFolder(Path(folder + "dir")));
    EXPECT_FALSE(ReplaceFileAtomically(Path(folder + "dir"), "a", 1));
    EXPECT_EQ(FolderEntries(folder + "dir"), std::vector<std::string>{});
    EXPECT_EQ(FolderEntries(folder).size(), 2u);
}

TEST(FileSystem, ReplacesAFileFromItsPartsOrLeavesItWhenTheWriteIsGivenUp)
{
    const std::string folder = ScratchDir();
    const std::string path = folder + "page0.plt";
    const std::vector<std::string> parts = {"HX;IN;", "", std::string(100000, 'P'), "SP1;"};
    ASSERT_TRUE(ReplaceFileAtomically(Path(path), [&](const FileChunkSink& write) {
        for (const std::string& part : parts)
            if (!write(part.data(), part.size())) return false;
        return true;
    }));
    EXPECT_EQ(ReadFile(path), parts[0] + parts[2] + parts[3]);

    // A producer that gives up half-way leaves the old file and no temporary.
    EXPECT_FALSE(ReplaceFileAtomically(Path(path), [](const FileChunkSink& write) {
        write("new", 3);
        return false;
    }));
    EXPECT_EQ(ReadFile(path), parts[0] + parts[2] + parts[3]);
    EXPECT_EQ(FolderEntries(folder), std::vector<std::string>{"page0.plt"});
}

TEST(FileSystem, DeletesFiles)
{
    const std::string path = ScratchDir() + "gone.plt";
    ASSERT_TRUE(corvane_test::WriteFile(path, "IN;"));
    EXPECT_EQ(DeleteFile(Path(path)), TRUE);
    EXPECT_EQ(DeleteFile(Path(path)), FALSE);
    EXPECT_FALSE(corvane_test::WriteFile(path + "/x", ""));
}

TEST(FileSystem, CopiesFilesWithOrWithoutReplacing)
{
    const std::string from = ScratchDir() + "from.plt", to = ScratchDir() + "to.plt";
    ASSERT_TRUE(corvane_test::WriteFile(from, "IN;PD1,1;"));
    EXPECT_EQ(CopyFile(Path(from), Path(to), TRUE), TRUE);
    EXPECT_EQ(corvane_test::ReadFile(to), "IN;PD1,1;");
    ASSERT_TRUE(corvane_test::WriteFile(to, "old"));
    EXPECT_EQ(CopyFile(Path(from), Path(to), TRUE), FALSE);
    EXPECT_EQ(corvane_test::ReadFile(to), "old");
    EXPECT_EQ(CopyFile(Path(from), Path(to), FALSE), TRUE);
    EXPECT_EQ(corvane_test::ReadFile(to), "IN;PD1,1;");
    EXPECT_EQ(CopyFile(Path(ScratchDir() + "missing"), Path(to), FALSE), FALSE);
    EXPECT_EQ(CopyFile(Path(from), Path(ScratchDir() + "no/such/dir.plt"), FALSE), FALSE);
    EXPECT_EQ(CopyFile(Path(ScratchDir()), Path(to), FALSE), FALSE);  // a folder is no file
}

TEST(FileSystem, FindsTheRegularFilesOfAFolderInNameOrder)
{
    const std::string dir = ScratchDir() + "find";
    ASSERT_TRUE(CreateFolder(Path(dir + "/sub")));
    for (const char* name : {"b.plt", "a.PLT", "noext", ".hidden.plt"})
        ASSERT_TRUE(corvane_test::WriteFile(dir + "/" + name, "x"));
    const auto listed = [&dir](const CString& pattern) {
        std::vector<std::string> names;
        CFileFind find;
        for (BOOL more = find.FindFile(pattern); more;) {
            more = find.FindNextFile();
            names.push_back(find.GetFileName().ToUtf8());
            EXPECT_EQ(find.GetFilePath(), Path(dir + "/" + names.back()));
        }
        return names;
    };
    EXPECT_EQ(listed(Path(dir + "/*.*")), (std::vector<std::string>{".hidden.plt", "a.PLT", "b.plt", "noext"}));
    EXPECT_EQ(listed(Path(dir + "/*.plt")), (std::vector<std::string>{"b.plt"}));
    EXPECT_TRUE(listed(Path(dir + "/sub/*.*")).empty());
    EXPECT_TRUE(listed(Path(ScratchDir() + "missing/*.*")).empty());
    CFileFind none;
    EXPECT_EQ(none.FindNextFile(), FALSE);
    EXPECT_EQ(none.GetFileName(), CString());
}

TEST(FileSystem, Time64FollowsTheWallClockUnlessOverridden)
{
    const int64_t before = static_cast<int64_t>(time(nullptr));
    int64_t stored = 0;
    const int64_t now = _time64(&stored);
    EXPECT_EQ(now, stored);
    EXPECT_GE(now, before);
    EXPECT_LE(now, before + 5);

    SetTime64ForTesting(int64_t{4102444800});  // 2100-01-01
    EXPECT_EQ(_time64(nullptr), 4102444800);
    SetTime64ForTesting(std::nullopt);
    EXPECT_LE(_time64(nullptr) - before, 5);
}

}  // namespace

namespace {

TEST(FileSystem, TheLeftoversOfInterruptedWritesGoAndEveryOtherFileStays)
{
    const std::string folder = ScratchDir() + "state/";
    const std::string machine = folder + "machine/";
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    ASSERT_EQ(mkdir(machine.c_str(), 0755), 0);
    // A process id that cannot be running (above the kernel's limit).
    const std::string deadPid = "4194305";
    const std::vector<std::string> leftovers = {".CutState0.txt.tmp" + deadPid + "-0", ".page1.plt.tmp" + deadPid + "-17"};
    const std::vector<std::string> kept = {
        "CutState0.txt", "page1.plt", ".hidden", "x.tmp1-2", ".a.tmp-1", ".a.tmp12-", ".a.tmp1x-2",
        // A write of this very process is still going on.
        ".Config.ini.tmp" + std::to_string(getpid()) + "-3"};
    for (const std::string& name : leftovers) {
        ASSERT_TRUE(corvane_test::WriteFile(folder + name, "part"));
        ASSERT_TRUE(corvane_test::WriteFile(machine + name, "part"));
    }
    for (const std::string& name : kept) ASSERT_TRUE(corvane_test::WriteFile(machine + name, "whole"));

    EXPECT_EQ(RemoveInterruptedWriteTemporaries(Path(folder)), 2) << "one level only without sub-folders";
    EXPECT_EQ(FolderEntries(machine).size(), leftovers.size() + kept.size());
    EXPECT_EQ(RemoveInterruptedWriteTemporaries(Path(folder), true), 2);
    std::vector<std::string> left = FolderEntries(machine);
    std::sort(left.begin(), left.end());
    std::vector<std::string> expected = kept;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(left, expected);
    for (const std::string& name : kept) EXPECT_EQ(ReadFile(machine + name), "whole");
    EXPECT_EQ(RemoveInterruptedWriteTemporaries(Path(ScratchDir() + "missing")), 0);
}

}  // namespace
