// Properties of compensation, smoothing and fitting over seeded random polylines.
#include "preprocess/path_analysis.h"
#include "random_polylines.h"

#include "plotmodel/plot_shape.h"
#include "plotmodel/plot_shape_list.h"
#include "plotmodel/shape_fixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

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

}  // namespace
