// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/ColorTable.h"

#include <new>

CColorTable::CColorTable(const CColorTable& other) : CBaseObject(other)
{
    *this = other;
}

CColorTable& CColorTable::operator=(const CColorTable& other)
{
    if (this == &other)
        return *this;
    if (!SetSize(other.m_nCount))
        return *this;
    for (std::int32_t i = 0; i < m_nCount; ++i)
        m_pEntries[i] = other.m_pEntries[i];
    return *this;
}

CColorTable::~CColorTable()
{
    Release();
}

void CColorTable::Release()
{
    delete[] m_pEntries;
    m_pEntries = nullptr;
    m_nCount = 0;
}

int CColorTable::SetSize(std::int32_t count)
{
    Release();
    if (count < 1)
        return 1;
    m_pEntries = new (std::nothrow) ColorEntry[count]();
    if (m_pEntries == nullptr)
        return 0;
    m_nCount = count;
    return 1;
}

int CColorTable::SetAt(std::int32_t index, const ColorEntry& entry)
{
    m_pEntries[index] = entry;
    return 1;
}

int CColorTable::SetAt(std::int32_t index, std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                       std::uint8_t alpha)
{
    return SetAt(index, ColorEntry{red, green, blue, alpha});
}
