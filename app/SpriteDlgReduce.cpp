// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's side of truecolour art: Edit > Reduce Colours and
// File > Import Colourways. The dialogs show the document's previews; OK
// makes the document's one step, whose notifications bring it to the views.

#include "app/ColorwaysDlg.h"
#include "app/DesktopSettings.h"
#include "app/ReduceColorsDlg.h"
#include "app/SpriteDlg.h"
#include "res/Resource.h"
#include "res/Strings.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>

namespace
{
std::string PathOf(const QString& chosen)
{
    return QFile::encodeName(chosen).toStdString();
}
} // namespace

bool CSpriteDlg::OnReduceCommand(int id)
{
    switch (id)
    {
    case ID_EDIT_REDUCE_COLORS:
        OnEditReduceColors();
        return true;
    case ID_FILE_IMPORT_COLORWAYS:
        OnFileImportColorways();
        return true;
    default:
        return false;
    }
}

void CSpriteDlg::UpdateReduceCommands()
{
    CommandAction(ID_EDIT_REDUCE_COLORS)->setEnabled(m_document.CanReduceColors());
    CommandAction(ID_FILE_IMPORT_COLORWAYS)->setEnabled(m_document.HasSheet());
}

void CSpriteDlg::OnEditReduceColors(std::optional<int> row)
{
    if (!m_document.CanReduceColors())
        return;
    CReduceColorsDlg dialog(m_document, row.value_or(m_document.PaletteRow()), m_ctlView.Zoom(),
                            this);
    if (m_prompts.RunReduceColors(*this, dialog))
        ShowFailure(m_document.ReduceColors(dialog.Row(), dialog.Options()), kReduceColorsCaption,
                    m_document.FileName());
}

QStringList CSpriteDlg::ChoosePictures(QWidget& owner)
{
    const QStringList chosen =
        m_prompts.ChooseFiles(owner, kColorwaysChooser, ChooserStartFor(nullptr));
    if (!chosen.isEmpty())
        SaveLastChooserFolder(QFileInfo(chosen.constFirst()).absolutePath());
    return chosen;
}

void CSpriteDlg::OnFileImportColorways()
{
    if (!m_document.HasSheet())
        return;
    CColorwaysDlg dialog(
        m_document, [this](QWidget& owner) { return ChoosePictures(owner); }, this);
    if (m_prompts.RunColorways(*this, dialog))
        ShowFailure(m_document.ImportColorways(dialog.Request()), kColorwaysCaption,
                    PathOf(dialog.BasePath()));
}
