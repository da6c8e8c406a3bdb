// The genetic search for the order in which sheet packing lays the merged job files.
//
// Method: a chromosome is an order of the lists stored by SetRectData (a permutation of
// 0..n-1); its fitness is the covered share of the material the skyline packing uses in that
// order (PackRectDataInOrder, no shapes touched). Each generation is evaluated, its best is
// kept (the stored best only ever improves), then the next generation is filled by roulette
// selection, single-cut crossover with a permutation repair, and swap mutation.
// Random numbers come from the search's own generator (0..32767, like the C library's),
// seeded from the wall clock at each StartCalculate unless SetRandomSeed fixed the seed; a
// draw r = (draw % 10000) / 9999 is a real in [0, 1].
// Preconditions: SetRectData before StartCalculate, a chromosome size of the stored count.
// A population size below 2 counts as 2; with fewer than 2 genes there is no crossover or
// mutation.
#pragma once

#include "platform/carray.h"
#include "plotmodel/plot_shape_list.h"

#include <cstdint>
#include <optional>

// The linear congruential generator of the C library's rand(): draws in 0..32767.
class PackingRandom {
public:
    void Seed(uint32_t seed) { state_ = seed; }
    int32_t Next()
    {
        state_ = state_ * 1103515245u + 12345u;
        return static_cast<int32_t>((state_ >> 16) & 0x7FFF);
    }
    // (draw % 10000) / 9999: a real in [0, 1].
    double NextUnit() { return static_cast<double>(Next() % 10000) / 9999.0; }

private:
    uint32_t state_ = 1;
};

class Individual {
public:
    virtual ~Individual() = default;
    virtual double CalFitness() = 0;
    virtual double GetFitness() const = 0;
    virtual void CopyFrom(const Individual* other) = 0;
};

// An owning array of individuals.
class Population {
public:
    Population() = default;
    Population(const Population&) = delete;
    Population& operator=(const Population&) = delete;
    virtual ~Population();
    virtual void CalFitness() = 0;
    virtual int SelectAnIndividual() const = 0;
    virtual int GetTheBestIndividual() const = 0;

    int32_t GetSize() const { return individuals_.GetSize(); }
    Individual* GetAt(int32_t k) const { return individuals_[k]; }

protected:
    CArray<Individual*> individuals_;
};

class GeneticAlgorithmBasic {
public:
    GeneticAlgorithmBasic() = default;
    GeneticAlgorithmBasic(const GeneticAlgorithmBasic&) = delete;
    GeneticAlgorithmBasic& operator=(const GeneticAlgorithmBasic&) = delete;
    virtual ~GeneticAlgorithmBasic();
    virtual void InitPopulation() {}
    virtual void Crossover() {}
    virtual void Mutatian() {}
    virtual void Select() {}

    void SetParam(int populationSize, float crossover, float mutation, int generations);
    void SetChromosomeSize(int genes) { chromosomeSize_ = genes; }

protected:
    // Deletes both populations and the stored best.
    void DeleteAll();

    Population* currentPopulation_ = nullptr;
    Population* nextPopulation_ = nullptr;
    CArray<Individual*> storedBest_;  // at most one
    int32_t populationSize_ = 0;
    int32_t generations_ = 0;
    float crossoverProbability_ = 0.0f;
    float mutationProbability_ = 0.0f;
    int32_t chromosomeSize_ = 0;
};

class SortRect_Individual : public Individual {
public:
    SortRect_Individual() = default;
    explicit SortRect_Individual(int32_t genes) { SetSize(genes); }

    // Packs the stored lists in gene order without touching them; stores and returns the fitness.
    double CalFitness() override;
    double GetFitness() const override { return fitnessShare_; }
    // Copies genes and fitness of another SortRect_Individual (any other kind is ignored).
    void CopyFrom(const Individual* other) override;

    // genes := the identity of genes entries (none below 0); fitness not computed.
    void SetSize(int32_t genes);
    // Makes the genes a random permutation: identity, then for m = n .. 2 swap gene
    // (draw % m) with gene m - 1.
    void InitChromosome(PackingRandom& random);
    // genes := genes; fitness not computed.
    void SetGenes(const CArray<int32_t>& genes);
    const CArray<int32_t>& GetGenes() const { return genes_; }
    void SwapGenes(int32_t x, int32_t y);

    // Packs the stored lists in gene order, moving them and appending their shapes to out;
    // returns the fitness of that packing.
    double GetResult(PlotShapeList* out);

private:
    static constexpr double kNotComputed = -1.0;

    CArray<int32_t> genes_;
    double fitnessShare_ = kNotComputed;
};

class SortRect_Population : public Population {
public:
    // size individuals of genes genes each, every one a random permutation drawn from random.
    SortRect_Population(int32_t size, int32_t genes, PackingRandom& random);

    // Computes every individual's fitness and their total.
    void CalFitness() override;
    // Roulette: the first index whose running fitness sum reaches r x total, the last when
    // none; any index alike when the total is not a finite value above 0.
    int SelectAnIndividual() const override;
    // The index of the largest fitness, the first on ties.
    int GetTheBestIndividual() const override;
    double GetTotalFitness() const { return totalFitness_; }

private:
    PackingRandom& random_;
    double totalFitness_ = 0.0;
};

class SortRect_GeneticAlgorithm : public GeneticAlgorithmBasic {
public:
    // Seeds the generator and builds the current and next populations; the current one is
    // evaluated.
    void InitPopulation() override;
    // Fills the next population by roulette pairs of different individuals.
    void Select() override;
    // Crosses pairs of the next population with the crossover probability.
    void Crossover() override;
    // Swaps two genes of each individual of the next population with the mutation probability.
    void Mutatian() override;

    // Runs the whole search; afterwards GetStoredBestIndividual is never null.
    void StartCalculate();
    // Keeps a copy of the population's best (the first on ties) when none is stored or it is
    // better than the stored one; returns its index, -1 for an empty population.
    int StoreBestIndividual(Population* population);
    // Single-cut crossover at c = draw % (n - 1) + 1 with the repair that keeps both children
    // permutations. With fewer than 2 genes, parents of different gene counts or genes that
    // are no indices of the chromosome, the children are copies of their parents.
    void CrossGene(const Individual* a, const Individual* b, Individual* childA, Individual* childB);

    // Makes every later StartCalculate seed the generator with seed instead of the clock.
    void SetRandomSeed(uint32_t seed) { fixedSeed_ = seed; }
    SortRect_Individual* GetStoredBestIndividual() const;

private:
    int32_t EffectivePopulationSize() const;
    // Picks with draw until it differs from taken; after 100 equal picks, the index after taken.
    template <class Draw>
    static int32_t DrawOther(int32_t taken, int32_t n, Draw draw);

    PackingRandom random_;
    std::optional<uint32_t> fixedSeed_;
};
