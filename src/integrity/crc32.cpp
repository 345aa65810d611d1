// CRC-32 of a whole file, read in chunks.
#include "integrity/crc32.h"

#include <cstdio>
#include <vector>
#include <zlib.h>

namespace {

constexpr size_t CHUNK_SIZE = 64 * 1024;

} // namespace

// The checksum must be the catalogued CRC-32/ISO-HDLC (the one of zlib, PNG and Ethernet):
// generator polynomial 0x04C11DB7 processed bit-reflected, register preset to 0xFFFFFFFF and
// the result XORed with 0xFFFFFFFF; "123456789" gives 0xCBF43926. zlib's crc32() is exactly
// that and carries the register between calls, so the file is fed to it chunk by chunk and
// never has to be held in memory whole.
uint32_t file_crc32(const char* path, uint32_t* size)
{
    *size = 0;
    FILE* file = std::fopen(path, "rb");
    if (file == nullptr)
        return 0;
    std::vector<unsigned char> buffer(CHUNK_SIZE);
    uLong crc = crc32(0L, Z_NULL, 0);
    uint32_t total = 0;
    size_t got;
    while ((got = std::fread(buffer.data(), 1, CHUNK_SIZE, file)) > 0) {
        crc = crc32(crc, buffer.data(), static_cast<uInt>(got));
        total += static_cast<uint32_t>(got);
    }
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) // unreadable (a directory, an I/O error): treated like a file that is not there
        return 0;
    *size = total;
    return static_cast<uint32_t>(crc);
}
