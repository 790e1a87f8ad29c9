// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AboutDlg.h"

#include "app/AppIcon.h"
#include "app/DialogUnits.h"
#include "res/DialogTemplates.h"
#include "res/Strings.h"

#include <QLabel>
#include <QPushButton>

namespace
{
constexpr int kIconPixels = 32;

void AddLine(QWidget& parent, const QString& text, const DialogRect& rect,
             const DialogBaseUnits& units)
{
    auto* line = new QLabel(text, &parent);
    line->setTextFormat(Qt::PlainText);
    line->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    line->setGeometry(DialogRectToPixels(rect, units));
}
} // namespace

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QString::fromUtf8(kAboutCaption));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    const DialogBaseUnits units = BaseUnitsOf(font());
    setFixedSize(DialogRectToPixels(kAboutWindowRect, units).size());

    // An icon control takes the icon's own size at its place.
    auto* icon = new QLabel(this);
    icon->setPixmap(LoadAppIcon().pixmap(kIconPixels, kIconPixels));
    icon->setGeometry(QRect(DialogRectToPixels(kAboutIconRect, units).topLeft(),
                            QSize(kIconPixels, kIconPixels)));

    AddLine(*this, QString::fromUtf8(kAboutVersionPrefix) + QStringLiteral(TAVREL_VERSION),
            kAboutVersionRect, units);
    AddLine(*this, QString::fromUtf8(kAboutRights), kAboutRightsRect, units);
    AddLine(*this, QString::fromUtf8(kAboutLicence), kAboutLicenceRect, units);
    AddLine(*this, QString::fromUtf8(kAboutFreeSoftware), kAboutFreeSoftwareRect, units);
    AddLine(*this, QString::fromUtf8(kAboutNoWarranty), kAboutNoWarrantyRect, units);

    auto* ok = new QPushButton(QString::fromUtf8(kOkButton), this);
    ok->setGeometry(DialogRectToPixels(kAboutOkRect, units));
    ok->setDefault(true);
    ok->setFocus();
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}
