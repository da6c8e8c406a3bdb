// Sheet packing: the skyline slots and merges, the width sort, the fitness and the genetic search.
#include "preprocess/sheet_packing.h"
#include "preprocess/sort_rect_genetic_algorithm.h"

#include "plotmodel/shape_fixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <vector>

namespace {

using plot_fixtures::NewShape;

struct Box {
    int32_t w;
    int32_t h;
};

// Lists of one rectangle each, w x h plotter units from the origin, with their bounds.
class Boxes {
public:
    explicit Boxes(const std::vector<Box>& boxes)
    {
        for (const Box& b : boxes) {
            auto list = std::make_unique<PlotShapeList>();
            const float w = static_cast<float>(b.w);
            const float h = static_cast<float>(b.h);
            list->AddTail(NewShape({{0, 0}, {w, 0}, {w, h}, {0, h}, {0, 0}}));
            list->CalArea(1);
            pointers_.push_back(list.get());
            owned_.push_back(std::move(list));
        }
    }
    PlotShapeList** Lists() { return pointers_.data(); }
    int Count() const { return static_cast<int>(pointers_.size()); }
    PlotShapeList* operator[](size_t k) const { return owned_[k].get(); }
    // Where box k lies now (its cached bounds follow every move).
    CPoint Corner(size_t k) const { return owned_[k]->GetArea().PtMinxMiny(); }

private:
    std::vector<std::unique_ptr<PlotShapeList>> owned_;
    std::vector<PlotShapeList*> pointers_;
};

std::vector<std::vector<int32_t>> Segments(const CArray<HorizontalLine>& skyline)
{
    std::vector<std::vector<int32_t>> out;
    for (const HorizontalLine& s : skyline) {
        EXPECT_EQ(s.level, s.level2);
        out.push_back({s.level, s.from, s.to});
    }
    return out;
}

CArray<int32_t> Genes(std::initializer_list<int32_t> genes)
{
    CArray<int32_t> out;
    for (int32_t g : genes) out.Add(g);
    return out;
}

std::vector<int32_t> AsVector(const CArray<int32_t>& a) { return {a.begin(), a.end()}; }

bool IsPermutation(const CArray<int32_t>& genes)
{
    std::vector<int32_t> sorted = AsVector(genes);
    std::sort(sorted.begin(), sorted.end());
    for (size_t k = 0; k < sorted.size(); ++k)
        if (sorted[k] != static_cast<int32_t>(k)) return false;
    return true;
}

// No two placed boxes overlap.
void ExpectDisjoint(const Boxes& boxes)
{
    for (int k = 0; k < boxes.Count(); ++k) {
        const CArea& a = boxes[k]->GetArea();
        for (int m = k + 1; m < boxes.Count(); ++m) {
            const CArea& b = boxes[m]->GetArea();
            const bool apart = a.xmax <= b.xmin || b.xmax <= a.xmin || a.ymax <= b.ymin || b.ymax <= a.ymin;
            EXPECT_TRUE(apart) << "boxes " << k << " and " << m;
        }
    }
}

// The boxes lie apart on the material, within [0, width] in y and from x 0 on.
void ExpectPackedOnMaterial(const Boxes& boxes, int32_t widthUnits)
{
    ExpectDisjoint(boxes);
    for (int k = 0; k < boxes.Count(); ++k) {
        const CArea& a = boxes[k]->GetArea();
        EXPECT_GE(a.xmin, 0) << "box " << k;
        EXPECT_GE(a.ymin, 0) << "box " << k;
        EXPECT_LE(a.ymax, widthUnits) << "box " << k;
    }
}

// Each case packs boxes on a given skyline (level, from, to); the last box's slot and the
// final skyline show each rule of the slots and the merges.
struct SkylineCase {
    const char* name;
    std::vector<std::vector<int32_t>> initial;
    std::vector<Box> boxes;
    CPoint lastCorner;
    std::vector<std::vector<int32_t>> skyline;
};

void PrintTo(const SkylineCase& c, std::ostream* os) { *os << c.name; }

class SkylinePacking : public testing::TestWithParam<SkylineCase> {};

TEST_P(SkylinePacking, PlacesTheLastBoxAndLeavesTheSkyline)
{
    const SkylineCase& c = GetParam();
    Boxes boxes(c.boxes);
    CArray<HorizontalLine> skyline;
    for (const std::vector<int32_t>& s : c.initial) skyline.Add({s[0], s[1], s[0], s[2]});
    PlotShapeList out;
    SortRects_LowestHorizontalLine(boxes.Lists(), boxes.Count(), skyline, &out);

    EXPECT_EQ(boxes.Corner(c.boxes.size() - 1), c.lastCorner);
    EXPECT_EQ(Segments(skyline), c.skyline);
    EXPECT_EQ(out.Count(), boxes.Count());
    for (int k = 0; k < boxes.Count(); ++k) EXPECT_EQ(boxes[k]->Count(), 0);
    ExpectDisjoint(boxes);
}

INSTANTIATE_TEST_SUITE_P(
    Merges, SkylinePacking,
    testing::Values(
        SkylineCase{"ThirdOfThreeAfterTheLastSegmentMerges", {{0, 0, 250}}, {{100, 100}, {100, 100}, {100, 100}},
                    {100, 0}, {{200, 0, 100}, {100, 100, 250}}},
        SkylineCase{"FirstSegmentMergesIntoTheSecond", {{100, 0, 50}, {200, 50, 250}}, {{10, 100}}, {200, 0},
                    {{210, 0, 100}, {200, 100, 250}}},
        SkylineCase{"EqualNeighboursJoinIntoTheLeft", {{100, 0, 100}, {30, 100, 200}, {100, 200, 300}}, {{10, 150}},
                    {100, 0}, {{110, 0, 150}, {100, 150, 300}}},
        SkylineCase{"LowerRightNeighbourTakesIt", {{100, 0, 100}, {30, 100, 200}, {80, 200, 300}}, {{10, 150}},
                    {80, 100}, {{100, 0, 100}, {90, 100, 250}, {80, 250, 300}}},
        SkylineCase{"LowerLeftNeighbourTakesIt", {{100, 0, 100}, {30, 100, 200}, {120, 200, 300}}, {{10, 150}},
                    {100, 0}, {{110, 0, 150}, {100, 150, 200}, {120, 200, 300}}},
        SkylineCase{"BoxAsTallAsItsSegmentRaisesTheLevel", {{0, 0, 250}}, {{30, 250}, {20, 250}}, {30, 0},
                    {{50, 0, 250}}},
        SkylineCase{"TallerThanTheMaterialGoesBeyondEverything", {{0, 0, 250}}, {{100, 100}, {50, 300}}, {100, 0},
                    {{150, 0, 250}}}),
    [](const testing::TestParamInfo<SkylineCase>& info) { return info.param.name; });

TEST(SheetPacking, ThreeBoxesOnTwoHundredFiftySitAtTheirSlots)
{
    Boxes boxes({{100, 100}, {100, 100}, {100, 100}});
    CArray<HorizontalLine> skyline;
    skyline.Add({0, 0, 0, 250});
    PlotShapeList out;
    SortRects_LowestHorizontalLine(boxes.Lists(), boxes.Count(), skyline, &out);
    EXPECT_EQ(boxes.Corner(0), CPoint(0, 0));
    EXPECT_EQ(boxes.Corner(1), CPoint(0, 100));
    EXPECT_EQ(boxes.Corner(2), CPoint(100, 0));
    // The shapes moved with their lists.
    out.CalArea(1);
    EXPECT_EQ(out.GetArea(), CArea(0, 0, 200, 200));
}

TEST(SheetPacking, WidthSortIsWidestFirstAndKeepsEqualWidthsInOrder)
{
    Boxes boxes({{1, 10}, {1, 20}, {2, 30}});
    std::vector<PlotShapeList*> lists{boxes[0], boxes[1], boxes[2]};
    CArray<HorizontalLine> skyline;
    SetInitialSkyline(skyline, 1800);
    PlotShapeList out;
    SortRects_LowestHorizontalLine(lists.data(), 3, skyline, &out);
    EXPECT_EQ(lists, (std::vector<PlotShapeList*>{boxes[2], boxes[0], boxes[1]}));
}

TEST(SheetPacking, NullEmptyAndShapelessListsTakeNoPlace)
{
    Boxes boxes({{100, 100}, {50, 50}});
    PlotShapeList noShapes;
    noShapes.SetArea(CArea(0, 0, 500, 500));
    PlotShapeList pointless;
    pointless.AddTail(new PlotShape);
    pointless.CalArea(1);
    std::vector<PlotShapeList*> lists{nullptr, &noShapes, boxes[0], &pointless, boxes[1]};
    CArray<HorizontalLine> skyline;  // empty: material of width 0
    PlotShapeList out;
    SortRects_LowestHorizontalLine(lists.data(), 5, skyline, &out);
    EXPECT_EQ(boxes.Corner(0), CPoint(0, 0));
    EXPECT_EQ(boxes.Corner(1), CPoint(100, 0));
    EXPECT_EQ(out.Count(), 2);
    EXPECT_EQ(pointless.Count(), 1);
}

TEST(SheetPacking, SetAreaPlacesAListByItsEnlargedBox)
{
    Boxes boxes({{100, 100}, {100, 100}});
    boxes[0]->SetArea(CArea(0, 0, 100, 120));
    CArray<HorizontalLine> skyline;
    skyline.Add({0, 0, 0, 1000});
    SortRects_LowestHorizontalLine(boxes.Lists(), 2, skyline, nullptr);
    EXPECT_EQ(boxes.Corner(1), CPoint(0, 120));
    EXPECT_EQ(boxes[1]->HeadShape()->GetArea().ymin, 120);
}

class RectDataTest : public testing::Test {
protected:
    void TearDown() override { ClearRectData(); }
};

TEST_F(RectDataTest, FitnessOfOneBoxIsItsShareOfTheUsedMaterial)
{
    Boxes boxes({{4000, 2000}});
    SetRectData(boxes.Lists(), 1, 1800, nullptr);
    SortRect_Individual one(1);
    EXPECT_DOUBLE_EQ(one.CalFitness(), 5000.0 / (100.0 * 1800.0));
    EXPECT_DOUBLE_EQ(one.GetFitness(), 5000.0 / (100.0 * 1800.0));
    // The fitness pass touches nothing.
    EXPECT_EQ(boxes[0]->Count(), 1);
    EXPECT_EQ(boxes.Corner(0), CPoint(0, 0));
}

TEST_F(RectDataTest, FitnessIsZeroWithoutUsedMaterial)
{
    Boxes boxes({{4000, 2000}});
    SortRect_Individual one(1);
    SetRectData(boxes.Lists(), 1, 0, nullptr);
    EXPECT_EQ(one.CalFitness(), 0.0);
    SetRectData(boxes.Lists(), 1, -5, nullptr);
    EXPECT_EQ(one.CalFitness(), 0.0);
    SetRectData(nullptr, 3, 1800, nullptr);
    EXPECT_EQ(one.CalFitness(), 0.0);
    Boxes points({{0, 0}, {0, 0}});
    SetRectData(points.Lists(), 2, 1800, nullptr);
    SortRect_Individual two(2);
    EXPECT_EQ(two.CalFitness(), 0.0);
}

TEST(PackingRandom, DrawsTheClassicSequenceWithinRandRange)
{
    PackingRandom random;
    random.Seed(1);
    EXPECT_EQ(random.Next(), 16838);
    EXPECT_EQ(random.Next(), 5758);
    EXPECT_EQ(random.Next(), 10113);
    for (int k = 0; k < 1000; ++k) {
        const double r = random.NextUnit();
        ASSERT_GE(r, 0.0);
        ASSERT_LE(r, 1.0);
    }
}

TEST(SortRectGenetic, CrossGeneOfTwoGenesCutsAtOneAndRepairs)
{
    SortRect_GeneticAlgorithm ga;
    SortRect_Individual a;
    SortRect_Individual b;
    a.SetGenes(Genes({0, 1}));
    b.SetGenes(Genes({1, 0}));
    for (uint32_t seed : {1u, 2u, 99u}) {
        ga.SetRandomSeed(seed);
        ga.InitPopulation();
        SortRect_Individual childA;
        SortRect_Individual childB;
        ga.CrossGene(&a, &b, &childA, &childB);
        EXPECT_EQ(AsVector(childA.GetGenes()), (std::vector<int32_t>{1, 0}));
        EXPECT_EQ(AsVector(childB.GetGenes()), (std::vector<int32_t>{0, 1}));
    }
}

TEST(SortRectGenetic, CrossGeneChildrenArePermutationsOrCopies)
{
    SortRect_GeneticAlgorithm ga;
    ga.SetRandomSeed(5);
    ga.InitPopulation();
    PackingRandom random;
    random.Seed(3);
    SortRect_Individual a(9);
    SortRect_Individual b(9);
    SortRect_Individual childA;
    SortRect_Individual childB;
    for (int k = 0; k < 200; ++k) {
        a.InitChromosome(random);
        b.InitChromosome(random);
        ga.CrossGene(&a, &b, &childA, &childB);
        ASSERT_TRUE(IsPermutation(childA.GetGenes())) << k;
        ASSERT_TRUE(IsPermutation(childB.GetGenes())) << k;
    }
    // One gene, or genes that index nothing: the children are the parents.
    a.SetGenes(Genes({0}));
    b.SetGenes(Genes({0}));
    ga.CrossGene(&a, &b, &childA, &childB);
    EXPECT_EQ(AsVector(childA.GetGenes()), (std::vector<int32_t>{0}));
    a.SetGenes(Genes({0, 7}));
    b.SetGenes(Genes({1, 0}));
    ga.CrossGene(&a, &b, &childA, &childB);
    EXPECT_EQ(AsVector(childA.GetGenes()), (std::vector<int32_t>{0, 7}));
    EXPECT_EQ(AsVector(childB.GetGenes()), (std::vector<int32_t>{1, 0}));
}

// Sets up a search over genes genes with the given seed and parameters.
void Configure(SortRect_GeneticAlgorithm& ga, uint32_t seed, int population, float crossover, float mutation,
               int generations, int genes)
{
    ga.SetRandomSeed(seed);
    ga.SetParam(population, crossover, mutation, generations);
    ga.SetChromosomeSize(genes);
}

// Records the best fitness of every evaluated generation (Select follows each evaluation).
class RecordingSearch : public SortRect_GeneticAlgorithm {
public:
    void Select() override
    {
        double best = 0.0;
        for (int32_t k = 0; k < currentPopulation_->GetSize(); ++k)
            best = std::max(best, currentPopulation_->GetAt(k)->GetFitness());
        generationBest.push_back(best);
        SortRect_GeneticAlgorithm::Select();
    }
    Population& Current() { return *currentPopulation_; }
    Population& Next() { return *nextPopulation_; }

    std::vector<double> generationBest;
};

class SortRectSearch : public RectDataTest {
protected:
    // Seven boxes of mixed sizes on a material of 60 mm (2400 units).
    Boxes boxes_{{{900, 1500}, {400, 700}, {1200, 300}, {300, 2400}, {800, 800}, {500, 1100}, {1000, 600}}};
};

TEST_F(SortRectSearch, StoredBestIsTheBestOfAllGenerationsAndPacksEverything)
{
    SetRectData(boxes_.Lists(), boxes_.Count(), 60, nullptr);
    RecordingSearch ga;
    Configure(ga, 11, 8, 0.75f, 0.3f, 40, boxes_.Count());
    ga.StartCalculate();

    ASSERT_EQ(ga.generationBest.size(), 40u);
    SortRect_Individual* best = ga.GetStoredBestIndividual();
    ASSERT_NE(best, nullptr);
    EXPECT_EQ(best->GetFitness(), *std::max_element(ga.generationBest.begin(), ga.generationBest.end()));
    EXPECT_TRUE(IsPermutation(best->GetGenes()));
    SortRect_Individual again = *best;
    EXPECT_EQ(again.CalFitness(), best->GetFitness());

    PlotShapeList out;
    EXPECT_EQ(best->GetResult(&out), again.GetFitness());
    EXPECT_EQ(out.Count(), boxes_.Count());
    ExpectPackedOnMaterial(boxes_, 2400);
}

TEST_F(SortRectSearch, ASeedRepeatsARun)
{
    SetRectData(boxes_.Lists(), boxes_.Count(), 60, nullptr);
    auto run = [this](uint32_t seed) {
        RecordingSearch ga;
        Configure(ga, seed, 6, 0.75f, 0.2f, 25, boxes_.Count());
        ga.StartCalculate();
        return std::make_pair(AsVector(ga.GetStoredBestIndividual()->GetGenes()), ga.generationBest);
    };
    EXPECT_EQ(run(42), run(42));
}

TEST_F(SortRectSearch, SmallPopulationOneGeneAndNoGenerationsStillGiveAResult)
{
    Boxes one({{4000, 2000}});
    SetRectData(one.Lists(), 1, 1800, nullptr);
    SortRect_GeneticAlgorithm ga;
    Configure(ga, 3, 1, 1.0f, 1.0f, 5, 1);
    ga.StartCalculate();
    ASSERT_NE(ga.GetStoredBestIndividual(), nullptr);
    EXPECT_EQ(AsVector(ga.GetStoredBestIndividual()->GetGenes()), (std::vector<int32_t>{0}));

    SetRectData(boxes_.Lists(), boxes_.Count(), 60, nullptr);
    SortRect_GeneticAlgorithm none;  // seeded from the clock
    none.SetParam(0, 0.75f, 0.01f, 0);
    none.SetChromosomeSize(boxes_.Count());
    none.StartCalculate();
    ASSERT_NE(none.GetStoredBestIndividual(), nullptr);
    EXPECT_GT(none.GetStoredBestIndividual()->GetFitness(), 0.0);
}

TEST_F(SortRectSearch, ZeroAreaListsEndWithEveryListPacked)
{
    Boxes flat({{0, 0}, {300, 0}, {0, 200}, {0, 0}, {100, 0}});
    SetRectData(flat.Lists(), flat.Count(), 60, nullptr);
    SortRect_GeneticAlgorithm ga;
    Configure(ga, 8, 30, 0.75f, 0.5f, 50, flat.Count());
    ga.StartCalculate();
    SortRect_Individual* best = ga.GetStoredBestIndividual();
    ASSERT_NE(best, nullptr);
    EXPECT_EQ(best->GetFitness(), 0.0);
    PlotShapeList out;
    best->GetResult(&out);
    EXPECT_EQ(out.Count(), flat.Count());
}

TEST_F(SortRectSearch, RouletteWithoutTotalPicksAnyIndex)
{
    Boxes flat({{100, 0}, {200, 0}});
    SetRectData(flat.Lists(), 2, 60, nullptr);
    PackingRandom random;
    random.Seed(4);
    SortRect_Population population(5, 2, random);
    population.CalFitness();
    ASSERT_EQ(population.GetTotalFitness(), 0.0);
    std::set<int> picked;
    for (int k = 0; k < 200; ++k) picked.insert(population.SelectAnIndividual());
    EXPECT_EQ(picked, (std::set<int>{0, 1, 2, 3, 4}));
}

TEST_F(SortRectSearch, SelectTakesTheNextIndexWhenOnlyOneCanBeDrawn)
{
    Boxes one({{4000, 2000}});
    SetRectData(one.Lists(), 1, 1800, nullptr);
    RecordingSearch ga;
    Configure(ga, 2, 2, 0.75f, 0.01f, 1, 1);
    ga.InitPopulation();
    // Individual 1 orders no stored list: fitness 0, so the roulette only ever draws 0.
    auto* nothing = dynamic_cast<SortRect_Individual*>(ga.Current().GetAt(1));
    nothing->SetGenes(Genes({5}));
    ga.Current().CalFitness();
    ga.Select();
    EXPECT_EQ(AsVector(dynamic_cast<SortRect_Individual*>(ga.Next().GetAt(0))->GetGenes()), (std::vector<int32_t>{0}));
    EXPECT_EQ(AsVector(dynamic_cast<SortRect_Individual*>(ga.Next().GetAt(1))->GetGenes()), (std::vector<int32_t>{5}));
}

}  // namespace
