// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <vector>

// Numbers the distinct keys it is shown, 0, 1, 2, ... in the order they first
// come: an open-addressing table, so that a picture's pixels are counted in
// one pass without a node per colour. It doubles whenever half full.
class CKeyTable
{
public:
    CKeyTable();

    // The key's number, a new one when it was not seen before.
    std::int32_t Number(std::uint64_t key);
    std::int32_t Count() const { return m_count; }

private:
    void Grow();

    std::vector<std::uint64_t> m_keys;
    std::vector<std::int32_t> m_numbers; // -1 in an empty slot
    std::uint64_t m_mask = 0;
    std::int32_t m_count = 0;
};
