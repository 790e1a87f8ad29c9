// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "image/BaseObject.h"
#include "image/ColorEntry.h"

#include <cstdint>

// A fixed-size array of colours. It never grows: SetSize starts again with
// zeroed entries. SetAt and GetAt do not check the index; the image's
// SetColor and GetColor are the checked way in.
class CColorTable : public CBaseObject
{
public:
    CColorTable() = default;
    CColorTable(const CColorTable& other);
    CColorTable& operator=(const CColorTable& other);
    ~CColorTable() override;

    // 1 on success (count below 1 gives an empty table), 0 when the entries
    // cannot be allocated; the table is empty then.
    int SetSize(std::int32_t count);
    std::int32_t GetSize() const { return m_nCount; }

    int SetAt(std::int32_t index, const ColorEntry& entry);
    int SetAt(std::int32_t index, std::uint8_t red, std::uint8_t green, std::uint8_t blue,
              std::uint8_t alpha);
    ColorEntry* GetAt(std::int32_t index) { return &m_pEntries[index]; }
    const ColorEntry* GetAt(std::int32_t index) const { return &m_pEntries[index]; }

private:
    void Release();

    ColorEntry* m_pEntries = nullptr; // null exactly when m_nCount is 0
    std::int32_t m_nCount = 0;
};
