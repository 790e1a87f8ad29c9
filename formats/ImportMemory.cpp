#include "formats/ImportMemory.h"

#include <malloc.h>

#include <cstdlib>
#include <cstring>

namespace
{

// Importing a sheet needs two blocks above the smallest size kept, the file
// and DevIL's pixels, and a direct-colour picture a third for its converted
// pixels; six leave room for blocks of other sizes.
constexpr std::size_t kKeptBlocks = 6;
// Small blocks are served well by malloc itself.
constexpr std::size_t kSmallestKept = 16 * 1024;
// A large picture's blocks go back at once: at most 6 x 4 MiB stay behind.
constexpr std::size_t kLargestKept = 4 * 1024 * 1024;

// Checked before the thread's list is touched: most blocks DevIL asks for
// are small, and reaching a thread_local costs a call.
bool IsKeptSize(std::size_t size)
{
    return size >= kSmallestKept && size <= kLargestKept;
}

class CKeptBlocks
{
public:
    CKeptBlocks() = default;
    CKeptBlocks(const CKeptBlocks&) = delete;
    CKeptBlocks& operator=(const CKeptBlocks&) = delete;
    ~CKeptBlocks()
    {
        for (void* block : m_blocks)
            std::free(block);
    }

    // The smallest kept block that holds size bytes without wasting more than
    // half of itself, taken out of the list; null when there is none.
    void* Take(std::size_t size)
    {
        std::size_t best = kKeptBlocks;
        for (std::size_t i = 0; i < kKeptBlocks; ++i)
        {
            const std::size_t capacity = m_capacities[i];
            if (m_blocks[i] != nullptr && capacity >= size && capacity / 2 <= size &&
                (best == kKeptBlocks || capacity < m_capacities[best]))
                best = i;
        }
        if (best == kKeptBlocks)
            return nullptr;
        void* block = m_blocks[best];
        m_blocks[best] = nullptr;
        return block;
    }

    // Whether the block is now kept; otherwise it is still the caller's.
    bool Keep(void* block, std::size_t capacity)
    {
        for (std::size_t i = 0; i < kKeptBlocks; ++i)
            if (m_blocks[i] == nullptr)
            {
                m_blocks[i] = block;
                m_capacities[i] = capacity;
                return true;
            }
        return false;
    }

private:
    void* m_blocks[kKeptBlocks] = {};
    std::size_t m_capacities[kKeptBlocks] = {};
};

thread_local CKeptBlocks t_keptBlocks;

} // namespace

void* AllocateImportMemory(std::size_t size)
{
    if (IsKeptSize(size))
        if (void* block = t_keptBlocks.Take(size))
            return block;
    return std::malloc(size);
}

void* AllocateZeroedImportMemory(std::size_t size)
{
    if (IsKeptSize(size))
        if (void* block = t_keptBlocks.Take(size))
            return std::memset(block, 0, size);
    return std::calloc(1, size);
}

void ReleaseImportMemory(void* block)
{
    if (block == nullptr)
        return;
    const std::size_t capacity = malloc_usable_size(block);
    if (!IsKeptSize(capacity) || !t_keptBlocks.Keep(block, capacity))
        std::free(block);
}
