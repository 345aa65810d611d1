// Fuzz target: the input is the line file (lignes.txt), read into a board beside the shipped
// neighbour file, then a few hundred random moves seeded from the input are played on it.
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz_board_file(data, size, false);
    return 0;
}
