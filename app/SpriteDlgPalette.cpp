// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SpriteDlg.h"

#include "app/FileChooser.h"
#include "document/PaletteSource.h"
#include "res/Resource.h"
#include "res/Strings.h"

#include <QAction>
#include <QFile>

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
    m_document.FinishImport(ontoSheet);
    // Said over the imported picture, so the user sees what it is.
    if (match.fit == ImportFit::Mismatch)
        ShowMessage(kMsgPaletteMismatch, kCaptionImportImage, MessageIcon::Information,
                    InformativeText(match.mismatch, path));
}

void CSpriteDlg::OnFileLoadPalette()
{
    if (!m_document.HasSheet())
        return;
    const QString chosen = m_prompts.ChooseFile(*this, kLoadPaletteChooser);
    if (chosen.isEmpty())
        return;
    const std::string path = PathOf(chosen);
    ShowFailure(m_document.LoadPalette(path), kCaptionLoadingPalette, path);
}

void CSpriteDlg::OnFileSavePalette()
{
    if (!m_document.HasSheet())
        return;
    const std::int32_t row = m_document.PaletteRow();
    const bool rowOnly = m_prompts.AskYesNo(
        *this, Text(kMsgSaveRowOnly).arg(Text(kPaletteEntries[row])), Text(kCaptionSavingPalette));
    const QString chosen = m_prompts.ChooseFile(*this, kSavePaletteChooser);
    if (chosen.isEmpty())
        return;
    const std::string path = PathOf(chosen);
    ShowFailure(m_document.SavePalette(path, PaletteFormatForName(path),
                                       rowOnly ? std::optional(row) : std::nullopt),
                kCaptionSavingPalette, path);
}
