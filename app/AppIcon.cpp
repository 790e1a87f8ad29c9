// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AppIcon.h"

#include <QPixmap>

// The icon is pixel art kept as XPM text, which is C source as it stands.
#include "res/Icon16.xpm"
#include "res/Icon32.xpm"

QIcon LoadAppIcon()
{
    QIcon icon;
    icon.addPixmap(QPixmap(kIcon32Xpm));
    icon.addPixmap(QPixmap(kIcon16Xpm));
    return icon;
}
