#pragma once

#include "res/Resource.h"

#include <span>

// Menu IDR_MAIN_MENU: pop-ups in bar order, their items in menu order.
// An item without text is a separator.

struct MenuItemTemplate
{
    const char* text;
    int id;
};

struct MenuPopupTemplate
{
    const char* text;
    std::span<const MenuItemTemplate> items;
};

inline constexpr MenuItemTemplate kFileMenuItems[] = {
    {"&New...", ID_FILE_NEW},
    {"&Open...", ID_FILE_OPEN},
    {nullptr, 0},
    {"&Save", ID_FILE_SAVE},
    {"Save &As...", ID_FILE_SAVE_AS},
    {nullptr, 0},
    {"&Import", ID_FILE_IMPORT},
    {"&Export", ID_FILE_EXPORT},
    {nullptr, 0},
    {"E&xit", ID_FILE_EXIT},
};

inline constexpr MenuItemTemplate kHelpMenuItems[] = {
    {"&About...", ID_HELP_ABOUT},
};

inline constexpr MenuPopupTemplate kMainMenu[] = {
    {"&File", kFileMenuItems},
    {"&Help", kHelpMenuItems},
};
