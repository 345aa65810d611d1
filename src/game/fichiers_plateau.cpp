// Readers of the board's two topology files: the neighbours of every cell and the line table.
#include "game/fichiers_plateau.h"

#include "app/log.h"

#include <fstream>
#include <limits>

namespace {

bool est_maille(int n)
{
    return n >= 0 && n < NB_MAILLES;
}

// One integer of the neighbour file. A number too large for an int is read whole and given as
// INT_MAX or INT_MIN, which no cell has; anything else that is not an integer ends the file.
bool lire_entier(std::istream& in, int& n)
{
    if (in >> n)
        return true;
    if (in.bad() || (n != std::numeric_limits<int>::max() && n != std::numeric_limits<int>::min()))
        return false;
    in.clear();
    return true;
}

} // namespace

// The numbers of both files index the cell array, so every one is checked before use. The
// files are read as streams of whitespace-separated integers; a token that is not an integer
// ends the reading as the end of the file does.
bool lire_fichier_mailles(const char* path, pion mailles[NB_MAILLES])
{
    std::ifstream in(path);
    if (!in) {
        write_log("ERREUR OUVERTURE FICHIER grille_mailles.txt", LOG_NO_NUMBER);
        return false;
    }
    for (int i = 0; i < NB_MAILLES; ++i) {
        mailles[i].vider();
        for (int& v : mailles[i].voisins)
            v = -1;
    }
    int lues = 0;
    for (int i = 0; i < NB_MAILLES; ++i) {
        int ignore = 0;
        if (!lire_entier(in, ignore))
            break;
        bool hors_plateau = false;
        int k = 0;
        for (; k < NB_VOISINS; ++k) {
            int v = 0;
            if (!lire_entier(in, v))
                break;
            if (v == -1 || est_maille(v)) {
                mailles[i].voisins[k] = v;
            } else {
                hors_plateau = true;
            }
        }
        if (hors_plateau)
            write_log("grille_mailles.txt: voisin hors du plateau ignor\xe9, maille: ", i);
        if (k < NB_VOISINS)
            break;
        ++lues;
    }
    if (lues < NB_MAILLES)
        write_log("grille_mailles.txt incomplet, mailles lues: ", lues);
    return true;
}

bool lire_fichier_lignes(const char* path, int lignes[NB_LIGNES][5], bool valides[NB_LIGNES])
{
    for (int j = 0; j < NB_LIGNES; ++j) {
        valides[j] = false;
        for (int& c : lignes[j])
            c = -1;
    }
    std::ifstream in(path);
    if (!in) {
        write_log("ERREUR OUVERTURE FICHIER lignes.txt", LOG_NO_NUMBER);
        return false;
    }
    int lues = 0;
    for (int j = 0; j < NB_LIGNES; ++j) {
        int cases[5];
        for (int& c : cases)
            in >> c;
        if (!in)
            break;
        ++lues;
        bool bon = true;
        for (int c : cases)
            bon = bon && est_maille(c);
        if (!bon) {
            write_log("lignes.txt: case hors du plateau, ligne ignor\xe9"
                      "e: ",
                      j);
            continue;
        }
        for (int k = 0; k < 5; ++k)
            lignes[j][k] = cases[k];
        valides[j] = true;
    }
    if (lues < NB_LIGNES)
        write_log("lignes.txt incomplet, lignes lues: ", lues);
    return true;
}
