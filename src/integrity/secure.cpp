// The start-up check of the shipped asset files.
#include "integrity/secure.h"

#include "integrity/asset_table.h"
#include "integrity/crc32.h"

// Every entry is read and compared even after a failure, so the number reported is that of the
// last failing entry in table order. A missing file reads as size 0, which no entry expects.
bool secure_fichiers(int* failed_entry)
{
    bool failed = false;
    for (int i = 0; i < ASSET_COUNT; ++i) {
        const asset_entry& entry = asset_table[i];
        uint32_t size = 0;
        const uint32_t crc = file_crc32(entry.path, &size);
        const bool matches = size == entry.size && (!entry.check_crc || crc == entry.crc);
        if (!matches) {
            *failed_entry = i + 1;
            failed = true;
        }
    }
    return failed;
}
