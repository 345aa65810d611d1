// Fuzz target: the input is the neighbour file (grille_mailles.txt), read into a board beside the
// shipped line file, then a few hundred random moves seeded from the input are played on it.
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz_board_file(data, size, true);
    return 0;
}
