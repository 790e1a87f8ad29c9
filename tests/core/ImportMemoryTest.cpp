#include "formats/ImportMemory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace
{

bool AllZero(const void* block, std::size_t size)
{
    const auto* bytes = static_cast<const unsigned char*>(block);
    return std::all_of(bytes, bytes + size, [](unsigned char b) { return b == 0; });
}

TEST(ImportMemory, ZeroedBlocksAreZeroEvenWhenTheyReuseDirtyOnes)
{
    for (const std::size_t size : {100u, 20000u, 300000u, 6u << 20})
    {
        void* dirty = AllocateImportMemory(size);
        ASSERT_NE(dirty, nullptr);
        std::memset(dirty, 0xAB, size);
        ReleaseImportMemory(dirty);
        void* zeroed = AllocateZeroedImportMemory(size);
        ASSERT_NE(zeroed, nullptr);
        EXPECT_TRUE(AllZero(zeroed, size)) << size;
        ReleaseImportMemory(zeroed);
    }
}

TEST(ImportMemory, BlocksMixWithMallocAndFree)
{
    // DevIL frees some blocks with free() and gives back some it took from
    // malloc(); the sanitizer build checks that every pairing is sound.
    std::free(AllocateImportMemory(64 * 1024));
    ReleaseImportMemory(std::malloc(64 * 1024));
    ReleaseImportMemory(nullptr);
    void* block = AllocateImportMemory(64 * 1024);
    ASSERT_NE(block, nullptr);
    std::free(block);
}

TEST(ImportMemory, AThreadsKeptBlocksAreFreedWhenItEnds)
{
    // The sanitizer build's leak check fails if the blocks outlive the thread.
    std::thread(
        []
        {
            void* blocks[8];
            for (void*& block : blocks)
                block = AllocateImportMemory(32 * 1024);
            for (void* block : blocks)
                ReleaseImportMemory(block);
        })
        .join();
}

} // namespace
