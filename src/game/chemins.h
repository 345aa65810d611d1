// The routes a selected piece may take to every cell of the board.
#pragma once

#include "game/pion.h"

#include <cstdint>

// Built once per selection from a snapshot of the board; later changes to the board do not
// touch it until it is built again.
class table_chemins
{
public:
    table_chemins();

    // Routes from `source` through empty cells, over the neighbours of the given cells.
    void calcule(const pion mailles[NB_MAILLES], int source);

    // Cell the routes start from, -1 before the first build.
    int depart() const { return source; }

    // Number of cells the piece enters going to `cible` (the target included); 0 when there is
    // no route (or the target is the source, or not a cell).
    int longueur(int cible) const;

    // The t-th cell entered on the way to `cible` (t from 0 to longueur - 1; the last is the
    // target itself); -1 outside the route.
    int cellule(int cible, int t) const;

private:
    int source;
    int distance[NB_MAILLES];  // cells entered from the source; -1 unreachable
    int precedent[NB_MAILLES]; // cell before this one on its route
};
