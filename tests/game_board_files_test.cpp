// The shipped board files against the board's shape, and the readers on good and bad files.
#include "board_topology.h"
#include "game/fichiers_plateau.h"
#include "game/plateau.h"
#include "game/score.h"
#include "game_fixture.h"
#include "support/test_env.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <sstream>

namespace {

std::vector<int> voisins_lus(const pion& m)
{
    std::vector<int> v;
    for (int n : m.voisins)
        if (n != -1)
            v.push_back(n);
    std::sort(v.begin(), v.end());
    return v;
}

// A run as a set of cells, independent of its direction of writing.
topologie::run trie(topologie::run r)
{
    std::sort(r.begin(), r.end());
    return r;
}

// The shipped neighbour file rewritten: records with other first numbers, neighbours in
// reversed order, one number per line.
std::string grille_remaniee()
{
    std::istringstream in(read_file("./data/grille_mailles.txt"));
    std::string out;
    for (int i = 0; i < NB_MAILLES; ++i) {
        int premier, v[6];
        in >> premier;
        for (int& n : v)
            in >> n;
        out += std::to_string(1000 + i) + "\n";
        for (int k = 5; k >= 0; --k)
            out += "\t" + std::to_string(v[k]) + "\n";
    }
    return out;
}

// Five numbers of one to three digits without leading zeros, one space between them.
bool cinq_nombres(const std::string& ligne)
{
    std::istringstream in(ligne);
    std::string mot, refait;
    int n = 0;
    while (std::getline(in, mot, ' ')) {
        if (mot.empty() || mot.size() > 3 || (mot.size() > 1 && mot[0] == '0') ||
            mot.find_first_not_of("0123456789") != std::string::npos)
            return false;
        refait += (n++ ? " " : "") + mot;
    }
    return n == 5 && refait == ligne;
}

} // namespace

TEST(ShippedBoardFiles, NeighboursFollowTheBoardShape)
{
    pion mailles[NB_MAILLES];
    ASSERT_TRUE(lire_fichier_mailles("./data/grille_mailles.txt", mailles));
    std::map<int, int> degres;
    for (int i = 0; i < NB_MAILLES; ++i) {
        EXPECT_EQ(voisins_lus(mailles[i]), topologie::voisins(i)) << "cell " << i;
        degres[static_cast<int>(voisins_lus(mailles[i]).size())] += 1;
    }
    EXPECT_EQ(degres, (std::map<int, int>{{2, 2}, {3, 12}, {4, 17}, {5, 10}, {6, 85}}));

    const std::map<int, std::vector<int>> exemples = {
        {0, {6, 12}}, {6, {0, 1, 12, 13, 18}}, {61, {49, 54, 55, 66, 67, 73}}, {120, {108, 114}}};
    for (const auto& [cell, attendus] : exemples)
        EXPECT_EQ(voisins_lus(mailles[cell]), attendus) << "cell " << cell;
}

TEST(ShippedBoardFiles, LinesAreEveryRunOfFiveAlongTheFiveDirections)
{
    int lignes[NB_LIGNES][5];
    bool valides[NB_LIGNES];
    ASSERT_TRUE(lire_fichier_lignes("./data/lignes.txt", lignes, valides));

    std::set<topologie::run> attendus;
    const int par_direction[topologie::NB_DIRECTIONS] = {78, 68, 68, 80, 80};
    for (int d = 0; d < topologie::NB_DIRECTIONS; ++d) {
        const auto runs = topologie::runs(static_cast<topologie::direction>(d));
        EXPECT_EQ(static_cast<int>(runs.size()), par_direction[d]) << "direction " << d;
        for (const auto& r : runs)
            attendus.insert(trie(r));
    }
    ASSERT_EQ(attendus.size(), 374u);

    std::set<topologie::run> lus;
    for (int j = 0; j < NB_LIGNES; ++j) {
        ASSERT_TRUE(valides[j]) << "record " << j;
        topologie::run r;
        std::copy(lignes[j], lignes[j] + 5, r.begin());
        for (int k = 0; k < 4; ++k)
            EXPECT_TRUE(topologie::voisines(r[k], r[k + 1])) << "record " << j;
        lus.insert(trie(r));
    }
    EXPECT_EQ(lus, attendus);

    // The examples of each direction are among them.
    for (topologie::run r : {topologie::run{0, 12, 24, 36, 48}, topologie::run{0, 6, 13, 19, 26},
                             topologie::run{24, 18, 13, 7, 2}, topologie::run{0, 6, 1, 7, 2},
                             topologie::run{12, 6, 13, 7, 14}})
        EXPECT_EQ(lus.count(trie(r)), 1u);
}

TEST(ShippedBoardFiles, LinesFileHasItsExactForm)
{
    const std::string texte = read_file("./data/lignes.txt");
    EXPECT_EQ(texte.size(), 6185u);
    EXPECT_NE(texte.substr(texte.size() - 2), "\r\n");
    int lignes = 0;
    size_t debut = 0;
    while (true) {
        const size_t fin = texte.find("\r\n", debut);
        const std::string l = texte.substr(debut, fin == std::string::npos ? fin : fin - debut);
        EXPECT_TRUE(cinq_nombres(l)) << "line " << lignes << ": " << l;
        ++lignes;
        if (fin == std::string::npos)
            break;
        debut = fin + 2;
    }
    EXPECT_EQ(lignes, NB_LIGNES);
}

TEST(ShippedBoardFiles, NeighbourFileHoldsOneRecordPerCell)
{
    std::istringstream in(read_file("./data/grille_mailles.txt"));
    for (int i = 0; i < NB_MAILLES; ++i) {
        int nombres[7];
        for (int& n : nombres)
            ASSERT_TRUE(in >> n) << "record " << i;
        EXPECT_EQ(nombres[0], i);
    }
    int reste;
    EXPECT_FALSE(in >> reste);
}

TEST(NeighbourFileReader, AnyFirstNumberOrderAndSpacingGiveTheSameBoard)
{
    write_file("remaniee.txt", grille_remaniee());
    pion lus[NB_MAILLES], attendus[NB_MAILLES];
    ASSERT_TRUE(lire_fichier_mailles("remaniee.txt", lus));
    ASSERT_TRUE(lire_fichier_mailles("./data/grille_mailles.txt", attendus));
    for (int i = 0; i < NB_MAILLES; ++i)
        EXPECT_EQ(voisins_lus(lus[i]), voisins_lus(attendus[i])) << "cell " << i;
}

TEST(NeighbourFileReader, EmptiesEveryCell)
{
    pion mailles[NB_MAILLES];
    mailles[3].selectionne = true;
    mailles[3].marque = true;
    ASSERT_TRUE(lire_fichier_mailles("./data/grille_mailles.txt", mailles));
    for (const pion& m : mailles) {
        EXPECT_EQ(m.couleur, -1);
        EXPECT_EQ(m.image, 4);
        EXPECT_EQ(m.increment, -1);
        EXPECT_FALSE(m.marque);
        EXPECT_FALSE(m.selectionne);
    }
}

// Without the neighbour file every cell keeps its constructed piece of colour 5: the board is
// full, nothing can be dealt and the game ends on its first frame.
TEST(NeighbourFileReader, MissingFileLeavesAFullBoardAndEndsTheGame)
{
    LogMark mark;
    plateau p;
    p.lire_lignes("./data/lignes.txt");
    p.lire_mailles("./data/absent.txt");
    EXPECT_EQ(mark.since(), "ERREUR OUVERTURE FICHIER grille_mailles.txt\n");
    for (const pion& m : p.mailles) {
        EXPECT_EQ(m.couleur, 5);
        EXPECT_EQ(m.image, 4);
        EXPECT_EQ(m.increment, -1);
        EXPECT_EQ(voisins_lus(m), std::vector<int>{});
    }
    p.alea.init_by_array(CLE_TEST, 4);
    EXPECT_FALSE(p.game_over);
    p.logic();
    EXPECT_TRUE(p.game_over);
    EXPECT_EQ(p.compteur_game_over, 1);
}

// Numbers outside the board would index past the cells: each one is dropped alone and its cell
// logged; the cell keeps its other neighbours and the rest of the file still counts.
TEST(NeighbourFileReader, NeighboursOffTheBoardAreDroppedAlone)
{
    std::istringstream in(read_file("./data/grille_mailles.txt"));
    std::string out;
    // cell -> the entry changed and the text written there
    const std::map<int, std::pair<int, std::string>> changes = {
        {3, {2, "126"}},   {7, {6, "-5"}},           {10, {1, "2000000000"}},
        {20, {3, "-2"}},   {30, {4, "99999999999"}}, {40, {5, "-99999999999"}},
        {125, {6, "500"}},
    };
    std::map<int, int> dropped; // cell -> neighbour entry that became -1
    for (int i = 0; i < NB_MAILLES; ++i) {
        std::string v[7];
        for (std::string& n : v)
            in >> n;
        const auto change = changes.find(i);
        if (change != changes.end()) {
            v[change->second.first] = change->second.second;
            dropped[i] = change->second.first - 1;
        }
        for (const std::string& n : v)
            out += n + " ";
        out += "\n";
    }
    write_file("mauvaise.txt", out);

    LogMark mark;
    pion lus[NB_MAILLES], attendus[NB_MAILLES];
    ASSERT_TRUE(lire_fichier_mailles("mauvaise.txt", lus));
    std::string log;
    for (const auto& [cell, entry] : dropped)
        log += "grille_mailles.txt: voisin hors du plateau ignor\xe9, maille: " +
               std::to_string(cell) + "\n";
    EXPECT_EQ(mark.since(), log);
    ASSERT_TRUE(lire_fichier_mailles("./data/grille_mailles.txt", attendus));
    for (int i = 0; i < NB_MAILLES; ++i) {
        for (int k = 0; k < NB_VOISINS; ++k) {
            const auto d = dropped.find(i);
            const int expected = d != dropped.end() && d->second == k ? -1 : attendus[i].voisins[k];
            EXPECT_EQ(lus[i].voisins[k], expected) << "cell " << i << " entry " << k;
        }
    }
}

// A record cut short keeps the neighbours read before the fault; the cells after it have none.
TEST(NeighbourFileReader, ShortOrGarbledFileKeepsEverythingReadBeforeTheFault)
{
    const std::string complet = read_file("./data/grille_mailles.txt");
    pion attendus[NB_MAILLES];
    ASSERT_TRUE(lire_fichier_mailles("./data/grille_mailles.txt", attendus));
    std::istringstream in(complet);
    std::string cinquante_et_demi;
    for (int i = 0; i < 50 * 7 + 3; ++i) {
        std::string mot;
        in >> mot;
        cinquante_et_demi += mot + " ";
    }
    struct cas
    {
        std::string texte;
        int lues;
        int voisins_du_dernier; // neighbour entries of record `lues` that were read
    };
    const cas cas_[] = {
        {cinquante_et_demi, 50, 2},          {cinquante_et_demi + "abc 1 2 3", 50, 2}, {"", 0, 0},
        {"0 12 6 -1 -1 -1 -1 1 13 x", 1, 1}, {"0 12 6 -1 -1 -1 -1 1", 1, 0},
    };
    for (const cas& c : cas_) {
        write_file("courte.txt", c.texte);
        LogMark mark;
        pion lus[NB_MAILLES];
        ASSERT_TRUE(lire_fichier_mailles("courte.txt", lus));
        EXPECT_EQ(mark.since(),
                  "grille_mailles.txt incomplet, mailles lues: " + std::to_string(c.lues) + "\n");
        for (int i = 0; i < NB_MAILLES; ++i) {
            EXPECT_EQ(lus[i].couleur, -1);
            for (int k = 0; k < NB_VOISINS; ++k) {
                const bool lu = i < c.lues || (i == c.lues && k < c.voisins_du_dernier);
                EXPECT_EQ(lus[i].voisins[k], lu ? attendus[i].voisins[k] : -1)
                    << "cell " << i << " entry " << k << " with " << c.lues << " records";
            }
        }
    }
}

TEST(LineFileReader, RecordsWithNumbersOffTheBoardAreUnusable)
{
    std::istringstream in(read_file("./data/lignes.txt"));
    std::string out;
    for (int j = 0; j < NB_LIGNES; ++j) {
        int c[5];
        for (int& n : c)
            in >> n;
        if (j == 0)
            c[4] = 126;
        if (j == 200)
            c[0] = -1;
        for (int n : c)
            out += std::to_string(n) + " ";
    }
    write_file("mauvaises.txt", out);

    LogMark mark;
    int lignes[NB_LIGNES][5];
    bool valides[NB_LIGNES];
    ASSERT_TRUE(lire_fichier_lignes("mauvaises.txt", lignes, valides));
    EXPECT_EQ(mark.since(), "lignes.txt: case hors du plateau, ligne ignor\xe9"
                            "e: 0\n"
                            "lignes.txt: case hors du plateau, ligne ignor\xe9"
                            "e: 200\n");
    for (int j = 0; j < NB_LIGNES; ++j) {
        EXPECT_EQ(valides[j], j != 0 && j != 200) << "record " << j;
        for (int c : lignes[j])
            EXPECT_TRUE(valides[j] ? (c >= 0 && c < NB_MAILLES) : c == -1);
    }
}

TEST(LineFileReader, ShortMissingOrEmptyFileLeavesTheUnreadRecordsOut)
{
    const std::string complet = read_file("./data/lignes.txt");
    struct cas
    {
        const char* fichier;
        std::string texte; // not written when empty and the file is to be missing
        int lues;
        std::string log;
    };
    const cas cas_[] = {
        {"une.txt", complet.substr(0, complet.find("\r\n", 0) + 2), 1,
         "lignes.txt incomplet, lignes lues: 1\n"},
        {"vide.txt", " ", 0, "lignes.txt incomplet, lignes lues: 0\n"},
        {"absent.txt", "", 0, "ERREUR OUVERTURE FICHIER lignes.txt\n"},
    };
    for (const cas& c : cas_) {
        if (!c.texte.empty())
            write_file(c.fichier, c.texte);
        LogMark mark;
        int lignes[NB_LIGNES][5];
        bool valides[NB_LIGNES];
        EXPECT_EQ(lire_fichier_lignes(c.fichier, lignes, valides), !c.texte.empty());
        EXPECT_EQ(mark.since(), c.log);
        for (int j = 0; j < NB_LIGNES; ++j)
            EXPECT_EQ(valides[j], j < c.lues) << c.fichier << " record " << j;
    }
}

// A run on unusable records is not removed: the move scores nothing and new pieces are due.
TEST(LineFileReader, GameGoesOnWithoutTheLineTable)
{
    LogMark mark;
    plateau p;
    preparer(p);
    p.lire_lignes("./data/absent.txt");
    EXPECT_EQ(mark.since(), "ERREUR OUVERTURE FICHIER lignes.txt\n");
    poser_couleur(p, 2, "0 12 24 36 48");
    p.controle_lignes();
    EXPECT_EQ(score, 0);
    EXPECT_TRUE(p.nouv_pions_a_poser);
    EXPECT_FALSE(p.mailles[0].marque);
}

TEST(LineFileReader, RecordOrderDoesNotChangeTheScore)
{
    // The table written backwards, each record reversed too.
    std::istringstream in(read_file("./data/lignes.txt"));
    std::vector<std::string> records;
    for (int j = 0; j < NB_LIGNES; ++j) {
        int c[5];
        for (int& n : c)
            in >> n;
        records.push_back(std::to_string(c[4]) + " " + std::to_string(c[3]) + " " +
                          std::to_string(c[2]) + " " + std::to_string(c[1]) + " " +
                          std::to_string(c[0]));
    }
    std::string envers;
    for (auto it = records.rbegin(); it != records.rend(); ++it)
        envers += *it + "\n";
    write_file("envers.txt", envers);

    int scores[2];
    for (int essai = 0; essai < 2; ++essai) {
        plateau p;
        preparer(p);
        if (essai == 1)
            p.lire_lignes("envers.txt");
        // Two runs crossing in cell 24 (nine cells) and a run of six down column 10: fifteen
        // pieces removed in one check.
        poser_couleur(p, 1, "0 12 24 36 48 18 13 7 2");
        poser_couleur(p, 3, "5 17 29 41 53 65");
        p.controle_lignes();
        scores[essai] = score;
    }
    EXPECT_EQ(scores[0], 15 * 15);
    EXPECT_EQ(scores[1], 15 * 15);
}
