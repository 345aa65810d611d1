// The start-up check of the shipped asset files.
#pragma once

// Checks every asset against its expected CRC-32 and size. True when at least one failed;
// *failed_entry then holds the number (1 to 20) of the last one that failed.
bool secure_fichiers(int* failed_entry);
