// The rules of a game on the board: cells, selection, moves, runs, new pieces, animation.
#pragma once

#include "game/alea.h"
#include "game/chemins.h"
#include "game/pion.h"

// Owned by the game screen, which turns clicks into cell numbers for clic(), calls logic()
// once per frame, draws the cells and the preview, and plays the sounds counted in
// sons_mouvement and sons_ligne (resetting them when it has). Adds to the global `score`.
class plateau
{
public:
    // The 126 cells as constructed (full board of colour 5, no neighbours until
    // lire_mailles), the generator seeded from the system, score = 0, the game's first deal
    // due at the first logic().
    plateau();

    pion mailles[NB_MAILLES];
    int lignes[NB_LIGNES][5];     // line table; -1 entries in unusable records
    bool ligne_valide[NB_LIGNES]; // record j is used by controle_lignes

    bool nouv_pions_a_poser; // the preview is dealt at the next logic()
    bool debut_partie;       // the first deal is still to come
    bool game_over;
    bool saisie_active; // clicks act on the board (false while a move is played)
    int etat_selection; // 0: nothing selected, 1: maille_selection is selected
    int maille_selection;
    int couleurs_nouv_pions[4]; // the preview
    int compteur_game_over;     // logic() frames since the game ended
    int nb_etapes;              // cells on the route of the move under way
    int etape;                  // step of the move being played, 0 to nb_etapes
    int maille_courante;        // cell the moving piece is leaving; -1 between steps
    int maille_suivante;        // cell it is entering
    int couleur_deplacee;       // its colour
    int index_chemin;           // selection x 126 + target of the move
    alea_mt alea;               // all the randomness of the game
    table_chemins chemins;      // routes from the selection, built at each selection

    // Sounds due since the screen last read and reset them.
    int sons_mouvement = 0; // one per step of a move
    int sons_ligne = 0;     // one per check that removed runs

    // Topology files (normally "./data/lignes.txt" and "./data/grille_mailles.txt"); every
    // problem is logged and the faulty records left out of play. lire_mailles empties the board.
    void lire_lignes(const char* path);
    void lire_mailles(const char* path);

    // A click on `cell` (-1: on no cell): select a piece, select another, or start a move to a
    // reachable empty cell. Ignored while a move is played.
    void clic(int cell);

    void calcul_chemins();           // routes from maille_selection
    void deplacement_pion();         // one frame of the move under way
    void controle_lignes();          // removes every complete run and scores it
    void choix_couleur_nouv_pions(); // draws the preview
    void dispose_nouv_pions();       // deals the preview, then draws the next one
    int animation();                 // one animation step of every cell; occupied cells

    // One frame: deal when due, the move, the animation (a full board ends the game), and
    // once the game is over the churn of pieces fading out and in.
    void logic();

    // The route from the selection to `cible`, as clic() would play it.
    int longueur_chemin(int cible) const { return chemins.longueur(cible); }
    int cellule_chemin(int cible, int t) const { return chemins.cellule(cible, t); }
};
