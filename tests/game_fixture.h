// Small boards for the rules tests: a plateau read from the shipped board files and seeded
// with a fixed key, and pieces placed from a short text.
#pragma once

#include "game/plateau.h"

#include <cstdint>
#include <sstream>
#include <string>

inline const uint32_t CLE_TEST[4] = {0x123, 0x234, 0x345, 0x456};

// A plateau as the game screen builds it, but seeded with `graine` (a one-word key, 0 for the
// classic four-word test key) and with the first deal already out of the way when
// `sans_premiere_donne`: the board stays empty until pieces are placed.
inline void preparer(plateau& p, uint32_t graine = 0, bool sans_premiere_donne = true)
{
    p.lire_lignes("./data/lignes.txt");
    p.lire_mailles("./data/grille_mailles.txt");
    if (graine == 0)
        p.alea.init_by_array(CLE_TEST, 4);
    else
        p.alea.init_by_array(&graine, 1);
    if (sans_premiere_donne)
        p.debut_partie = false;
}

// Places pieces at rest from "cell:colour" pairs, e.g. "0:1 12:1 24:3".
inline void poser(plateau& p, const std::string& pieces)
{
    std::istringstream in(pieces);
    int cell, couleur;
    char deux_points;
    while (in >> cell >> deux_points >> couleur) {
        pion& m = p.mailles[cell];
        m.couleur = couleur;
        m.image = 0;
        m.increment = 0;
        m.marque = false;
        m.selectionne = false;
    }
}

// Places one colour on several cells: "0 12 24 36".
inline void poser_couleur(plateau& p, int couleur, const std::string& cells)
{
    std::istringstream in(cells);
    std::string liste;
    int cell;
    while (in >> cell)
        liste += std::to_string(cell) + ":" + std::to_string(couleur) + " ";
    poser(p, liste);
}

// Cells holding a piece.
inline int occupees(const plateau& p)
{
    int n = 0;
    for (const pion& m : p.mailles)
        n += m.couleur != -1;
    return n;
}

// Plays `n` frames of logic.
inline void jouer(plateau& p, int n)
{
    for (int i = 0; i < n; ++i)
        p.logic();
}
