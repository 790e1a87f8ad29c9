// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SpriteDlg.h"

#include "app/FileChooser.h"
#include "document/PaletteSource.h"
#include "res/Resource.h"
#include "res/Strings.h"

#include <QAction>
#include <QFile>
#include <QStatusBar>

namespace
{
QString Text(const char* text)
{
    return QString::fromUtf8(text);
}

std::string PathOf(const QString& chosen)
{
    return QFile::encodeName(chosen).toStdString();
}
} // namespace

void CSpriteDlg::ImportPicture(const std::string& path)
{
    ImportMatch match;
    if (const Result prepared = m_document.PrepareImport(path, match); !prepared)
    {
        ShowFailure(prepared, kCaptionImportImage, path);
        return;
    }
    const bool ontoSheet =
        match.fit == ImportFit::MapsOntoSheet &&
        m_prompts.AskYesNo(*this, Text(kMsgKeepSheetPalette), Text(kCaptionImportImage));
    // A picture in other colours may then be fitted into the row shown.
    const int row = m_document.PaletteRow();
    m_document.FinishImport(ontoSheet);
    // Said over the imported picture, so the user sees what it is.
    if (match.fit == ImportFit::Mismatch &&
        m_prompts.ShowMessageOffering(*this, Text(kMsgPaletteMismatch), Text(kCaptionImportImage),
                                      MessageIcon::Information,
                                      Text(InformativeText(match.mismatch, path).c_str()),
                                      Text(kReduceOfferButton)))
        OnEditReduceColors(row);
}

void CSpriteDlg::OnFileLoadPalette()
{
    if (!m_document.HasSheet())
        return;
    const QString chosen = Choose(kLoadPaletteChooser);
    if (chosen.isEmpty())
        return;
    const std::string path = PathOf(chosen);
    std::int32_t rounded = 0;
    const Result loaded = m_document.LoadPalette(path, &rounded);
    ShowFailure(loaded, kCaptionLoadingPalette, path);
    if (loaded && rounded > 0)
        m_pStatusBar->showMessage(rounded == 1 ? Text(kStatusColorRounded)
                                               : Text(kStatusColorsRounded).arg(rounded));
}

void CSpriteDlg::OnFileSavePalette()
{
    if (!m_document.HasSheet())
        return;
    const std::int32_t row = m_document.PaletteRow();
    const int scope = m_prompts.AskChoice(
        *this, Text(kAskPaletteScope), Text(kCaptionSavingPalette),
        {Text(kPaletteScopeRow).arg(Text(kPaletteEntries[row])), Text(kPaletteScopeTable)});
    if (scope < 0)
        return;
    const QString chosen = Choose(kSavePaletteChooser, "pal");
    if (chosen.isEmpty())
        return;
    const std::string path = PathOf(chosen);
    ShowFailure(m_document.SavePalette(path, PaletteFormatForName(path),
                                       scope == 0 ? std::optional(row) : std::nullopt),
                kCaptionSavingPalette, path);
}
