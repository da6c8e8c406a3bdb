// A corpus of generated HPGL files whose shape lists are pinned by hash: both explainers,
// whole files (from memory and from disk) and streamed in pieces, must keep giving exactly
// the shapes, attributes and float bits they give now while the reading is made faster.
#include "hpgl/hpgl_explainer.h"
#include "hpgl/hpgl_stream_explainer.h"

#include "fonts/plot_font_lib.h"
#include "platform/settings_store.h"
#include "support/shx_font_writer.h"
#include "support/test_environment.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

// FNV-1a over the bytes of every value fed to it.
struct Fnv {
    uint64_t h = 14695981039346656037ull;
    template <class T>
    void Add(const T& v)
    {
        unsigned char bytes[sizeof(T)];
        std::memcpy(bytes, &v, sizeof(T));
        for (unsigned char b : bytes) h = (h ^ b) * 1099511628211ull;
    }
};

void AddArea(Fnv& f, const CArea& a)
{
    f.Add(a.xmin);
    f.Add(a.ymin);
    f.Add(a.xmax);
    f.Add(a.ymax);
}

// The hash of a list: its box, then per shape its attributes, box, sub-polyline counts and
// the bits of every coordinate.
uint64_t HashOf(const PlotShapeList& list)
{
    Fnv f;
    f.Add(list.Count());
    AddArea(f, list.GetArea());
    for (PlotShape* s = list.HeadShape(); s; s = list.ShapeAfter(s)) {
        f.Add(s->GetPenIndex());
        f.Add(s->GetLineType());
        f.Add(s->GetPatternIndex());
        f.Add(s->GetRecIndex());
        f.Add(s->GetMauIndex());
        f.Add(s->GetFloatValue());
        AddArea(f, s->GetArea());
        f.Add(s->GetPlNum());
        f.Add(s->GetTolPtNum());
        for (int pl = 0; pl < s->GetPlNum(); ++pl) {
            int32_t count = 0;
            const float* p = s->GetPl(pl, count);
            f.Add(count);
            for (int32_t i = 0; i < 2 * count; ++i) f.Add(p[i]);
        }
    }
    return f.h;
}

// A seeded generator of the numbers in the files.
struct Numbers {
    uint32_t seed;
    uint32_t Next(uint32_t range)
    {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) % range;
    }
    std::string Int(uint32_t range) { return std::to_string(Next(range)); }
    std::string Signed(uint32_t range) { return (Next(2) ? "-" : "") + Int(range); }
    std::string Decimal(uint32_t range) { return Signed(range) + "." + Int(1000); }
};

std::string LongRuns()
{
    Numbers n{1};
    std::string out = "IN;SP1;";
    for (int run = 0; run < 60; ++run) {
        if (run % 7 == 0) out += "SP" + n.Int(9) + ";";
        const std::string x0 = n.Int(40000), y0 = n.Int(40000);
        out += "PU" + x0 + "," + y0 + ";PD";
        for (int i = 0; i < 63; ++i) out += n.Int(40000) + "," + n.Int(40000) + ",";
        out += x0 + "," + y0 + ";";
    }
    return out;
}

std::string ShortShapes()
{
    Numbers n{2};
    std::string out = "IN;SP2;";
    for (int i = 0; i < 800; ++i) {
        if (i % 50 == 0) out += "SP" + n.Int(8) + ";";
        if (i % 97 == 0) out += "LT" + n.Int(5) + ";PI" + n.Int(4) + ";";
        out += "PU" + n.Int(40000) + "," + n.Int(40000) + ";PD" + n.Int(40000) + "," + n.Int(40000) + "," + n.Int(40000) +
               "," + n.Int(40000) + ";";
        if (i % 61 == 0) out += "PR;PD" + n.Signed(300) + "," + n.Signed(300) + ";PA;";
        if (i % 211 == 0) out += "PG;";
    }
    return out;
}

std::string ArcsAndCircles()
{
    Numbers n{3};
    std::string out = "IN;SP1;";
    for (int i = 0; i < 150; ++i) {
        out += "PU" + n.Int(40000) + "," + n.Int(40000) + ";";
        switch (i % 5) {
        case 0: out += "AA" + n.Int(40000) + "," + n.Int(40000) + "," + n.Signed(360) + ";"; break;
        case 1: out += "AR" + n.Decimal(800) + "," + n.Decimal(800) + "," + n.Decimal(720) + ";"; break;
        case 2: out += "CI" + n.Int(2000) + ";"; break;
        case 3: out += "CI" + n.Decimal(400) + "," + n.Int(30) + ";"; break;
        default: out += "PD" + n.Int(40000) + "," + n.Int(40000) + ";AR0,0,90;CI0;CI-5;PU;"; break;
        }
    }
    return out;
}

std::string Labels()
{
    Numbers n{4};
    std::string out = "IN;SP1;";
    for (int i = 0; i < 60; ++i) {
        out += "PU" + n.Int(40000) + "," + n.Int(40000) + ";";
        if (i % 3 == 0) out += "SI" + n.Decimal(2) + "," + n.Decimal(2) + ";";
        if (i % 4 == 0) out += "DI" + n.Signed(3) + "," + n.Signed(3) + ";";
        if (i % 5 == 0) out += "DT#;LBABBA#DT;";
        out += "LBABA\x03LB\x03LBBAB\x03";
    }
    return out;
}

std::string MalformedPairs()
{
    return "IN;SP1;PU0,0;PD100,200,300;PD1.5.5,7;PD1-2,3,4;PD,,5,6;PD+3,-.5,.,7;PD1e5,2,3E-2,4;"
           "PD99999999999,5,-0,7;PD3.40283e38,1,1,1;PD-999999999999999999999999999999999999999,1;"
           "PDnan,1,inf,2;PD12345678,87654321,16777217,3;PD0.1,0.2,0.30000001,1;PD 5 ,,, 6;"
           "PD1.,2.,.3,.4;PD-,+,3,4;SP;SP99999;SP-3;LT;LT1,2;PI;SI1;DI;AA1,2;CI;PU1;PU;PD1,2";
}

std::string Separators()
{
    return "in;sp1;pu 100 , 200 ;pd\t300\t,\t400\r\n, 500\n,600;PU 0 0;PD 10 20 30 40;"
           "PD1,2;PD3,4PD5,6;D700,800;U900,100;d50,60;u-5,-6;PD10 ,20;PA;PR 5,5 ;PR;PD5,5PA;"
           "PD100,100PU200,200PD300,300;\x1b.Y;ZZ;PD400,400,,500,500;PD 600 , , 700 ;"
           "PD1,2 ;PD3,4 , ;PD5\r\n6\t7 8;PU,1,2;PD;PU;PD+9,+9;";
}

struct CorpusFile {
    const char* name;
    std::string text;
    uint64_t second;    // HpglExplainer over an analyzer
    uint64_t whole;     // HpglStreamExplainer::Transform
    uint64_t streamed;  // HpglStreamExplainer fed in pieces
};

// The hashes the reading gave when the corpus was made; they must never change.
std::vector<CorpusFile> Corpus()
{
    return {
        {"long runs", LongRuns(),
         0x8370b2b5131f741bull, 0xa36aae26182d1e9bull, 0x705830449c0dbf12ull},
        {"short shapes", ShortShapes(),
         0x4c963b75591fa994ull, 0xf4a73785cb39b5dcull, 0x3d95b84a6756af3dull},
        {"arcs and circles", ArcsAndCircles(),
         0xddfb01ab7a2f478aull, 0xc17b81663204734dull, 0xad645fbb4b75c76cull},
        {"labels", Labels(),
         0x07510ff0e993e3b0ull, 0x232c72ed6b5c8a9aull, 0xa85a5064536a73b2ull},
        {"malformed pairs", MalformedPairs(),
         0xd4ab7e32ce0f7e21ull, 0x03cb8bc04b55df04ull, 0x57f86bec7a4049bcull},
        {"separators", Separators(),
         0x15ce6d406432cdc5ull, 0x66ea37fda5847299ull, 0x65143cc454d18ff4ull},
    };
}

// A font with two glyphs: "A" a hook, "B" an arc-like turn of short vectors.
void LoadCorpusFont()
{
    corvane_test::ShxFontDef font;
    font.kind = corvane_test::ShxFontKind::Bigfont;
    font.glyphs = {{0xA3C1, corvane_test::ShxCode({0x20, 0x24, 0x1A}), ""},
                   {0xA3C2, corvane_test::ShxCode({0x14, 0x12, 0x10, 0x1E, 0x1C}), ""}};
    ASSERT_TRUE(corvane_test::WriteShxFont(corvane_test::ProgramDir() + "fshz.fnt", font));
    PlotFontLib::LoadGlobalFontLib();
    ASSERT_EQ(PlotFontLib::GetGlobalFontLib()->GetCount(), 2);
}

struct CorpusFont {
    CorpusFont()
    {
        LoadCorpusFont();
        WriteProfileFloat(u"AutoPrint Settings", u"TextScale", 1.25f);
    }
    ~CorpusFont()
    {
        std::remove((corvane_test::ProgramDir() + "fshz.fnt").c_str());
        PlotFontLib::LoadGlobalFontLib();
    }
};

uint64_t SecondExplainerHash(HpglAnalyzer& analyzer)
{
    HpglExplainer explainer(analyzer);
    PlotShapeList list;
    explainer.Transform(list);
    return HashOf(list);
}

uint64_t SecondExplainerHash(const std::string& text)
{
    HpglAnalyzer analyzer{CStringA(text.c_str())};
    return SecondExplainerHash(analyzer);
}

uint64_t SecondExplainerFromFileHash(const std::string& path)
{
    HpglAnalyzer analyzer;
    if (analyzer.LoadHpglFile(CString::FromUtf8(path)) != HpglAnalyzer::kLoadOk) return 0;
    return SecondExplainerHash(analyzer);
}

uint64_t WholeFromFileHash(const std::string& path)
{
    HpglStreamExplainer explainer;
    if (explainer.LoadHpglFile(CString::FromUtf8(path)) != HpglAnalyzer::kLoadOk) return 0;
    PlotShapeList list;
    explainer.Transform(list);
    return HashOf(list);
}

uint64_t WholeFromMemoryHash(const std::string& text)
{
    HpglStreamExplainer explainer;
    explainer.AppendData(reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
    PlotShapeList list;
    explainer.Transform(list);
    return HashOf(list);
}

// Feeds "IN;" + text + "IN;" in pieces of the sizes chosen by the seed (0: 4 KiB pieces).
uint64_t StreamedHash(const std::string& text, uint32_t seed)
{
    std::string stream = "IN;" + text + "IN;";
    std::mt19937 random(seed);
    HpglStreamExplainer explainer;
    for (size_t at = 0; at < stream.size();) {
        size_t n = seed == 0 ? 4096 : 1 + random() % (seed % 2 ? 5 : 300);
        n = std::min(n, stream.size() - at);
        explainer.ExplainerForCOM(reinterpret_cast<unsigned char*>(stream.data() + at), static_cast<int>(n));
        at += n;
    }
    PlotShapeList list;
    while (explainer.OutGetData()) {
        explainer.Out(list);
        if (explainer.OutGetState() == HpglStreamExplainer::kFileComplete) explainer.OutStartNewFile();
        else break;
    }
    return HashOf(list);
}

TEST(HpglCorpus, ShapeListsKeepTheirHashes)
{
    CorpusFont font;
    for (const CorpusFile& file : Corpus()) {
        const std::string path = corvane_test::ScratchDir() + "corpus.plt";
        ASSERT_TRUE(corvane_test::WriteFile(path, file.text));
        const uint64_t whole = WholeFromMemoryHash(file.text);
        EXPECT_EQ(SecondExplainerHash(file.text), file.second) << file.name;
        EXPECT_EQ(SecondExplainerFromFileHash(path), file.second) << file.name;
        EXPECT_EQ(whole, file.whole) << file.name;
        EXPECT_EQ(WholeFromFileHash(path), whole) << file.name;
        for (uint32_t seed : {0u, 1u, 2u, 7u, 8u})
            EXPECT_EQ(StreamedHash(file.text, seed), file.streamed) << file.name << ", split seed " << seed;
    }
}

// A load gives the file's text back to the system while it is read: a file of several
// release steps must still give exactly the shapes of its text read from memory, and the
// explainer holds no text afterwards.
TEST(HpglCorpus, ALargeLoadedFileGivesTheShapesOfItsText)
{
    CorpusFont font;
    std::string text;
    while (text.size() < (3u << 20))
        for (const CorpusFile& file : Corpus()) text += file.text;
    const std::string path = corvane_test::ScratchDir() + "large.plt";
    ASSERT_TRUE(corvane_test::WriteFile(path, text));
    HpglStreamExplainer explainer;
    ASSERT_EQ(explainer.LoadHpglFile(CString::FromUtf8(path)), HpglAnalyzer::kLoadOk);
    EXPECT_EQ(explainer.GetLength(), static_cast<int32_t>(text.size()));
    PlotShapeList list;
    explainer.Transform(list);
    EXPECT_GT(list.Count(), 0);
    EXPECT_EQ(HashOf(list), WholeFromMemoryHash(text));
    EXPECT_EQ(explainer.GetLength(), 0);
    EXPECT_EQ(explainer.GetData(), nullptr);
}

}  // namespace
