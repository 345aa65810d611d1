// CRC-32 of a whole file.
#pragma once

#include <cstdint>

// The standard CRC-32 (ISO-HDLC, as in zlib and PNG) of the file's bytes, and its size in
// *size. 0 and 0 for a file that cannot be opened.
uint32_t file_crc32(const char* path, uint32_t* size);
