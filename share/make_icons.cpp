// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the hicolor PNG icons from the pixel-art XPM icons at build time:
// each size is a whole-number blow-up of one XPM, so every source pixel
// becomes a square block and the art stays sharp.
//   tavrel_make_icons OUTPUT_ROOT ICON_NAME
// writes OUTPUT_ROOT/NxN/apps/ICON_NAME.png for every size below.

#include <QDir>
#include <QImage>
#include <QString>

#include <array>
#include <cstdio>

#include "res/Icon16.xpm"
#include "res/Icon32.xpm"

namespace
{

struct IconSize
{
    const char* const* xpm;
    int factor;
};

// Every size drawn from the larger XPM that divides it; 24 is left out since
// neither 16 nor 32 divides it.
constexpr std::array kIconSizes{
    IconSize{kIcon16Xpm, 1}, IconSize{kIcon32Xpm, 1}, IconSize{kIcon16Xpm, 3},
    IconSize{kIcon32Xpm, 2}, IconSize{kIcon32Xpm, 4}, IconSize{kIcon32Xpm, 8},
};

bool WriteIcon(const IconSize& size, const QString& root, const QString& name)
{
    const QImage source(size.xpm);
    if (source.isNull())
        return false;
    const QImage scaled =
        source.scaled(source.size() * size.factor, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    const QString folder = QStringLiteral("%1/%2x%2/apps").arg(root).arg(scaled.width());
    return QDir().mkpath(folder) && scaled.save(folder + '/' + name + ".png", "PNG");
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 3)
    {
        std::fprintf(stderr, "usage: %s OUTPUT_ROOT ICON_NAME\n", argv[0]);
        return 2;
    }
    for (const IconSize& size : kIconSizes)
    {
        if (!WriteIcon(size, QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2])))
        {
            std::fprintf(stderr, "%s: could not write the %dx icon\n", argv[0], size.factor);
            return 1;
        }
    }
    return 0;
}
