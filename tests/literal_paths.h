// The route table built the plain way: every pair of cells, Floyd-Warshall over text paths.
// This is the reference the game's route finder must agree with, cell for cell, and the
// yardstick it is measured against.
#pragma once

#include "game/pion.h"

#include <cstdio>
#include <string>
#include <vector>

// chemins[i * 126 + j] lists the cells entered going from i to j, each written "%3d" and
// separated by ","; empty when there is no route.
class literal_paths
{
public:
    std::vector<std::string> chemins = std::vector<std::string>(NB_MAILLES * NB_MAILLES);

    // Rebuilds the whole table for the selected cell, as the game did on every selection.
    void calcul_chemins(const pion mailles[NB_MAILLES], int maille_selection)
    {
        const int N = NB_MAILLES;
        int* A = new int[N * N];
        int* D = new int[N * N];
        for (int i = 0; i < N; ++i)
            for (int j = 0; j < N; ++j) {
                A[i * N + j] = 0;
                D[i * N + j] = 99999999;
                chemins[i * N + j] = "";
            }
        for (int i = 0; i < N; ++i)
            if (mailles[i].couleur == -1 || i == maille_selection)
                for (int k = 0; k < 6; ++k) {
                    const int n = mailles[i].voisins[k];
                    if (n != -1 && mailles[n].couleur == -1)
                        A[i * N + n] = 1;
                }
        char texte[16];
        for (int i = 0; i < N; ++i)
            for (int j = 0; j < N; ++j)
                if (A[i * N + j] == 1) {
                    D[i * N + j] = 1;
                    std::snprintf(texte, sizeof texte, "%3d", j);
                    chemins[i * N + j] = texte;
                } else {
                    D[i * N + j] = 99999999;
                }
        for (int i = 0; i < N; ++i)
            D[i * N + i] = 0;
        for (int k = 0; k < N; ++k)
            for (int i = 0; i < N; ++i)
                for (int j = 0; j < N; ++j)
                    if (D[i * N + k] + D[k * N + j] < D[i * N + j]) {
                        D[i * N + j] = D[i * N + k] + D[k * N + j];
                        chemins[i * N + j] = chemins[i * N + k] + "," + chemins[k * N + j];
                    }
        delete[] A;
        delete[] D;
    }

    // Number of cells on the route from source to target: (length + 1) / 4.
    int longueur(int source, int cible) const
    {
        return (static_cast<int>(chemins[source * NB_MAILLES + cible].size()) + 1) / 4;
    }

    // Cell number t of the route, read from characters 4t to 4t + 2.
    int cellule(int source, int cible, int t) const
    {
        return std::stoi(chemins[source * NB_MAILLES + cible].substr(4 * t, 3));
    }
};
