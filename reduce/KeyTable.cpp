// SPDX-License-Identifier: GPL-3.0-or-later
#include "reduce/KeyTable.h"

namespace
{

constexpr std::size_t kFirstSlots = 1024;

std::uint64_t Mix(std::uint64_t key)
{
    key ^= key >> 33;
    key *= 0xFF51AFD7ED558CCDull;
    return key ^ (key >> 29);
}

} // namespace

CKeyTable::CKeyTable() : m_keys(kFirstSlots), m_numbers(kFirstSlots, -1), m_mask(kFirstSlots - 1)
{
}

std::int32_t CKeyTable::Number(std::uint64_t key)
{
    for (std::uint64_t slot = Mix(key) & m_mask;; slot = (slot + 1) & m_mask)
    {
        if (m_numbers[slot] < 0)
        {
            m_keys[slot] = key;
            m_numbers[slot] = m_count;
            if (std::uint64_t(++m_count) * 2 > m_keys.size())
                Grow();
            return m_count - 1;
        }
        if (m_keys[slot] == key)
            return m_numbers[slot];
    }
}

void CKeyTable::Grow()
{
    std::vector<std::uint64_t> keys(m_keys.size() * 2);
    std::vector<std::int32_t> numbers(keys.size(), -1);
    const std::uint64_t mask = keys.size() - 1;
    for (std::size_t i = 0; i < m_keys.size(); ++i)
    {
        if (m_numbers[i] < 0)
            continue;
        std::uint64_t slot = Mix(m_keys[i]) & mask;
        while (numbers[slot] >= 0)
            slot = (slot + 1) & mask;
        keys[slot] = m_keys[i];
        numbers[slot] = m_numbers[i];
    }
    m_keys.swap(keys);
    m_numbers.swap(numbers);
    m_mask = mask;
}
