// Properties of compensation, smoothing and fitting over seeded random polylines.
#include "preprocess/path_analysis.h"
#include "random_polylines.h"

#include "plotmodel/plot_shape.h"
#include "plotmodel/plot_shape_list.h"
#include "plotmodel/shape_fixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <numbers>

using namespace plot_fixtures;
using namespace preprocess_fixtures;

namespace {

constexpr int kRounds = 40;
constexpr int kShapesPerRound = 12;

bool Finite(const PlotShape& s)
{
    for (const Pt& p : AllPoints(s))
        if (!std::isfinite(p.x) || !std::isfinite(p.y)) return false;
    return true;
}

void ExpectSameAttributes(const PlotShape& piece, const PlotShape& source)
{
    EXPECT_EQ(piece.GetLineType(), source.GetLineType());
    EXPECT_EQ(piece.GetPenIndex(), source.GetPenIndex());
    EXPECT_EQ(piece.GetRecIndex(), source.GetRecIndex());
    EXPECT_EQ(piece.GetMauIndex(), source.GetMauIndex());
    EXPECT_EQ(piece.GetPatternIndex(), source.GetPatternIndex());
}

TEST(PreprocessProperties, KnifeCompensationStaysNearItsSourceInOrder)
{
    const float offsets[] = {0, 0.5f, 20, 40};
    const float overCuts[] = {0, 0.5f, 1};
    for (int round = 0; round < kRounds; ++round) {
        RandomPolylines gen(1000 + round);
        float a = offsets[gen.Int(0, 3)], b = overCuts[gen.Int(0, 2)], c = overCuts[gen.Int(0, 2)];
        PlotShapeList list;
        std::map<unsigned, std::unique_ptr<PlotShape>> sources;
        for (unsigned k = 0; k < kShapesPerRound; ++k) {
            PlotShape* s = gen.Shape(k);
            sources[k].reset(s->NewCopy());
            list.AddTail(s);
        }
        list.ProKnifeCompensate(a, b, c);
        SCOPED_TRACE(::testing::Message() << "seed " << 1000 + round << " a " << a << " b " << b << " c " << c);

        auto pieces = Shapes(list);
        const double bound = a + 40 * std::max(b, c) + 1;
        unsigned lastTag = 0;
        std::map<unsigned, int> cutPieces;
        std::vector<PlotShape*> turns;
        for (PlotShape* piece : pieces) {
            EXPECT_TRUE(Finite(*piece));
            EXPECT_EQ(piece->GetPlNum(), 1);
            if (piece->GetMauIndex() == CutModeIndex::kFourthDepth) {
                turns.push_back(piece);
                continue;
            }
            unsigned tag = piece->GetPatternIndex();
            ASSERT_TRUE(sources.count(tag));
            EXPECT_GE(tag, lastTag) << "pieces in source order";
            lastTag = tag;
            ++cutPieces[tag];
            const PlotShape& source = *sources[tag];
            ExpectSameAttributes(*piece, source);
            // Turning pieces belong to the cut piece after them.
            turns.push_back(piece);
            for (PlotShape* p : turns)
                for (const Pt& q : AllPoints(*p)) EXPECT_LE(DistanceToShape(q, source), bound) << q;
            turns.clear();
        }
        EXPECT_TRUE(turns.empty()) << "every shape ends with a cut piece";
        for (auto& [tag, source] : sources)
            if (source->GetTolPtNum() > 0) {
                EXPECT_GT(cutPieces[tag], 0) << "shape " << tag << " left no piece";
            }
    }
}

// True when sub is made of points of line in their order.
bool IsSubsequence(const Polyline& sub, const Polyline& line)
{
    size_t k = 0;
    for (const Pt& p : line)
        if (k < sub.size() && sub[k] == p) ++k;
    return k == sub.size();
}

TEST(PreprocessProperties, SmoothingKeepsSourcePointsInOrder)
{
    for (int round = 0; round < kRounds; ++round) {
        RandomPolylines gen(2000 + round);
        std::unique_ptr<PlotShape> s(gen.Shape(0));
        PlotShapeList out;
        s->Slick_new(out);
        auto smoothed = Shapes(out);
        auto sources = Polylines(*s);
        ASSERT_EQ(smoothed.size(), sources.size());
        for (size_t k = 0; k < smoothed.size(); ++k) {
            EXPECT_TRUE(Finite(*smoothed[k]));
            ExpectSameAttributes(*smoothed[k], *s);
            Polyline pts = AllPoints(*smoothed[k]);
            EXPECT_TRUE(IsSubsequence(pts, sources[k])) << "seed " << 2000 + round;
            if (!sources[k].empty()) {
                EXPECT_EQ(pts.front(), sources[k].front());
                EXPECT_EQ(pts.back(), sources[k].back());
            }
        }
    }
}

TEST(PreprocessProperties, FittedPiecesJoinAndStayInTheSourceBox)
{
    for (int round = 0; round < kRounds; ++round) {
        RandomPolylines gen(3000 + round);
        std::unique_ptr<PlotShape> s(gen.Shape(0, 1));
        s->DeleteRepeatPoint();
        PlotShapeList out;
        BsplineFit(s.get(), &out);
        OL_Box box;
        s->CalBox(box);
        auto pieces = Shapes(out);
        ASSERT_FALSE(pieces.empty());
        for (size_t k = 0; k < pieces.size(); ++k) {
            EXPECT_TRUE(Finite(*pieces[k]));
            ExpectSameAttributes(*pieces[k], *s);
            for (const Pt& p : AllPoints(*pieces[k])) {
                EXPECT_GE(p.x, box.xmin - 0.01);
                EXPECT_LE(p.x, box.xmax + 0.01);
                EXPECT_GE(p.y, box.ymin - 0.01);
                EXPECT_LE(p.y, box.ymax + 0.01);
            }
            if (k > 0) {
                Pt end = AllPoints(*pieces[k - 1]).back(), start = AllPoints(*pieces[k]).front();
                EXPECT_NEAR(end.x, start.x, 0.01) << "seed " << 3000 + round << " piece " << k;
                EXPECT_NEAR(end.y, start.y, 0.01);
            }
        }
        EXPECT_EQ(AllPoints(*pieces.front()).front(), AllPoints(*s).front());
    }
}

// The sub-polylines of s without repeated points (the variants pass over them), empty ones dropped.
std::vector<Polyline> DistinctLines(const PlotShape& s)
{
    std::vector<Polyline> lines;
    for (const Polyline& line : Polylines(s)) {
        Polyline distinct;
        for (const Pt& p : line)
            if (distinct.empty() || !(distinct.back() == p)) distinct.push_back(p);
        if (!distinct.empty()) lines.push_back(distinct);
    }
    return lines;
}

void ExpectInBox(const PlotShape& piece, const OL_Box& box)
{
    for (const Pt& p : AllPoints(piece)) {
        EXPECT_GE(p.x, box.xmin - 0.01);
        EXPECT_LE(p.x, box.xmax + 0.01);
        EXPECT_GE(p.y, box.ymin - 0.01);
        EXPECT_LE(p.y, box.ymax + 0.01);
    }
}

using CompensationForm = std::function<void(PlotShape&, PlotShapeList&, float, CFloatPoint&)>;

TEST(PreprocessProperties, EarlierCompensationFormsStayWithinTheOffset)
{
    const float offsets[] = {0, 0.5f, 20, 40};
    const std::pair<const char*, CompensationForm> forms[] = {
        {"WnifeCompensate", [](PlotShape& s, PlotShapeList& o, float a, CFloatPoint& d) { s.WnifeCompensate(o, a, d); }},
        {"WnifeCompensate_cut", [](PlotShape& s, PlotShapeList& o, float a, CFloatPoint& d) { s.WnifeCompensate_cut(o, a, d); }},
        {"WnifeCompensate_cut1", [](PlotShape& s, PlotShapeList& o, float a, CFloatPoint& d) { s.WnifeCompensate_cut1(o, a, d); }},
        {"WnifeCompensate_cut2", [](PlotShape& s, PlotShapeList& o, float a, CFloatPoint& d) { s.WnifeCompensate_cut2(o, a, d); }},
        {"KnifeCompensate_cut3", [](PlotShape& s, PlotShapeList& o, float a, CFloatPoint& d) { s.KnifeCompensate_cut3(o, a, d); }},
    };
    for (int round = 0; round < kRounds; ++round) {
        RandomPolylines gen(4000 + round);
        std::unique_ptr<PlotShape> s(gen.Shape(0));
        const float a = offsets[gen.Int(0, 3)];
        for (const auto& [name, form] : forms) {
            SCOPED_TRACE(::testing::Message() << name << " seed " << 4000 + round << " a " << a);
            std::unique_ptr<PlotShape> source(s->NewCopy());
            PlotShapeList out;
            CFloatPoint dir(1, 0);
            form(*source, out, a, dir);
            EXPECT_TRUE(std::isfinite(dir.x) && std::isfinite(dir.y));
            int cutPieces = 0;
            for (PlotShape* piece : Shapes(out)) {
                EXPECT_TRUE(Finite(*piece));
                if (piece->GetMauIndex() != CutModeIndex::kFourthDepth) {
                    ExpectSameAttributes(*piece, *s);
                    ++cutPieces;
                }
                for (const Pt& q : AllPoints(*piece)) EXPECT_LE(DistanceToShape(q, *s), a + 1) << q;
            }
            EXPECT_GE(cutPieces, static_cast<int>(DistinctLines(*s).size())) << "every sub-polyline leaves a cut";
        }
    }
}

using SmoothPass = void (PlotShape::*)(PlotShape&) const;

TEST(PreprocessProperties, EarlierSmoothingKeepsSourcePointsInOrder)
{
    const std::pair<const char*, SmoothPass> passes[] = {{"Slick", &PlotShape::Slick}, {"Slick1", &PlotShape::Slick1}, {"Slick2", &PlotShape::Slick2}};
    for (int round = 0; round < kRounds; ++round) {
        RandomPolylines gen(5000 + round);
        std::unique_ptr<PlotShape> s(gen.Shape(0));
        auto sources = DistinctLines(*s);
        for (const auto& [name, pass] : passes) {
            SCOPED_TRACE(::testing::Message() << name << " seed " << 5000 + round);
            PlotShape out;
            ((*s).*pass)(out);
            EXPECT_TRUE(Finite(out));
            ExpectSameAttributes(out, *s);
            auto lines = Polylines(out);
            ASSERT_EQ(lines.size(), sources.size());
            for (size_t k = 0; k < lines.size(); ++k) {
                EXPECT_TRUE(IsSubsequence(lines[k], sources[k]));
                EXPECT_EQ(lines[k].front(), sources[k].front());
                EXPECT_EQ(lines[k].back(), sources[k].back());
            }
        }
    }
}

TEST(PreprocessProperties, RebuildsStayInTheSourceBoxAndCoverEverySubPolyline)
{
    const float tan20 = static_cast<float>(std::tan(20 * std::numbers::pi / 180));
    for (int round = 0; round < kRounds; ++round) {
        RandomPolylines gen(6000 + round);
        std::unique_ptr<PlotShape> s(gen.Shape(0));
        SCOPED_TRACE(::testing::Message() << "seed " << 6000 + round);
        OL_Box box;
        s->CalBox(box);

        // The list form: each sub-polyline's pieces run from its first point to its last.
        std::unique_ptr<PlotShape> copy(s->NewCopy());
        PlotShapeList out;
        copy->Rebuild(out);
        auto pieces = Shapes(out);
        size_t k = 0;
        for (const Polyline& line : Polylines(*copy)) {
            if (line.empty()) continue;
            ASSERT_LT(k, pieces.size());
            EXPECT_EQ(AllPoints(*pieces[k]).front(), line.front());
            Pt end = AllPoints(*pieces[k]).back();
            while (++k < pieces.size() && line.size() > 1 && AllPoints(*pieces[k]).front() == end && !(end == line.back()))
                end = AllPoints(*pieces[k]).back();
            EXPECT_EQ(end, line.back());
        }
        EXPECT_EQ(k, pieces.size());
        for (PlotShape* piece : pieces) {
            EXPECT_TRUE(Finite(*piece));
            ExpectSameAttributes(*piece, *s);
            ExpectInBox(*piece, box);
        }

        // The smoothing rebuild and the two array forms.
        std::unique_ptr<PlotShape> rebuilt(s->Rebuild(1, 100, tan20, tan20));
        EXPECT_TRUE(Finite(*rebuilt));
        ExpectSameAttributes(*rebuilt, *s);
        ExpectInBox(*rebuilt, box);
        for (const Polyline& line : DistinctLines(*s)) {
            std::vector<float> xy;
            for (const Pt& p : line) xy.insert(xy.end(), {p.x, p.y});
            const int n = static_cast<int>(line.size());
            PlotShape byArray, byRebuild;
            EXPECT_GT(PlotShape::Rebuild(n, xy.data(), byArray), 0);
            EXPECT_GT(byRebuild.RebuildBy(n, xy.data(), 1, 100), 0);
            for (const PlotShape* r : {&byArray, &byRebuild}) {
                EXPECT_TRUE(Finite(*r));
                ExpectInBox(*r, box);
                EXPECT_EQ(AllPoints(*r).front(), line.front());
            }
            EXPECT_EQ(AllPoints(byRebuild).back(), line.back());
        }
    }
}

TEST(PreprocessProperties, SectionsAndBreaksWalkThePolylineToItsEnd)
{
    for (int round = 0; round < kRounds; ++round) {
        RandomPolylines gen(7000 + round);
        std::unique_ptr<PlotShape> s(gen.Shape(0, 1));
        int32_t n = 0;
        float* p = s->GetPl(0, n);
        SCOPED_TRACE(::testing::Message() << "seed " << 7000 + round);
        CPathAnalysis a;
        a.SetCrv(p, n);
        PlotShapeList out;
        a.GetSectPoint(&out);
        auto sections = Shapes(out);
        if (n < 2) {
            EXPECT_TRUE(sections.empty());
            continue;
        }
        ASSERT_FALSE(sections.empty());
        EXPECT_EQ(AllPoints(*sections.front()).front(), (Pt{p[0], p[1]}));
        EXPECT_EQ(AllPoints(*sections.back()).back(), (Pt{p[2 * n - 2], p[2 * n - 1]}));
        for (size_t k = 1; k < sections.size(); ++k) EXPECT_EQ(AllPoints(*sections[k]).front(), AllPoints(*sections[k - 1]).back());
        int last = 0;
        for (int e; (e = a.GetNextBreakPoint(last)) > 0; last = e) EXPECT_GT(e, last);
        EXPECT_EQ(last, n - 1);
    }
}

}  // namespace
