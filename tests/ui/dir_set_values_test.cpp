// The program settings dialog's values: what opening reads, what OK and the check boxes change.
#include "ui/dir_set_values.h"

#include "platform/settings_store.h"
#include "support/recording_message_sink.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using corvane_test::RecordingMessageSink;

// Holds the document, application and server values itself, reads the test's settings store
// and records every change as one line.
class RecordingDirSetHost : public DirSetHost {
public:
    CString autoDir = u"/data/Auto", mergeDir = u"/data/merge", copyDir = u"/data/copy";
    bool sortCuts = true, deleteAfterPrint = false, nightMode = true, contour = false;
    uint32_t first = 0xFF01A8C0, second = 0xFF01A8C0;  // 192.168.1.255
    std::vector<std::string> calls;

    CString GetAutoDirectory() const override { return autoDir; }
    CString GetMergeDirectory() const override { return mergeDir; }
    CString GetCopyDirectory() const override { return copyDir; }
    void SetAutoDirectory(const CString& d) override { Record("SetAutoDirectory " + d.ToUtf8()); autoDir = d; }
    void SetMergeDirectory(const CString& d) override { Record("SetMergeDirectory " + d.ToUtf8()); mergeDir = d; }
    void SetCopyDirectory(const CString& d) override { Record("SetCopyDirectory " + d.ToUtf8()); copyDir = d; }
    bool GetSortCuts() const override { return sortCuts; }
    void SetSortCuts(bool on) override { Record("SetSortCuts " + std::to_string(on)); }
    bool GetDeleteAfterPrint() const override { return deleteAfterPrint; }
    void SetDeleteAfterPrint(bool on) override { Record("SetDeleteAfterPrint " + std::to_string(on)); }
    bool GetNightMode() const override { return nightMode; }
    void SetNightMode(bool on) override { Record("SetNightMode " + std::to_string(on)); }
    bool GetRecogniseContourOnOpen() const override { return contour; }
    void SetRecogniseContourOnOpen(bool on) override { Record("SetRecogniseContourOnOpen " + std::to_string(on)); }
    int32_t GetProfileInt(const char16_t* s, const char16_t* k, int32_t d) const override { return ::GetProfileInt(s, k, d); }
    float GetProfileFloat(const char16_t* s, const char16_t* k, float d) const override { return ::GetProfileFloat(s, k, d); }
    void WriteProfileInt(const char16_t*, const char16_t* k, int32_t v) override
    {
        Record("WriteProfileInt " + CString(k).ToUtf8() + " " + std::to_string(v));
    }
    void WriteProfileString(const char16_t*, const char16_t* k, const CString& v) override
    {
        Record("WriteProfileString " + CString(k).ToUtf8() + " " + v.ToUtf8());
    }
    void WriteProfileFloat(const char16_t*, const char16_t* k, float v) override
    {
        Record("WriteProfileFloat " + CString(k).ToUtf8() + " " + std::to_string(v));
    }
    void SetAutoDir(const CString& d) override { Record("SetAutoDir " + d.ToUtf8()); }
    uint32_t GetDiscoveryAddress() const override { return first; }
    uint32_t GetServerDiscoveryAddress() const override { return second; }
    void SetDiscoveryAddresses(uint32_t a, uint32_t b) override
    {
        Record("SetDiscoveryAddresses " + std::to_string(a) + " " + std::to_string(b));
    }

private:
    void Record(std::string call) { calls.push_back(std::move(call)); }
};

using Calls = std::vector<std::string>;

TEST(DirSetValues, OpeningShowsTheOwnersValuesAndTheStoredDefaults)
{
    RecordingDirSetHost host;
    ::WriteProfileString(u"AutoPrint Settings", u"MergeWidth", u"");
    const DirSetValues v = ReadDirSetValues(host);
    EXPECT_EQ(v.autoDirectory, u"/data/Auto");
    EXPECT_EQ(v.broadcastText, u"192.168.1.255");
    EXPECT_EQ(v.mergeWidthMm, 1800.0f);
    EXPECT_EQ(v.mergeWidthText, u"1800");
    EXPECT_EQ(v.textScale, 1.0f);
    EXPECT_EQ(v.mergeBlankMm, 1.0f);
    EXPECT_TRUE(v.bsplineFit);
    EXPECT_TRUE(v.nightMode);
    EXPECT_TRUE(host.calls.empty());
}

TEST(DirSetValues, UntouchedOkChangesNothingEvenForARoundedFloat)
{
    RecordingDirSetHost host;
    ::WriteProfileString(u"AutoPrint Settings", u"TextScale", u"0.1234567891");
    const DirSetValues opened = ReadDirSetValues(host);
    EXPECT_TRUE(CommitDirSetValues(opened, opened, host));
    EXPECT_EQ(host.calls, Calls{});
}

TEST(DirSetValues, DirectoriesCompareExactlyAndTheAutoDirectoryReachesTheServer)
{
    RecordingDirSetHost host;
    const DirSetValues opened = ReadDirSetValues(host);
    DirSetValues edited = opened;
    edited.autoDirectory = u"/data/auto";
    edited.copyDirectory = u"/data/copy2";
    EXPECT_TRUE(CommitDirSetValues(opened, edited, host));
    EXPECT_EQ(host.calls, (Calls{"SetAutoDirectory /data/auto", "WriteProfileString Auto Directory /data/auto",
                                 "SetAutoDir /data/auto", "SetCopyDirectory /data/copy2",
                                 "WriteProfileString Copy Directory /data/copy2"}));
}

TEST(DirSetValues, AddressTextsStoreWhatInetAddrGives)
{
    RecordingDirSetHost host;
    const DirSetValues opened = ReadDirSetValues(host);
    DirSetValues edited = opened;
    edited.broadcastText = u"abc";
    edited.serverBroadcastText = u"127.0.0.2";
    EXPECT_TRUE(CommitDirSetValues(opened, edited, host));
    EXPECT_EQ(host.calls, (Calls{"WriteProfileInt BroadCastIP -1", "WriteProfileInt ServBroadCastIP 33554559",
                                 "SetDiscoveryAddresses 4294967295 33554559"}));
}

TEST(DirSetValues, FloatFieldsTakeOnlyFiniteNumbers)
{
    struct Case {
        const char16_t* text;
        bool accepted;
    };
    for (const Case& c : {Case{u"nan", false}, Case{u"inf", false}, Case{u"abc", false}, Case{u"1200.5", true}}) {
        SCOPED_TRACE(CString(c.text).ToUtf8());
        RecordingMessageSink sink;
        RecordingDirSetHost host;
        const DirSetValues opened = ReadDirSetValues(host);
        DirSetValues edited = opened;
        edited.autoDirectory = u"/elsewhere";
        edited.mergeWidthText = c.text;
        EXPECT_EQ(CommitDirSetValues(opened, edited, host), c.accepted);
        EXPECT_EQ(sink.Shown().size(), c.accepted ? 0u : 1u);
        if (c.accepted)
            EXPECT_EQ(host.calls.back(), "WriteProfileFloat MergeWidth 1200.500000");
        else
            EXPECT_TRUE(host.calls.empty()) << "a refused field changes nothing";
    }
}

TEST(DirSetValues, CheckBoxesWriteAtOnceButNightModeNever)
{
    RecordingDirSetHost host;
    ApplyNightMode(false, host);
    ApplyDeleteAfterPrint(true, host);
    ApplySortCuts(false, host);
    ApplyBsplineFit(false, host);
    ApplyRecogniseContourOnOpen(true, host);
    EXPECT_EQ(host.calls, (Calls{"SetNightMode 0", "SetDeleteAfterPrint 1", "WriteProfileInt Delete 1", "SetSortCuts 0",
                                 "WriteProfileInt SortCut 0", "WriteProfileInt BSPLINE_FIT 0",
                                 "SetRecogniseContourOnOpen 1", "WriteProfileInt bRecogniseContourWhenFileOpen 1"}));
}

}  // namespace
