// Cost of one selection: the game's route finder against the plain all-pairs string table,
// on boards holding 8, 40, 80 and 110 pieces.
#include "board_topology.h"
#include "game/chemins.h"
#include "literal_paths.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <vector>

namespace {

struct plateau_mesure
{
    pion mailles[NB_MAILLES];
    int selection;
};

// A few boards per size, the same for every run.
const std::vector<plateau_mesure>& plateaux(int pieces)
{
    static std::vector<plateau_mesure> tous[NB_MAILLES + 1];
    std::vector<plateau_mesure>& v = tous[pieces];
    if (v.empty()) {
        std::mt19937 gen(1000 + pieces);
        v.resize(16);
        for (plateau_mesure& b : v) {
            topologie::poser_voisins(b.mailles);
            std::vector<int> cells(NB_MAILLES);
            for (int i = 0; i < NB_MAILLES; ++i) {
                cells[i] = i;
                b.mailles[i].vider();
            }
            std::shuffle(cells.begin(), cells.end(), gen);
            for (int k = 0; k < pieces; ++k)
                b.mailles[cells[k]].couleur = static_cast<int>(gen() % NB_COULEURS);
            b.selection = cells[gen() % pieces];
        }
    }
    return v;
}

// Whether the route finder gives, on every measured board, exactly the routes of the plain
// table from the selection to every cell: the two rows only compare if they agree.
bool memes_routes(const std::vector<plateau_mesure>& v)
{
    literal_paths l;
    table_chemins t;
    for (const plateau_mesure& b : v) {
        l.calcul_chemins(b.mailles, b.selection);
        t.calcule(b.mailles, b.selection);
        for (int cible = 0; cible < NB_MAILLES; ++cible) {
            if (t.longueur(cible) != l.longueur(b.selection, cible))
                return false;
            for (int k = 0; k < t.longueur(cible); ++k)
                if (t.cellule(cible, k) != l.cellule(b.selection, cible, k))
                    return false;
        }
    }
    return true;
}

void BM_selection_table_litterale(benchmark::State& state)
{
    const auto& v = plateaux(static_cast<int>(state.range(0)));
    literal_paths l;
    size_t i = 0;
    for (auto _ : state) {
        const plateau_mesure& b = v[i++ % v.size()];
        l.calcul_chemins(b.mailles, b.selection);
        benchmark::DoNotOptimize(l.chemins.data());
    }
}

void BM_selection_rapide(benchmark::State& state)
{
    const auto& v = plateaux(static_cast<int>(state.range(0)));
    if (!memes_routes(v)) {
        state.SkipWithError("routes differ from the plain table");
        return;
    }
    table_chemins t;
    size_t i = 0;
    for (auto _ : state) {
        const plateau_mesure& b = v[i++ % v.size()];
        t.calcule(b.mailles, b.selection);
        benchmark::DoNotOptimize(&t);
    }
}

// The same, then every route from the selection read out cell by cell.
void BM_selection_rapide_et_toutes_les_routes(benchmark::State& state)
{
    const auto& v = plateaux(static_cast<int>(state.range(0)));
    table_chemins t;
    size_t i = 0;
    for (auto _ : state) {
        const plateau_mesure& b = v[i++ % v.size()];
        t.calcule(b.mailles, b.selection);
        int somme = 0;
        for (int cible = 0; cible < NB_MAILLES; ++cible)
            for (int k = 0; k < t.longueur(cible); ++k)
                somme += t.cellule(cible, k);
        benchmark::DoNotOptimize(somme);
    }
}

} // namespace

BENCHMARK(BM_selection_table_litterale)
    ->Arg(8)
    ->Arg(40)
    ->Arg(80)
    ->Arg(110)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_selection_rapide)->Arg(8)->Arg(40)->Arg(80)->Arg(110)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_selection_rapide_et_toutes_les_routes)
    ->Arg(8)
    ->Arg(40)
    ->Arg(80)
    ->Arg(110)
    ->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
