// What the fuzz targets share: a temporary working directory, the shipped board files, and a
// check that stops the process so that the fuzzer records the input.
#include "fuzz/fuzz_support.h"

#include "app/log.h"
#include "game/plateau.h"
#include "game/score.h"
#include "partie_aleatoire.h"
#include "support/system.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <zlib.h>

namespace fs = std::filesystem;

namespace {

char work_dir[256];
char start_dir[4096];

// Runs before the program's own static objects, the log file among them. The directory goes
// under the system's temporary folder: $TMPDIR when it is set on Linux (tools/fuzz.sh uses
// memory, where a sync costs nothing).
__attribute__((constructor(101))) void enter_fuzz_dir()
{
    std::error_code error;
    const std::string start = fs::current_path(error).string();
    if (!error && start.size() < sizeof start_dir)
        strcpy(start_dir, start.c_str());
    const std::string dir = test_system::make_temp_dir("brimzo-fuzz-");
    if (dir.empty() || dir.size() >= sizeof work_dir)
        abort();
    strcpy(work_dir, dir.c_str());
    if (!test_system::change_dir(work_dir))
        abort();
    fs::create_directory("data");
}

struct remove_fuzz_dir
{
    ~remove_fuzz_dir()
    {
        std::error_code ignored;
        if (work_dir[0] != 0)
            fs::remove_all(work_dir, ignored);
    }
} remover;

// Moves played on each fuzzed board.
constexpr int COUPS = 300;

} // namespace

std::string fuzz_work_dir()
{
    return work_dir;
}

std::string fuzz_start_dir()
{
    return start_dir;
}

std::string shipped_file(const std::string& name)
{
    static const std::string source = BRIMZO_SOURCE_DIR;
    return read_bytes(source + "/data/" + name);
}

void write_bytes(const std::string& path, const uint8_t* data, size_t size)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

std::string read_bytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void reset_log()
{
    log_file.close();
    log_file.clear();
    log_file.open("brimzo.log", std::ios::trunc);
}

uint32_t input_seed(const uint8_t* data, size_t size)
{
    return static_cast<uint32_t>(::crc32(0L, data, static_cast<uInt>(size)));
}

void fuzz_board_file(const uint8_t* data, size_t size, bool neighbour_file)
{
    static const std::string mailles_du_jeu = shipped_file("grille_mailles.txt");
    static const std::string lignes_du_jeu = shipped_file("lignes.txt");
    reset_log();
    const std::string mailles_path = "data/grille_mailles.txt", lignes_path = "data/lignes.txt";
    if (neighbour_file) {
        write_bytes(mailles_path, data, size);
        write_bytes(lignes_path, reinterpret_cast<const uint8_t*>(lignes_du_jeu.data()),
                    lignes_du_jeu.size());
    } else {
        write_bytes(mailles_path, reinterpret_cast<const uint8_t*>(mailles_du_jeu.data()),
                    mailles_du_jeu.size());
        write_bytes(lignes_path, data, size);
    }

    const uint32_t graine = input_seed(data, size);
    plateau p;
    p.lire_lignes(lignes_path.c_str());
    p.lire_mailles(mailles_path.c_str());
    p.alea.init_by_array(&graine, 1);
    for (int i = 0; i < NB_MAILLES; ++i)
        for (int v : p.mailles[i].voisins)
            FUZZ_CHECK(v >= -1 && v < NB_MAILLES, "neighbour out of range after reading");
    for (int j = 0; j < NB_LIGNES; ++j)
        for (int c : p.lignes[j])
            FUZZ_CHECK(p.ligne_valide[j] ? c >= 0 && c < NB_MAILLES : c == -1,
                       "line entry out of range after reading");

    // The shipped line table holds runs of five different cells; a fuzzed one may not.
    partie_aleatoire partie(p, graine, neighbour_file);
    partie.jouer(COUPS);
    FUZZ_CHECK(partie.erreur.empty(), partie.erreur);
}

void fuzz_fail(const char* file, int line, const std::string& what)
{
    std::fprintf(stderr, "%s:%d: fuzz check failed: %s\n", file, line, what.c_str());
    std::abort();
}
