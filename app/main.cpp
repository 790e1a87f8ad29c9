// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SpriteApp.h"

int main(int argc, char* argv[])
{
    return theApp.Run(argc, argv);
}
