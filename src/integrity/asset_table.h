// The shipped asset files with the checksum and size each must have.
#pragma once

#include <cstdint>

struct asset_entry
{
    const char* path;
    bool check_crc; // false: only the size is compared
    uint32_t crc;
    uint32_t size;
};

constexpr int ASSET_COUNT = 20;

// In the order of their numbers (entry 1 first); printed from data/ by
// tools/print_asset_table.py.
extern const asset_entry asset_table[ASSET_COUNT];
