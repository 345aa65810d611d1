// CRC-32 of a whole file, computed with zlib's table-driven routine.
#include "integrity/crc32.h"

#include <fstream>
#include <vector>
#include <zlib.h>

uint32_t file_crc32(const char *path, uint32_t *size)
{
    *size = 0;
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in)
        return 0;
    const std::streamoff length = in.tellg();
    if (length <= 0)
        return 0;
    std::vector<unsigned char> bytes(static_cast<size_t>(length));
    in.seekg(0);
    in.read(reinterpret_cast<char *>(bytes.data()), length);
    *size = static_cast<uint32_t>(length);
    return static_cast<uint32_t>(crc32(0L, bytes.data(), static_cast<uInt>(bytes.size())));
}
