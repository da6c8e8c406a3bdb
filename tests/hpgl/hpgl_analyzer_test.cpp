// The HPGL tokenizer: commands and their normalised text from whole data and from pieces.
#include "hpgl/hpgl_analyzer.h"

#include "support/comma_locale.h"
#include "support/test_environment.h"

#include <gtest/gtest.h>

#include <cmath>
#include <unistd.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using Commands = std::vector<std::pair<int, std::string>>;

// Every command of text, read whole.
Commands ReadAll(const std::string& text)
{
    HpglAnalyzer analyzer{CStringA(text)};
    Commands out;
    CStringA command;
    int labelLength = -1;
    for (int code = analyzer.GetFirstCode(command, labelLength); code != HPGL_END_OF_DATA;
         code = analyzer.GetNextCode(command, labelLength))
        out.emplace_back(code, command.str());
    return out;
}

TEST(HpglAnalyzer, NormalisesEveryCommandOfTheTable)
{
    struct Case {
        const char* name;
        std::string input;
        Commands expected;
    } cases[] = {
        {"lower case", "pd100,200;", {{HPGL_PD, "PD100,200;"}}},
        {"no pairs", "PU;", {{HPGL_PU, "PU;"}}},
        {"odd coordinate dropped", "PD10,20,30;", {{HPGL_PD, "PD10,20;"}}},
        {"final pair cut off by the end", "PU1,1;PD10,20", {{HPGL_PU, "PU1,1;"}, {HPGL_PD, "PD;"}}},
        {"lone D and U", "D5,5;U5,5;d-1,.5;", {{HPGL_PD, "PD5,5;"}, {HPGL_PU, "PU5,5;"}, {HPGL_PD, "PD-1,.5;"}}},
        {"blanks and commas", "PD 10 ,\r\n 20 , 30\t40;PA,1,2;", {{HPGL_PD, "PD10,20,30,40;"}, {HPGL_PA, "PA1,2;"}}},
        {"sign starts the next number", "PR10,20-30,-40;", {{HPGL_PR, "PR10,20,-30,-40;"}}},
        {"no separator between commands", "PU0,0PD10,10;", {{HPGL_PU, "PU0,0;"}, {HPGL_PD, "PD10,10;"}}},
        {"malformed number abandons the pairs", "PA1.5.2,3;PD7,8;", {{HPGL_PA, "PA;"}, {HPGL_PD, "PD7,8;"}}},
        {"pairs before a fault are kept", "PD1,2,3-4;", {{HPGL_PD, "PD1,2;"}}},
        {"SI without numbers is dropped", "SI;PU1,2;", {{HPGL_PU, "PU1,2;"}}},
        {"SI, DI and CP", "SI0.2,.3;DI0,1;CP1,-1;", {{HPGL_SI, "SI0.2,.3;"}, {HPGL_DI, "DI0,1;"}, {HPGL_CP, "CP1,-1;"}}},
        {"one number is not a pair", "DI1;SL.5;PW0.35,2;", {{HPGL_SL, "SL.5;"}, {HPGL_PW, "PW0.35;"}}},
        {"chord tolerance not kept", "AA100,100,90,5;AR-5,5,-45;", {{HPGL_AA, "AA100,100,90;"}, {HPGL_AR, "AR-5,5,-45;"}}},
        {"arc with too few numbers", "AA1,2;IN;", {{HPGL_IN, "IN;"}}},
        {"circle", "CI40;CI40,5;CI;CI40.5.;CI 7 , 2.5 ;", {{HPGL_CI, "CI40;"}, {HPGL_CI, "CI40,5;"}, {HPGL_CI, "CI7,2.5;"}}},
        {"pens, line types, pattern", "SP2;SP;LT;LT-1,2;PI7;", {{HPGL_SP, "SP2;"}, {HPGL_SP, "SP;"}, {HPGL_LT, "LT;"}, {HPGL_LT, "LT-1,2;"}, {HPGL_PI, "PI7;"}}},
        {"commands without parameters", "IN;PG;DF;", {{HPGL_IN, "IN;"}, {HPGL_PG, "PG;"}, {HPGL_DF, "DF;"}}},
        {"unknown commands and escapes skipped", "\x1b.N;19:VS10;BP;XX;IN;", {{HPGL_IN, "IN;"}}},
        {"label", "LBABC\x03PU;", {{HPGL_LB, "LBABC\x03"}, {HPGL_PU, "PU;"}}},
        {"label cut off by the end", "LBAB", {{HPGL_LB, std::string("LBAB\x03")}}},
        {"new terminator", "DT*;LBAB*CD*DT;LBx\x03", {{HPGL_DT, "DT*;"}, {HPGL_LB, "LBAB*"}, {HPGL_DT, "DT;"}, {HPGL_LB, "LBx\x03"}}},
        {"terminator cut off", "PU;DT*", {{HPGL_PU, "PU;"}}},
        {"unsigned integer cut off", "SP2", {{HPGL_SP, "SP2;"}}},
        {"empty data", "", {}},
        {"single byte", "P", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(ReadAll(c.input), c.expected) << c.name;
}

TEST(HpglAnalyzer, LabelLengthAndEveryTerminatorByte)
{
    HpglAnalyzer analyzer{CStringA("LBABC\x03")};
    CStringA command;
    int labelLength = -1;
    ASSERT_EQ(analyzer.GetFirstCode(command, labelLength), HPGL_LB);
    EXPECT_EQ(labelLength, 4);

    for (int byte = 1; byte < 256; ++byte) {
        if (byte == ';') continue;  // "DT;" restores ETX
        std::string body(2, char(byte ^ 1));
        std::string text = std::string("DT") + char(byte) + ";LB" + body + char(byte) + body + char(byte);
        Commands got = ReadAll(text);
        ASSERT_EQ(got.size(), 2u) << byte;
        EXPECT_EQ(got[1].second, "LB" + body + char(byte)) << byte;
    }
}

TEST(HpglAnalyzer, ReadsParametersBackOutOfTheCommandText)
{
    CArray<float, float> values;
    EXPECT_EQ(HpglAnalyzer::GetFloatPair(CStringA("PU;"), values), 0);
    EXPECT_EQ(values.GetSize(), 0);
    EXPECT_EQ(HpglAnalyzer::GetFloatPair(CStringA("PD1.5,-2,3,.25;"), values), 1);
    ASSERT_EQ(values.GetSize(), 4);
    EXPECT_FLOAT_EQ(values[0], 1.5f);
    EXPECT_FLOAT_EQ(values[1], -2.0f);
    EXPECT_FLOAT_EQ(values[3], 0.25f);
    // A number without its partner is not handed on.
    values.RemoveAll();
    HpglAnalyzer::GetFloatPair(CStringA("PD1,2,3;"), values);
    EXPECT_EQ(values.GetSize(), 2);

    values.RemoveAll();
    EXPECT_EQ(HpglAnalyzer::GetFloatParam(CStringA("AA100,100,90;"), values), 3);
    EXPECT_FLOAT_EQ(values[2], 90.0f);
    EXPECT_EQ(HpglAnalyzer::GetFloatParam(CStringA("LT;"), values), 0);

    float a = 0, b = 0;
    EXPECT_EQ(HpglAnalyzer::GetLastPair(CStringA("PU1,2,3,4;"), a, b), 1);
    EXPECT_FLOAT_EQ(a, 3.0f);
    EXPECT_FLOAT_EQ(b, 4.0f);
    EXPECT_EQ(HpglAnalyzer::GetLastPair(CStringA("SI0.2,0.3;"), a, b), 1);
    EXPECT_FLOAT_EQ(a, 0.2f);
    EXPECT_FLOAT_EQ(b, 0.3f);
    EXPECT_EQ(HpglAnalyzer::GetLastPair(CStringA("SL5;"), a, b), 0);
    EXPECT_EQ(HpglAnalyzer::GetLastPair(CStringA("PU;"), a, b), 0);

    // Numbers too large for a float become infinities instead of overflowing.
    values.RemoveAll();
    HpglAnalyzer::GetFloatPair(CStringA("PD" + std::string(60, '9') + ",1;"), values);
    EXPECT_TRUE(std::isinf(values[0]));
}

TEST(HpglAnalyzer, ReadsPointDecimalsWhateverTheProcessLocale)
{
    corvane_test::ScopedCommaDecimalLocale comma;
    if (!comma.Active()) GTEST_SKIP() << "no comma-decimal locale can be made here";
    CArray<float, float> values;
    EXPECT_EQ(HpglAnalyzer::GetFloatPair(CStringA("PD1.5,-2.25;"), values), 1);
    ASSERT_EQ(values.GetSize(), 2);
    EXPECT_FLOAT_EQ(values[0], 1.5f);
    EXPECT_FLOAT_EQ(values[1], -2.25f);
}

TEST(HpglAnalyzer, LoadsFilesAndRefusesWhatIsNoFile)
{
    std::string path = corvane_test::ScratchDir() + "job 任务.plt";
    ASSERT_TRUE(corvane_test::WriteFile(path, "IN;PU0,0;PD10,10;"));
    HpglAnalyzer analyzer;
    ASSERT_EQ(analyzer.LoadHpglFile(CString::FromUtf8(path)), HpglAnalyzer::kLoadOk);
    EXPECT_EQ(analyzer.GetLength(), 17);
    CStringA command;
    int labelLength = 0;
    EXPECT_EQ(analyzer.GetFirstCode(command, labelLength), HPGL_IN);

    // Copies are deep: each reads its own buffer, and destroying one leaves the other whole.
    auto* copy = new HpglAnalyzer(analyzer);
    HpglAnalyzer assigned;
    assigned = *copy;
    EXPECT_NE(copy->GetData(), analyzer.GetData());
    delete copy;
    EXPECT_EQ(assigned.GetFirstCode(command, labelLength), HPGL_IN);
    EXPECT_EQ(assigned.GetNextCode(command, labelLength), HPGL_PU);

    // A loaded file's buffer follows the same rules as any other: it grows on append and
    // shrinks to 512 bytes at least.
    EXPECT_EQ(analyzer.GetCapacity(), 18);
    ASSERT_EQ(analyzer.AppendData(reinterpret_cast<const unsigned char*>("PU;"), 3), 1);
    EXPECT_EQ(analyzer.GetLength(), 20);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(analyzer.GetData()), 20), "IN;PU0,0;PD10,10;PU;");
    EXPECT_EQ(analyzer.FreeUnusedMem(), 1);
    EXPECT_EQ(analyzer.GetCapacity(), 512);
    HpglAnalyzer shrunk;
    ASSERT_EQ(shrunk.LoadHpglFile(CString::FromUtf8(path)), HpglAnalyzer::kLoadOk);
    EXPECT_EQ(shrunk.FreeUnusedMem(), 1);
    EXPECT_EQ(shrunk.GetCapacity(), 18);  // below 512 bytes: kept
    EXPECT_EQ(shrunk.GetFirstCode(command, labelLength), HPGL_IN);

    EXPECT_EQ(analyzer.LoadHpglFile(CString::FromUtf8(corvane_test::ScratchDir() + "missing.plt")), HpglAnalyzer::kLoadFailed);
    EXPECT_EQ(analyzer.GetLength(), 0);
    EXPECT_EQ(analyzer.GetFirstCode(command, labelLength), HPGL_END_OF_DATA);
    EXPECT_EQ(analyzer.LoadHpglFile(CString::FromUtf8(corvane_test::ScratchDir())), HpglAnalyzer::kLoadFailed);
    EXPECT_EQ(analyzer.LoadHpglFile(nullptr), HpglAnalyzer::kLoadFailed);
}

TEST(HpglAnalyzer, RefusesFilesOf2GiBAndMore)
{
    // A sparse file: its length is 2 GiB but it takes no disk space.
    std::string path = corvane_test::ScratchDir() + "huge.plt";
    ASSERT_TRUE(corvane_test::WriteFile(path, "IN;"));
    ASSERT_EQ(truncate(path.c_str(), int64_t{1} << 31), 0);
    HpglAnalyzer analyzer{CStringA("PU;")};
    EXPECT_EQ(analyzer.LoadHpglFile(CString::FromUtf8(path)), HpglAnalyzer::kLoadFailed);
    EXPECT_EQ(analyzer.GetLength(), 0);

    // Appending past the limit is refused the same way, and the data is kept.
    HpglAnalyzer appended;
    const unsigned char byte = 'x';
    ASSERT_EQ(appended.AppendData(&byte, 1), 1);
    EXPECT_EQ(appended.AppendData(&byte, 2147483647), 0);
    EXPECT_EQ(appended.GetLength(), 1);
}

TEST(HpglAnalyzer, BuffersGrowGeometricallyAndShrinkOnRequest)
{
    HpglAnalyzer analyzer;
    std::string piece(100, 'x');
    int reallocations = 0;
    int32_t capacity = 0;
    for (int i = 0; i < 10000; ++i) {
        ASSERT_EQ(analyzer.AppendData(reinterpret_cast<const unsigned char*>(piece.data()), 100), 1);
        if (analyzer.GetCapacity() != capacity) ++reallocations;
        capacity = analyzer.GetCapacity();
    }
    EXPECT_EQ(analyzer.GetLength(), 1000000);
    EXPECT_LT(reallocations, 20);

    HpglAnalyzer small{CStringA("PU;")};
    small.AppendData(reinterpret_cast<const unsigned char*>(piece.data()), 100);
    EXPECT_EQ(small.FreeUnusedMem(), 1);
    EXPECT_EQ(small.GetCapacity(), 512);
    EXPECT_EQ(small.GetLength(), 103);

    // An attached buffer is read in place and never freed or changed by the analyzer.
    unsigned char mine[] = {'P', 'U', '1', ',', '2', ';'};
    HpglAnalyzer attached;
    attached.AttachData(mine, 6);
    EXPECT_EQ(attached.GetData(), mine);
    CStringA command;
    int labelLength = 0;
    EXPECT_EQ(attached.GetFirstCode(command, labelLength), HPGL_PU);
    EXPECT_EQ(command.str(), "PU1,2;");
    attached.AppendData(reinterpret_cast<const unsigned char*>("PD;"), 3);
    EXPECT_NE(attached.GetData(), mine);
    attached.DetchData();
    EXPECT_EQ(attached.GetLength(), 0);
    EXPECT_EQ(mine[0], 'P');
}

// Exposes the tail compaction that the streamed explainer does after each piece.
class PieceReader : public HpglAnalyzer {
public:
    // Feeds one piece and returns the complete commands it finished.
    Commands Feed(const std::string& piece, bool capture = false)
    {
        AppendData(reinterpret_cast<const unsigned char*>(piece.data()), static_cast<int>(piece.size()));
        Commands out;
        CStringA command;
        int labelLength = 0;
        int code = capture ? GetFirstCodeForCOMCap(command, labelLength) : GetFirstCodeForCOM(command, labelLength);
        while (GetLastParseResult() != kParseIncomplete) {
            out.emplace_back(code, command.str());
            code = capture ? GetNextCodeForCOMCap(command, labelLength) : GetNextCodeForCOM(command, labelLength);
        }
        MoveTailToFront();
        return out;
    }
};

TEST(HpglAnalyzer, PiecesHoldBackWhatTheirEndCutOff)
{
    PieceReader reader;
    EXPECT_EQ(reader.Feed("IN;S"), (Commands{{HPGL_IN, "IN;"}}));
    EXPECT_EQ(reader.GetLength(), 1);  // the "S" may begin a mnemonic
    EXPECT_EQ(reader.Feed("P2"), Commands{});
    EXPECT_EQ(reader.Feed(";LBab"), (Commands{{HPGL_SP, "SP2;"}}));
    EXPECT_EQ(reader.Feed("c"), Commands{});
    EXPECT_EQ(reader.Feed("\x03PU;D"), (Commands{{HPGL_LB, "LBabc\x03"}, {HPGL_PU, "PU;"}}));
    EXPECT_EQ(reader.Feed("5,5;PI3;"), (Commands{{HPGL_PD, "PD5,5;"}, {HPGL_PI, "PI3;"}}));
    EXPECT_EQ(reader.GetLength(), 0);

    // The complete pairs of a long run are handed on at once; the run goes on in the next piece.
    EXPECT_EQ(reader.Feed("PD1,2,3,"), (Commands{{HPGL_PD, "PD1,2;"}}));
    EXPECT_EQ(reader.Feed("4,5"), (Commands{{HPGL_PD, "PD3,4;"}}));
    EXPECT_EQ(reader.Feed(",6;SP1;"), (Commands{{HPGL_PD, "PD5,6;"}, {HPGL_SP, "SP1;"}}));
}

TEST(HpglAnalyzer, CaptureInputMarksFilesByByteRuns)
{
    PieceReader reader;
    std::string start(8, '\x01');
    std::string end(10, '\x00');
    EXPECT_EQ(reader.Feed(std::string("\x01\x01\x01", 3) + "pd1,1;", true), Commands{});
    EXPECT_EQ(reader.Feed(start + std::string("PD1,1;D2,2;DX;D;PI3;\x00\x00;", 23), true),
              (Commands{{HPGL_RUN_OF_01, ";"}, {HPGL_PD, "PD1,1;"}, {HPGL_PD, "PD2,2;"}, {HPGL_PD, "PD;"}}));
    EXPECT_EQ(reader.Feed(end.substr(0, 5), true), Commands{});
    EXPECT_EQ(reader.Feed(end.substr(5), true), (Commands{{HPGL_RUN_OF_00, ";"}}));
    // A marker whose first byte alone ends a piece is still found.
    EXPECT_EQ(reader.Feed(start.substr(0, 1), true), Commands{});
    EXPECT_EQ(reader.Feed(start.substr(1) + "PU;", true), (Commands{{HPGL_RUN_OF_01, ";"}, {HPGL_PU, "PU;"}}));
    EXPECT_EQ(reader.Feed("PD;" + end.substr(0, 1), true), (Commands{{HPGL_PD, "PD;"}}));
    EXPECT_EQ(reader.Feed(end.substr(1), true), (Commands{{HPGL_RUN_OF_00, ";"}}));
}

TEST(HpglAnalyzer, HostileDataEndsQuicklyAndSafely)
{
    // Binary garbage, read whole and in pieces.
    std::string garbage;
    uint32_t seed = 12345;
    for (int i = 0; i < 2000000; ++i) {
        seed = seed * 1664525u + 1013904223u;
        garbage += static_cast<char>(seed >> 24);
    }
    EXPECT_GT(ReadAll(garbage).size(), 0u);
    PieceReader pieces;
    for (size_t at = 0; at < garbage.size(); at += 4096) pieces.Feed(garbage.substr(at, 4096));

    // Ten megabytes without a single ";": one run of pairs, a label without terminator and
    // a number without end, each arriving in pieces.
    std::string pairs = "PD";
    while (pairs.size() < 10000000) pairs += "1234,5678,";
    std::string label = "LB" + std::string(10000000, 'A');
    std::string digits = "SP" + std::string(10000000, '7');
    for (const std::string* text : {&pairs, &label, &digits}) {
        EXPECT_GE(ReadAll(*text).size(), 1u);
        PieceReader reader;
        size_t commands = 0;
        for (size_t at = 0; at < text->size(); at += 4096) commands += reader.Feed(text->substr(at, 4096)).size();
        if (text == &label) {
            // A label is kept whole until its terminator comes, but searched only once.
            EXPECT_EQ(reader.GetLength(), static_cast<int32_t>(label.size()));
        } else {
            EXPECT_LT(reader.GetLength(), 64 * 1024 + 4096 + 2) << text->substr(0, 2);
        }
        if (text == &pairs) {
            EXPECT_GT(commands, 1000u);
        }
    }
}

}  // namespace
