// A headless player for the rules: random legal moves, each played to rest, with the
// bookkeeping of pieces and points checked after every move.
#pragma once

#include "game/plateau.h"
#include "game/score.h"

#include <cstdint>
#include <random>
#include <string>

class partie_aleatoire
{
public:
    // What a game gave: how it ended, its moves, frames and the pieces that came and went.
    enum fin
    {
        EN_COURS,      // still going
        GAME_OVER,     // the rules ended it
        PLATEAU_BLOQUE // no piece on the board can move and nothing is due to be dealt
    };

    // Plays on `p`, already read from its files and seeded. `lignes_de_cinq`: the line table
    // holds runs of five different cells (the shipped one), so a check removes 0 or at least 5.
    partie_aleatoire(plateau& p, uint32_t graine, bool lignes_de_cinq)
        : p(p), gen(graine), lignes_de_cinq(lignes_de_cinq)
    {
    }

    // Plays one move: a random piece that has somewhere to go, a random cell it can reach, then
    // frames until the board is at rest again. False once the game has ended (see etat) or an
    // invariant broke (see erreur).
    bool jouer_coup()
    {
        if (etat != EN_COURS || !erreur.empty())
            return false;
        if (!attendre_repos())
            return false;
        int pieces[NB_MAILLES], n = 0;
        for (int i = 0; i < NB_MAILLES; ++i)
            if (p.mailles[i].couleur != -1)
                pieces[n++] = i;
        // A random order of the pieces; the first with a reachable cell moves.
        for (int k = 0; k < n; ++k) {
            std::swap(pieces[k], pieces[k + static_cast<int>(gen() % (n - k))]);
            p.clic(pieces[k]);
            int cibles[NB_MAILLES], m = 0;
            for (int c = 0; c < NB_MAILLES; ++c)
                if (p.longueur_chemin(c) > 0)
                    cibles[m++] = c;
            if (m == 0)
                continue;
            return jouer_vers(cibles[gen() % m]);
        }
        etat = PLATEAU_BLOQUE;
        return false;
    }

    // Plays moves until the game ends or `max_coups` moves were played.
    void jouer(int max_coups)
    {
        while (coups < max_coups && jouer_coup()) {
        }
    }

    fin etat = EN_COURS;
    std::string erreur; // the first broken invariant, empty while all hold
    long coups = 0;
    long images = 0;   // logic() frames played
    long posees = 0;   // pieces dealt
    long retirees = 0; // pieces removed in runs
    long points = 0;   // the sum of the squares of the counts removed at each check

    // Frames a move may take before it counts as stuck: the longest route has fewer than 126
    // steps of three frames, a check and its fading take a few more.
    static constexpr int IMAGES_MAX_PAR_COUP = 1000;

private:
    plateau& p;
    std::mt19937 gen;
    bool lignes_de_cinq;

    static bool est_maille(int n) { return n >= 0 && n < NB_MAILLES; }

    int occupees() const
    {
        int n = 0;
        for (const pion& m : p.mailles)
            n += m.couleur != -1;
        return n;
    }

    bool au_repos() const
    {
        if (!p.saisie_active || p.nouv_pions_a_poser || p.debut_partie)
            return false;
        for (const pion& m : p.mailles)
            if (m.increment != 0 || m.marque)
                return false;
        return true;
    }

    void faute(const std::string& quoi)
    {
        if (erreur.empty())
            erreur = quoi + " (move " + std::to_string(coups) + ", frame " +
                     std::to_string(images) + ")";
    }

    // Every number the screen or the rules index with stays in range.
    void verifier_bornes()
    {
        for (int i = 0; i < NB_MAILLES; ++i) {
            const pion& m = p.mailles[i];
            if (m.couleur < -1 || m.couleur >= NB_COULEURS || m.image < 0 || m.image > IMAGE_MAX ||
                m.increment < -1 || m.increment > 1)
                faute("cell " + std::to_string(i) + " out of range: colour " +
                      std::to_string(m.couleur) + " image " + std::to_string(m.image));
            for (int v : m.voisins)
                if (v != -1 && !est_maille(v))
                    faute("neighbour out of range at cell " + std::to_string(i));
        }
        for (int c : p.couleurs_nouv_pions)
            if (c < 0 || c >= NB_COULEURS)
                faute("preview colour out of range");
        if (p.etat_selection == 1 && !est_maille(p.maille_selection))
            faute("selection out of range");
    }

    // One logic() frame. Pieces that appear or vanish while a move is played belong to the
    // move; the others were dealt or removed in a run.
    struct bilan
    {
        int apparues = 0, disparues = 0;
    };
    bilan image_suivante()
    {
        int avant[NB_MAILLES];
        for (int i = 0; i < NB_MAILLES; ++i)
            avant[i] = p.mailles[i].couleur;
        const int libres = NB_MAILLES - occupees();
        const bool pendant_coup = !p.saisie_active;
        const bool donne_due = p.nouv_pions_a_poser || p.debut_partie;
        const bool premiere_donne = p.debut_partie;
        int apercu[4];
        for (int k = 0; k < 4; ++k)
            apercu[k] = p.couleurs_nouv_pions[k];
        const long score_avant = score;

        p.logic();
        p.sons_mouvement = p.sons_ligne = 0;
        ++images;
        verifier_bornes();

        if (p.game_over) {
            // The frame that ends a game also starts its churn of pieces, so only its cause is
            // checked: the board was (nearly) full.
            etat = GAME_OVER;
            if (libres > 4)
                faute("game over with " + std::to_string(libres) + " free cells");
            if (score != score_avant)
                faute("points scored on the frame that ended the game");
            return {};
        }
        bilan b;
        int couleurs_posees[NB_COULEURS] = {};
        for (int i = 0; i < NB_MAILLES; ++i) {
            const bool etait = avant[i] != -1, est = p.mailles[i].couleur != -1;
            if (!etait && est) {
                ++b.apparues;
                if (!pendant_coup)
                    ++couleurs_posees[p.mailles[i].couleur];
            }
            b.disparues += etait && !est;
        }
        if (!pendant_coup) {
            if (b.apparues > 0) {
                if (!donne_due)
                    faute("pieces appeared with no deal due");
                if (b.apparues != 4)
                    faute("a deal onto " + std::to_string(libres) + " free cells placed " +
                          std::to_string(b.apparues));
                // The first deal draws its preview on the same frame; later ones deal the
                // preview the player saw.
                if (!premiere_donne) {
                    for (int k = 0; k < 4; ++k)
                        --couleurs_posees[apercu[k]];
                    for (int c : couleurs_posees)
                        if (c != 0)
                            faute("the dealt colours are not the preview's");
                }
            }
            if (score != score_avant)
                faute("points scored outside a move");
        }
        return b;
    }

    // Frames until the board is at rest (the first deal, the fading of a run, a deal).
    bool attendre_repos()
    {
        for (int k = 0; !au_repos(); ++k) {
            if (k == IMAGES_MAX_PAR_COUP) {
                faute("the board never came to rest");
                return false;
            }
            const bilan b = image_suivante();
            posees += b.apparues;
            retirees += b.disparues;
            if (etat != EN_COURS || !erreur.empty())
                return false;
        }
        return true;
    }

    // Plays the move of the selected piece to `cible` and checks its bookkeeping.
    bool jouer_vers(int cible)
    {
        const int etapes = p.longueur_chemin(cible);
        const int avant = occupees();
        const long score_avant = score;
        p.clic(cible);
        if (p.saisie_active) {
            faute("a move to a reachable cell did not start");
            return false;
        }
        int arrivees = 0, departs = 0, posees_coup = 0, retirees_coup = 0;
        for (int k = 0; !au_repos(); ++k) {
            if (k == IMAGES_MAX_PAR_COUP) {
                faute("a move never came to rest");
                return false;
            }
            const bool pendant_coup = !p.saisie_active;
            const bilan b = image_suivante();
            if (etat != EN_COURS || !erreur.empty())
                return false;
            if (pendant_coup) {
                arrivees += b.apparues;
                departs += b.disparues;
            } else {
                posees_coup += b.apparues;
                retirees_coup += b.disparues;
            }
        }
        ++coups;
        posees += posees_coup;
        retirees += retirees_coup;
        const int apres = occupees();
        const long gain = score - score_avant;
        if (arrivees != etapes || departs != etapes)
            faute("a route of " + std::to_string(etapes) + " steps entered " +
                  std::to_string(arrivees) + " and left " + std::to_string(departs) + " cells");
        if (avant + posees_coup - retirees_coup != apres)
            faute(std::to_string(avant) + " pieces + " + std::to_string(posees_coup) + " dealt - " +
                  std::to_string(retirees_coup) + " removed != " + std::to_string(apres));
        if (gain != static_cast<long>(retirees_coup) * retirees_coup)
            faute(std::to_string(retirees_coup) + " removed scored " + std::to_string(gain));
        if (lignes_de_cinq && retirees_coup > 0 && retirees_coup < 5)
            faute("a run of " + std::to_string(retirees_coup) + " pieces");
        if (retirees_coup > 0 && posees_coup > 0)
            faute("a move that removed a run also dealt");
        points += static_cast<long>(retirees_coup) * retirees_coup;
        if (points != score)
            faute("score " + std::to_string(score) + " is not the sum of the squares " +
                  std::to_string(points));
        return erreur.empty();
    }
};
