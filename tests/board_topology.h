// The board's topology worked out from its shape, apart from the shipped files: cells, their
// neighbours and the runs of five along the five line directions.
#pragma once

#include "game/pion.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <vector>

namespace topologie {

// A cell's column and its height in half cells: column c, row r sits at y = 2r (even column)
// or 2r + 1 (odd column, half a cell lower).
struct place
{
    int colonne, y;
};

inline place place_de(int cell)
{
    const int groupe = cell / 6;
    const int colonne = 2 * (cell % 6) + groupe % 2;
    return {colonne, 2 * (groupe / 2) + colonne % 2};
}

// The cell at (column, y), or -1 off the board (or at a height no cell of that column has).
inline int maille_en(int colonne, int y)
{
    if (colonne < 0 || colonne > 11 || y < 0 || (y - colonne) % 2 != 0)
        return -1;
    const int rangee = y / 2;
    if (rangee > (colonne % 2 == 0 ? 10 : 9))
        return -1;
    return 12 * rangee + 6 * (colonne % 2) + colonne / 2;
}

// Hexagons share a side when they are one above the other in a column, or in next columns
// half a cell apart.
inline bool voisines(int a, int b)
{
    const place p = place_de(a), q = place_de(b);
    const int dc = std::abs(p.colonne - q.colonne), dy = std::abs(p.y - q.y);
    return (dc == 0 && dy == 2) || (dc == 1 && dy == 1);
}

inline std::vector<int> voisins(int cell)
{
    std::vector<int> v;
    for (int autre = 0; autre < NB_MAILLES; ++autre)
        if (voisines(cell, autre))
            v.push_back(autre);
    return v;
}

// Gives every cell its neighbours as the rules define them, -1 padded.
inline void poser_voisins(pion mailles[NB_MAILLES])
{
    for (int i = 0; i < NB_MAILLES; ++i) {
        const std::vector<int> v = voisins(i);
        for (int k = 0; k < NB_VOISINS; ++k)
            mailles[i].voisins[k] = k < static_cast<int>(v.size()) ? v[k] : -1;
    }
}

enum direction
{
    COLONNE,
    DIAGONALE_BAS,
    DIAGONALE_HAUT,
    ZIGZAG_RANGEE,
    ZIGZAG_ENTRE_RANGEES
};
constexpr int NB_DIRECTIONS = 5;

using run = std::array<int, 5>;

// Every run of five cells along one direction, cells in order along the run. Straight runs
// step by (0, 2), (1, 1) or (1, -1) in (column, y); the zig-zags cross five columns between
// two heights Y and Y + 1, with Y even (within one row) or odd (between two rows).
inline std::vector<run> runs(direction d)
{
    std::vector<run> found;
    for (int colonne = 0; colonne < 12; ++colonne)
        for (int y = -1; y <= 22; ++y) {
            run r;
            bool complet = true;
            for (int k = 0; k < 5 && complet; ++k) {
                int c = colonne, h = y;
                switch (d) {
                case COLONNE:
                    h = y + 2 * k;
                    break;
                case DIAGONALE_BAS:
                    c += k, h = y + k;
                    break;
                case DIAGONALE_HAUT:
                    c += k, h = y - k;
                    break;
                case ZIGZAG_RANGEE:
                case ZIGZAG_ENTRE_RANGEES:
                    if ((y % 2 == 0) != (d == ZIGZAG_RANGEE))
                        complet = false;
                    c += k;
                    h = (c % 2 == ((y % 2 + 2) % 2)) ? y : y + 1;
                    break;
                }
                r[k] = maille_en(c, h);
                complet = complet && r[k] != -1;
            }
            if (complet)
                found.push_back(r);
        }
    return found;
}

} // namespace topologie
