// The genetic search for the packing order: individuals, populations and the generation loop.
#include "preprocess/sort_rect_genetic_algorithm.h"

#include "platform/file_system.h"
#include "preprocess/sheet_packing.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace {

// Redraws of an index that must differ from another give up after this many equal draws.
constexpr int kRedrawLimit = 100;

const SortRect_Individual* AsSortRect(const Individual* i) { return dynamic_cast<const SortRect_Individual*>(i); }
SortRect_Individual* AsSortRect(Individual* i) { return dynamic_cast<SortRect_Individual*>(i); }

}  // namespace

Population::~Population()
{
    for (Individual* i : individuals_) delete i;
}

GeneticAlgorithmBasic::~GeneticAlgorithmBasic() { DeleteAll(); }

void GeneticAlgorithmBasic::SetParam(int populationSize, float crossover, float mutation, int generations)
{
    populationSize_ = populationSize;
    crossoverProbability_ = crossover;
    mutationProbability_ = mutation;
    generations_ = generations;
}

void GeneticAlgorithmBasic::DeleteAll()
{
    delete currentPopulation_;
    delete nextPopulation_;
    currentPopulation_ = nullptr;
    nextPopulation_ = nullptr;
    for (Individual* i : storedBest_) delete i;
    storedBest_.RemoveAll();
}

double SortRect_Individual::CalFitness()
{
    fitnessShare_ = PackRectDataInOrder(genes_, false, nullptr);
    return fitnessShare_;
}

void SortRect_Individual::CopyFrom(const Individual* other)
{
    if (const SortRect_Individual* from = AsSortRect(other); from && from != this) *this = *from;
}

void SortRect_Individual::SetSize(int32_t genes)
{
    genes_.SetSize(std::max(genes, 0));
    for (int32_t k = 0; k < genes_.GetSize(); ++k) genes_[k] = k;
    fitnessShare_ = kNotComputed;
}

void SortRect_Individual::InitChromosome(PackingRandom& random)
{
    SetSize(genes_.GetSize());
    const int32_t n = genes_.GetSize();
    for (int32_t k = 0; k + 1 < n; ++k) {
        const int32_t m = n - k;
        const int32_t r = random.Next() % m;
        if (r != m - 1) std::swap(genes_[r], genes_[m - 1]);
    }
}

void SortRect_Individual::SetGenes(const CArray<int32_t>& genes)
{
    genes_.Copy(genes);
    fitnessShare_ = kNotComputed;
}

void SortRect_Individual::SwapGenes(int32_t x, int32_t y)
{
    std::swap(genes_[x], genes_[y]);
    fitnessShare_ = kNotComputed;
}

double SortRect_Individual::GetResult(PlotShapeList* out)
{
    fitnessShare_ = PackRectDataInOrder(genes_, true, out);
    return fitnessShare_;
}

SortRect_Population::SortRect_Population(int32_t size, int32_t genes, PackingRandom& random) : random_(random)
{
    for (int32_t k = 0; k < size; ++k) {
        auto* individual = new SortRect_Individual(genes);
        individual->InitChromosome(random_);
        individuals_.Add(individual);
    }
}

void SortRect_Population::CalFitness()
{
    totalFitness_ = 0.0;
    for (Individual* i : individuals_) totalFitness_ += i->CalFitness();
}

int SortRect_Population::SelectAnIndividual() const
{
    const int32_t n = GetSize();
    // A total of 0 (nothing covered anywhere) or beyond the doubles gives the roulette no
    // wheel: every individual is then as good as any other.
    if (!(totalFitness_ > 0.0) || !std::isfinite(totalFitness_)) return random_.Next() % n;
    const double r = random_.NextUnit() * totalFitness_;
    double sum = 0.0;
    for (int32_t k = 0; k < n; ++k) {
        sum += individuals_[k]->GetFitness();
        if (r <= sum) return k;
    }
    return n - 1;
}

int SortRect_Population::GetTheBestIndividual() const
{
    if (GetSize() == 0) return -1;
    int32_t best = 0;
    for (int32_t k = 1; k < GetSize(); ++k)
        if (individuals_[k]->GetFitness() > individuals_[best]->GetFitness()) best = k;
    return best;
}

int32_t SortRect_GeneticAlgorithm::EffectivePopulationSize() const { return std::max(populationSize_, 2); }

template <class Draw>
int32_t SortRect_GeneticAlgorithm::DrawOther(int32_t taken, int32_t n, Draw draw)
{
    // Endless redraws would hang the merge when one individual (or index) is all that the
    // draws can give; after the limit the next index is taken instead.
    for (int tries = 0; tries < kRedrawLimit; ++tries) {
        const int32_t other = draw();
        if (other != taken) return other;
    }
    return (taken + 1) % n;
}

void SortRect_GeneticAlgorithm::InitPopulation()
{
    DeleteAll();
    random_.Seed(fixedSeed_ ? *fixedSeed_ : static_cast<uint32_t>(_time64(nullptr)));
    const int32_t size = EffectivePopulationSize();
    const int32_t genes = std::max(chromosomeSize_, 0);
    currentPopulation_ = new SortRect_Population(size, genes, random_);
    nextPopulation_ = new SortRect_Population(size, genes, random_);
    currentPopulation_->CalFitness();
}

void SortRect_GeneticAlgorithm::Select()
{
    const Population& current = *currentPopulation_;
    Population& next = *nextPopulation_;
    const int32_t size = next.GetSize();
    auto roulette = [&current] { return current.SelectAnIndividual(); };
    int32_t lastB = 0;
    for (int32_t k = 0; k + 1 < size; k += 2) {
        const int32_t a = current.SelectAnIndividual();
        const int32_t b = DrawOther(a, size, roulette);
        next.GetAt(k)->CopyFrom(current.GetAt(a));
        next.GetAt(k + 1)->CopyFrom(current.GetAt(b));
        lastB = b;
    }
    if (size % 2 == 1) next.GetAt(size - 1)->CopyFrom(current.GetAt(DrawOther(lastB, size, roulette)));
}

void SortRect_GeneticAlgorithm::Crossover()
{
    if (chromosomeSize_ < 2) return;
    Population& next = *nextPopulation_;
    const int32_t size = next.GetSize();
    SortRect_Individual childA;
    SortRect_Individual childB;
    auto crosses = [this] { return static_cast<double>(crossoverProbability_) >= random_.NextUnit(); };
    if (size % 2 == 1 && crosses()) {
        CrossGene(next.GetAt(size - 2), next.GetAt(size - 1), &childA, &childB);
        next.GetAt(size - 1)->CopyFrom(&childB);
    }
    for (int32_t k = 0; k + 1 < size; k += 2) {
        if (!crosses()) continue;
        CrossGene(next.GetAt(k), next.GetAt(k + 1), &childA, &childB);
        next.GetAt(k)->CopyFrom(&childA);
        next.GetAt(k + 1)->CopyFrom(&childB);
    }
}

void SortRect_GeneticAlgorithm::Mutatian()
{
    const int32_t n = chromosomeSize_;
    if (n < 2) return;
    Population& next = *nextPopulation_;
    auto gene = [this, n] { return random_.Next() % n; };
    for (int32_t k = 0; k < next.GetSize(); ++k) {
        if (!(static_cast<double>(mutationProbability_) >= random_.NextUnit())) continue;
        SortRect_Individual* individual = AsSortRect(next.GetAt(k));
        if (!individual || individual->GetGenes().GetSize() != n) continue;
        const int32_t x = gene();
        individual->SwapGenes(x, DrawOther(x, n, gene));
    }
}

void SortRect_GeneticAlgorithm::StartCalculate()
{
    InitPopulation();
    for (int32_t g = 0; g < generations_; ++g) {
        currentPopulation_->CalFitness();
        StoreBestIndividual(currentPopulation_);
        Select();
        Crossover();
        Mutatian();
        std::swap(currentPopulation_, nextPopulation_);
    }
    // With no generation to run, the evaluated first population still gives the result, so
    // the caller always has an order to pack in.
    if (storedBest_.IsEmpty()) StoreBestIndividual(currentPopulation_);
}

int SortRect_GeneticAlgorithm::StoreBestIndividual(Population* population)
{
    const int best = population ? population->GetTheBestIndividual() : -1;
    if (best < 0) return -1;
    const Individual* candidate = population->GetAt(best);
    // The first population's best is always stored, even when no order covers anything
    // (a fitness of 0 everywhere): the merge then still packs every list.
    if (storedBest_.IsEmpty()) {
        auto* copy = new SortRect_Individual;
        copy->CopyFrom(candidate);
        storedBest_.Add(copy);
    } else if (candidate->GetFitness() > storedBest_[0]->GetFitness()) {
        storedBest_[0]->CopyFrom(candidate);
    }
    return best;
}

void SortRect_GeneticAlgorithm::CrossGene(const Individual* a, const Individual* b, Individual* childA,
                                          Individual* childB)
{
    const SortRect_Individual* pa = AsSortRect(a);
    const SortRect_Individual* pb = AsSortRect(b);
    SortRect_Individual* ca = AsSortRect(childA);
    SortRect_Individual* cb = AsSortRect(childB);
    if (!pa || !pb || !ca || !cb) return;
    const CArray<int32_t>& ga = pa->GetGenes();
    const CArray<int32_t>& gb = pb->GetGenes();
    const int32_t n = ga.GetSize();
    auto isIndex = [n](int32_t g) { return g >= 0 && g < n; };
    if (n < 2 || gb.GetSize() != n || !std::all_of(ga.begin(), ga.end(), isIndex) ||
        !std::all_of(gb.begin(), gb.end(), isIndex)) {
        ca->CopyFrom(pa);
        cb->CopyFrom(pb);
        return;
    }
    const int32_t cut = random_.Next() % (n - 1) + 1;
    CArray<int32_t> x;
    CArray<int32_t> y;
    x.SetSize(n);
    y.SetSize(n);
    std::vector<char> inTailX(static_cast<size_t>(n), 0);
    std::vector<char> inTailY(static_cast<size_t>(n), 0);
    for (int32_t k = 0; k < n; ++k) {
        x[k] = k < cut ? ga[k] : gb[k];
        y[k] = k < cut ? gb[k] : ga[k];
        if (k >= cut) {
            inTailX[static_cast<size_t>(x[k])] = 1;
            inTailY[static_cast<size_t>(y[k])] = 1;
        }
    }
    // A head gene repeated in its own tail is exactly a gene the other child lacks: exchanging
    // the repeats pairwise makes both children permutations.
    int32_t j = 0;
    int32_t i = 0;
    for (;;) {
        while (j < cut && !inTailX[static_cast<size_t>(x[j])]) ++j;
        while (i < cut && !inTailY[static_cast<size_t>(y[i])]) ++i;
        if (j >= cut || i >= cut) break;
        std::swap(x[j++], y[i++]);
    }
    ca->SetGenes(x);
    cb->SetGenes(y);
}

SortRect_Individual* SortRect_GeneticAlgorithm::GetStoredBestIndividual() const
{
    return storedBest_.IsEmpty() ? nullptr : AsSortRect(storedBest_[0]);
}
