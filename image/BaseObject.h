// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Common root of the image and its colour table: images are heap objects
// deleted through this virtual destructor.
class CBaseObject
{
public:
    CBaseObject() = default;
    CBaseObject(const CBaseObject&) = default;
    CBaseObject& operator=(const CBaseObject&) = default;
    virtual ~CBaseObject() = default;
};
