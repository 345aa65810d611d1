// The rules of a game on the board: cells, selection, moves, runs, new pieces, animation.
#include "game/plateau.h"

#include "game/fichiers_plateau.h"
#include "game/score.h"

namespace {

bool est_maille(int n)
{
    return n >= 0 && n < NB_MAILLES;
}

// The generator's draws for a cell and a colour.
constexpr uint32_t TIRAGE_MAILLE = NB_MAILLES - 1;
constexpr uint32_t TIRAGE_COULEUR = NB_COULEURS - 1;

// A new piece looks for a free cell this many times at most; needing this many is already a
// sign the board is (nearly) full, and the piece is not placed.
constexpr int ESSAIS_MAX = 5000;
constexpr int ESSAIS_TROP = 2500;

} // namespace

plateau::plateau()
    : nouv_pions_a_poser(false), debut_partie(true), game_over(false), saisie_active(true),
      etat_selection(0), maille_selection(-1), couleurs_nouv_pions{0, 0, 0, 0},
      compteur_game_over(0), nb_etapes(0), etape(0), maille_courante(-1), maille_suivante(-1),
      couleur_deplacee(-1), index_chemin(-1)
{
    alea.seed_from_system();
    score = 0;
    for (int j = 0; j < NB_LIGNES; ++j) {
        ligne_valide[j] = false;
        for (int& c : lignes[j])
            c = -1;
    }
}

void plateau::lire_lignes(const char* path)
{
    lire_fichier_lignes(path, lignes, ligne_valide);
}

void plateau::lire_mailles(const char* path)
{
    lire_fichier_mailles(path, mailles);
}

void plateau::clic(int cell)
{
    if (!saisie_active || !est_maille(cell))
        return;
    if (mailles[cell].couleur != -1) {
        if (etat_selection == 1 && est_maille(maille_selection)) {
            mailles[maille_selection].selectionne = false;
            mailles[maille_selection].image = 0;
        }
        mailles[cell].selectionne = true;
        maille_selection = cell;
        etat_selection = 1;
        calcul_chemins();
        return;
    }
    if (etat_selection != 1)
        return;
    index_chemin = maille_selection * NB_MAILLES + cell;
    nb_etapes = chemins.depart() == maille_selection ? chemins.longueur(cell) : 0;
    if (nb_etapes > 0) {
        saisie_active = false;
        etape = 0;
        couleur_deplacee = mailles[maille_selection].couleur;
    }
}

void plateau::calcul_chemins()
{
    chemins.calcule(mailles, maille_selection);
}

// A step takes three frames: the piece starts to vanish from the cell it leaves and shows up
// on the next one; once the cell left is empty (two animation steps later) the step counts;
// the frame after, the next step starts or, after the last, the runs are checked.
void plateau::deplacement_pion()
{
    if (saisie_active)
        return;
    if (maille_courante != -1) {
        if (mailles[maille_courante].couleur != -1)
            return;
        ++etape;
        maille_courante = -1;
        if (etape != nb_etapes)
            return;
        controle_lignes();
        saisie_active = true;
        etat_selection = 0;
        return;
    }
    const int cible = index_chemin % NB_MAILLES;
    const int courante = etape == 0 ? maille_selection : chemins.cellule(cible, etape - 1);
    const int suivante = chemins.cellule(cible, etape);
    if (!est_maille(courante) || !est_maille(suivante)) {
        // Not reachable through clic(); ends a move that has no route left to play.
        saisie_active = true;
        etat_selection = 0;
        return;
    }
    ++sons_mouvement;
    maille_courante = courante;
    pion& depart = mailles[maille_courante];
    depart.selectionne = false;
    depart.image = 3;
    depart.increment = +1;
    maille_suivante = suivante;
    pion& arrivee = mailles[maille_suivante];
    arrivee.couleur = couleur_deplacee;
    arrivee.image = 1;
    arrivee.increment = -1;
}

// Every complete run counts, not only those through the piece just moved; a cell shared by
// several runs is counted once. Marks stay until the piece has vanished, so a run still
// fading from the last check counts again.
void plateau::controle_lignes()
{
    for (int j = 0; j < NB_LIGNES; ++j) {
        if (!ligne_valide[j])
            continue;
        const int* l = lignes[j];
        const int c = mailles[l[0]].couleur;
        if (c == -1)
            continue;
        bool complete = true;
        for (int k = 1; k < 5; ++k)
            complete = complete && mailles[l[k]].couleur == c;
        if (complete)
            for (int k = 0; k < 5; ++k)
                mailles[l[k]].marque = true;
    }
    int retires = 0;
    for (pion& p : mailles)
        if (p.marque) {
            ++retires;
            p.increment = +1;
        }
    if (retires == 0) {
        nouv_pions_a_poser = true;
        return;
    }
    score += retires * retires;
    ++sons_ligne;
}

void plateau::choix_couleur_nouv_pions()
{
    for (int& c : couleurs_nouv_pions)
        c = static_cast<int>(alea.tirage(TIRAGE_COULEUR));
}

// Each new piece tries random cells until it finds a free one; a piece that needs too many
// tries is not placed and ends the game (a full board exhausts every try).
void plateau::dispose_nouv_pions()
{
    for (int couleur : couleurs_nouv_pions) {
        int cell = static_cast<int>(alea.tirage(TIRAGE_MAILLE));
        int essais = 0;
        while (mailles[cell].couleur != -1 && essais < ESSAIS_MAX) {
            ++essais;
            cell = static_cast<int>(alea.tirage(TIRAGE_MAILLE));
        }
        if (mailles[cell].couleur != -1 || essais >= ESSAIS_TROP) {
            game_over = true;
            saisie_active = true;
            continue;
        }
        pion& p = mailles[cell];
        p.couleur = couleur;
        p.image = IMAGE_MAX;
        p.increment = -1;
        p.selectionne = false;
    }
    choix_couleur_nouv_pions();
}

// The selected piece blinks between frames 0 and 1 and makes no other progress; an appearing
// piece comes to rest at frame 0; a vanishing piece past the last frame leaves the cell empty.
int plateau::animation()
{
    int occupees = 0;
    for (pion& p : mailles) {
        int v = p.image + p.increment;
        if (p.selectionne)
            v = v == 0 ? 1 : 0;
        if (v < 0) {
            p.increment = 0;
            p.image = 0;
        } else if (v > IMAGE_MAX) {
            p.couleur = -1;
            p.image = 0;
            p.increment = 0;
            p.marque = false;
        } else {
            p.image = v;
        }
        if (p.couleur != -1)
            ++occupees;
    }
    return occupees;
}

void plateau::logic()
{
    if (debut_partie)
        choix_couleur_nouv_pions();
    if (nouv_pions_a_poser || debut_partie) {
        if (!game_over) {
            dispose_nouv_pions();
            nouv_pions_a_poser = false;
        }
        debut_partie = false;
    }
    deplacement_pion();
    if (animation() == NB_MAILLES)
        game_over = true;
    if (!game_over)
        return;
    ++compteur_game_over;
    for (int k = 0; k < 5; ++k)
        mailles[alea.tirage(TIRAGE_MAILLE)].increment = +1;
    for (int k = 0; k < 3; ++k) {
        pion& p = mailles[alea.tirage(TIRAGE_MAILLE)];
        p.image = IMAGE_MAX;
        p.couleur = static_cast<int>(alea.tirage(TIRAGE_COULEUR));
        p.increment = -1;
    }
}
