#pragma once

#include <cstddef>

// Memory for BMP imports: the file block and every block DevIL asks for.
//
// glibc hands a large free chunk at the end of its heap back to the system,
// so without this each import would fault in fresh pages for the same couple
// of hundred kilobytes, which took a quarter of a sheet's import time.
// A few freed blocks of moderate size are kept for the next import instead.
// Blocks are plain malloc blocks: any of them may be given to free(), and
// ReleaseImportMemory takes any malloc block, because DevIL mixes the two.
// The blocks kept belong to the calling thread.

// A block whose contents are unspecified.
void* AllocateImportMemory(std::size_t size);

// A block of zero bytes, as calloc gives.
void* AllocateZeroedImportMemory(std::size_t size);

// Gives a block back; a null pointer is ignored.
void ReleaseImportMemory(void* block);
