// What the fuzz targets share: a temporary working directory, the shipped board files, and a
// check that stops the process so that the fuzzer records the input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Every target process runs in a fresh directory under $TMPDIR (or /tmp) holding an empty data/
// (entered before the log file opens, removed at exit): nothing is written anywhere else.
std::string fuzz_work_dir();
// The directory the process was started in, against which its relative arguments resolve.
std::string fuzz_start_dir();

// A file of the repository's data/ directory.
std::string shipped_file(const std::string& name);

void write_bytes(const std::string& path, const uint8_t* data, size_t size);
std::string read_bytes(const std::string& path);

// Starts the log afresh, so that millions of inputs do not fill the disk.
void reset_log();

// A seed for everything random an input does: the same bytes always play the same way.
uint32_t input_seed(const uint8_t* data, size_t size);

// Writes the bytes as one board file (the other one shipped), reads both into a board through
// the rules and plays a few hundred seeded random moves on it with every invariant checked.
void fuzz_board_file(const uint8_t* data, size_t size, bool neighbour_file);

[[noreturn]] void fuzz_fail(const char* file, int line, const std::string& what);
#define FUZZ_CHECK(cond, what)                                                                     \
    do {                                                                                           \
        if (!(cond))                                                                               \
            fuzz_fail(__FILE__, __LINE__, what);                                                   \
    } while (0)
