// The routes a selected piece may take to every cell of the board.
#include "game/chemins.h"

namespace {

// A set of cell numbers as a 126-bit number, bit v for cell v. Comparing two sets as numbers
// compares their largest cells first, then the next largest, and so on.
struct ensemble_cases
{
    uint64_t haut = 0, bas = 0; // cells 64-125, cells 0-63

    ensemble_cases avec(int cell) const
    {
        ensemble_cases e = *this;
        if (cell < 64)
            e.bas |= uint64_t(1) << cell;
        else
            e.haut |= uint64_t(1) << (cell - 64);
        return e;
    }
    bool operator<(const ensemble_cases& o) const
    {
        return haut != o.haut ? haut < o.haut : bas < o.bas;
    }
};

} // namespace

table_chemins::table_chemins() : source(-1)
{
    for (int i = 0; i < NB_MAILLES; ++i) {
        distance[i] = -1;
        precedent[i] = -1;
    }
}

// Which of several shortest routes the piece takes is part of the game: it is the route an
// all-pairs Floyd-Warshall over the cells keeps when it goes through the intermediate cells in
// ascending order (outermost loop) and replaces a route only by a strictly shorter one. That
// loop joins i to j through the smallest cell m it can, and does the same again for i..m and
// m..j; unfolded, the route kept is, among the shortest ones, the one whose set of cells passed
// through is smallest when the sets are compared as numbers (bit v for cell v): the smallest
// largest cell, then the smallest next largest, and so on. Those weights add up along a route
// (a shortest route never passes a cell twice), so one breadth-first pass from the source
// finds them all: each cell keeps, among the cells one step nearer the source, the one whose
// route plus itself weighs least. Two such candidates never tie, since neither can lie on the
// other's route.
//
// Moves go out of the source or of an empty cell and into an empty cell only, following the
// neighbour lists as they are written (duplicates, out-of-range and -1 entries skipped).
void table_chemins::calcule(const pion mailles[NB_MAILLES], int depart_route)
{
    for (int i = 0; i < NB_MAILLES; ++i) {
        distance[i] = -1;
        precedent[i] = -1;
    }
    source = depart_route;
    if (source < 0 || source >= NB_MAILLES)
        return;

    ensemble_cases poids[NB_MAILLES]; // cells passed through on the best route so far
    int file[NB_MAILLES];
    int tete = 0, queue = 0;
    distance[source] = 0;
    file[queue++] = source;
    while (tete < queue) {
        const int u = file[tete++];
        const ensemble_cases par_u = u == source ? poids[u] : poids[u].avec(u);
        for (int n : mailles[u].voisins) {
            if (n < 0 || n >= NB_MAILLES || mailles[n].couleur != -1)
                continue;
            if (distance[n] == -1) {
                distance[n] = distance[u] + 1;
                precedent[n] = u;
                poids[n] = par_u;
                file[queue++] = n;
            } else if (distance[n] == distance[u] + 1 && par_u < poids[n]) {
                precedent[n] = u;
                poids[n] = par_u;
            }
        }
    }
}

int table_chemins::longueur(int cible) const
{
    if (cible < 0 || cible >= NB_MAILLES || distance[cible] < 0)
        return 0;
    return distance[cible];
}

int table_chemins::cellule(int cible, int t) const
{
    const int n = longueur(cible);
    if (t < 0 || t >= n)
        return -1;
    int cell = cible;
    for (int recul = n - 1 - t; recul > 0; --recul)
        cell = precedent[cell];
    return cell;
}
