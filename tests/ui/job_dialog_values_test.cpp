// The job and pen dialogs' values: shown indexes, SP texts, bit sets, swatches, stored options.
#include "ui/job_dialog_values.h"

#include "app/udp_server.h"
#include "machinelink/net_machine.h"
#include "platform/settings_store.h"
#include "support/recording_message_sink.h"

#include <arpa/inet.h>

#include <gtest/gtest.h>

namespace {

using corvane_test::RecordingMessageSink;

TEST(JobDialogValues, StoredModesOutOfRangeShowTheirDefaults)
{
    EXPECT_EQ(PenModeIndex(9), 0);
    EXPECT_EQ(PenModeName(PenModeIndex(9)), CString(u"笔"));
    EXPECT_EQ(PenModeIndex(5), 5);
    EXPECT_EQ(ContourModeIndex(6), 3);
    EXPECT_EQ(ContourModeIndex(2), 2);
    EXPECT_EQ(LoopSpListIndex(12), 0);
    EXPECT_EQ(LoopSpListIndex(-1), 0);
    EXPECT_EQ(LoopSpListIndex(8), 8);
    EXPECT_EQ(LoopSpListItem(0), u"不修改");
    EXPECT_EQ(LoopSpListItem(8), u"SP8");
    EXPECT_EQ(SpIndexShown(0), 1);
    EXPECT_EQ(SpIndexShown(9), 1);
    EXPECT_EQ(SpIndexShown(4), 4);
}

TEST(JobDialogValues, SpTextsNameTheMachinesToolsUnderItsLock)
{
    CUDPServer server;
    const uint8_t id[12] = {'S', 'P', '-', 'T', 'E', 'X', 'T', 'S', '-', '0', '0', '1'};
    const uint32_t key = inet_addr("127.0.0.41");
    auto* machine = new NET_Machine(key, id);
    machine->spRoles[1] = 7;
    machine->spRoles[2] = 2;
    machine->spRoles[3] = 3;
    ASSERT_EQ(server.AddMachineSorted(machine), 1);

    const auto roles = CopySpRoles(server, key);
    ASSERT_TRUE(roles);
    EXPECT_EQ(SpButtonText(1, roles), u"SP1-喷墨");
    EXPECT_EQ(SpButtonText(2, roles), u"SP2-喷墨");
    EXPECT_EQ(SpButtonText(3, roles), u"SP3-内刀");
    EXPECT_EQ(SpButtonText(4, roles), u"SP4-外刀");

    const auto none = CopySpRoles(server, inet_addr("127.0.0.42"));
    EXPECT_FALSE(none);
    for (int n = 1; n <= kSpCount; ++n) EXPECT_EQ(SpButtonText(n, none), CString(u"SP") + CString(std::to_string(n).c_str()));
}

TEST(JobDialogValues, SpRangeBitsAndBoxes)
{
    const auto boxes = SpRangeBoxes(5);
    EXPECT_EQ(boxes, (std::array<bool, kSpCount>{true, false, true, false, false, false, false, false}));
    EXPECT_EQ(SpRangeBits(boxes), 5);
    EXPECT_EQ(SpRangeBits(SpRangeBoxes(0xFF)), 0xFF);
}

TEST(JobDialogValues, SwatchesSitBesideTheirControls)
{
    EXPECT_EQ(SwatchLeftOf(CRect(100, 40, 180, 60)), CRect(85, 42, 97, 58));
    EXPECT_EQ(SwatchOfModeLabel(CRect(10, 5, 60, 21), 12), CRect(38, 5, 58, 21));
    // A longer text (another language's) pushes the swatch past its end and widens the label.
    EXPECT_EQ(SwatchOfModeLabel(CRect(10, 5, 90, 21), 40), CRect(54, 5, 74, 21));
    EXPECT_EQ(ModeLabelWidth(12, 52), 52);
    EXPECT_EQ(ModeLabelWidth(40, 52), 68);
}

TEST(JobDialogValues, RecgniseLoopOkWritesOnlyWhatChanged)
{
    WriteProfileInt(u"LoopRecgnise", u"LoopRecgnise_SPRange", 5);
    WriteProfileInt(u"LoopRecgnise", u"Modify_OutLoop_SP", 12);
    RecgniseLoopValues opened = ReadRecgniseLoopValues();
    EXPECT_EQ(opened.spBoxes, SpRangeBoxes(5));
    EXPECT_EQ(opened.outerIndex, 0);
    EXPECT_EQ(opened.minAreaText, u"10.000000");

    RecgniseLoopValues untouched = opened;
    ASSERT_TRUE(CommitRecgniseLoopValues(opened, untouched));
    EXPECT_EQ(GetProfileString(u"LoopRecgnise", u"fMinArea"), u"");
    EXPECT_EQ(GetProfileInt(u"LoopRecgnise", u"Modify_OutLoop_SP", 0), 12);

    RecgniseLoopValues edited = opened;
    edited.spBoxes[7] = true;
    edited.innerIndex = 3;
    edited.minAreaText = u"2.5";
    ASSERT_TRUE(CommitRecgniseLoopValues(opened, edited));
    EXPECT_EQ(GetProfileInt(u"LoopRecgnise", u"LoopRecgnise_SPRange", 0), 5 | 0x80);
    EXPECT_EQ(GetProfileInt(u"LoopRecgnise", u"Modify_InnerLoop_SP", 0), 3);
    EXPECT_EQ(GetProfileFloat(u"LoopRecgnise", u"fMinArea", 0), 2.5f);
}

TEST(JobDialogValues, RecgniseLoopRefusesAnAreaThatIsNoFiniteNumber)
{
    RecordingMessageSink sink;
    const RecgniseLoopValues opened = ReadRecgniseLoopValues();
    RecgniseLoopValues edited = opened;
    edited.minAreaText = u"nan";
    edited.innerIndex = 2;
    EXPECT_FALSE(CommitRecgniseLoopValues(opened, edited));
    EXPECT_EQ(sink.Shown().size(), 1u);
    EXPECT_EQ(GetProfileInt(u"LoopRecgnise", u"Modify_InnerLoop_SP", -5), -5);
}

TEST(JobDialogValues, CountFieldsTakeOnlyWhatTheirSignedFieldHolds)
{
    struct Case {
        const char16_t* text;
        bool accepted;
        int32_t value;
    };
    for (const Case& c : {Case{u"3", true, 3}, Case{u"0", true, 0}, Case{u"2147483647", true, 2147483647},
                          Case{u"abc", false, 7}, Case{u"-1", false, 7}, Case{u"4294967295", false, 7},
                          Case{u"2147483648", false, 7}}) {
        SCOPED_TRACE(CString(c.text).ToUtf8());
        RecordingMessageSink sink;
        int32_t value = 7;
        EXPECT_EQ(ReadCountField(c.text, value), c.accepted);
        EXPECT_EQ(value, c.value);
        EXPECT_EQ(sink.Shown().size(), c.accepted ? 0u : 1u);
    }
}

}  // namespace
