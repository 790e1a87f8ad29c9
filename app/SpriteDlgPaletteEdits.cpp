// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's palette side: the colour editor, the Edit > Palette
// commands and the panel's context menu, the clipboard, drag and drop of
// swatches, File > New and View > All Rows. Each asks the document, whose
// notifications bring the change to every view.

#include "app/ColorEditDlg.h"
#include "app/FileChooser.h"
#include "app/SpriteDlg.h"
#include "document/PaletteText.h"
#include "image/SpriteImage.h"
#include "res/MenuTemplate.h"
#include "res/Resource.h"
#include "res/Strings.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QMenu>
#include <QMimeData>

namespace
{
// The clipboard's colour words: what a sheet file holds for the colours.
constexpr char kColorWordsMimeType[] = "application/x-tavrel-color-words";

constexpr int kPaletteCommands[] = {
    ID_PALETTE_EDIT_COLOR, ID_PALETTE_COPY_COLOR, ID_PALETTE_PASTE_COLOR,  ID_PALETTE_COPY_ROW,
    ID_PALETTE_PASTE_ROW,  ID_PALETTE_SWAP_ROWS,  ID_PALETTE_SWAP_INDICES, ID_PALETTE_GRADIENT,
};

QString Text(const char* text)
{
    return QString::fromUtf8(text);
}

int RowOf(int entry)
{
    return entry / kPaletteRowSize;
}

int IndexOf(int entry)
{
    return entry % kPaletteRowSize;
}

// The other index a pair starts with: the next one, or the one before the last.
int NextIndex(int index)
{
    return index + 1 < kPaletteRowSize ? index + 1 : index - 1;
}
} // namespace

void CSpriteDlg::CreatePaletteEditing()
{
    CPalettePanel* panel = &m_ctlPalettePanel;
    connect(panel, &CPalettePanel::EditRequested, this, [this](int entry) { OnEditColor(entry); });
    connect(panel, &CPalettePanel::MenuRequested, this,
            [this](int entry, QPoint at) { OnPaletteMenu(entry, at); });
    connect(panel, &CPalettePanel::CopyRequested, this,
            [this](int entry) { RunPaletteCommand(ID_PALETTE_COPY_COLOR, entry); });
    connect(panel, &CPalettePanel::PasteRequested, this,
            [this](int entry) { RunPaletteCommand(ID_PALETTE_PASTE_COLOR, entry); });
    connect(panel, &CPalettePanel::SwatchDropped, this,
            [this](int from, int to, bool copy) { OnSwatchDropped(from, to, copy); });
    connect(&m_allRows, &CAllRowsView::RowChosen, this,
            [this](int row) { m_document.ChoosePaletteRow(row); });
    connect(&m_allRows, &CAllRowsView::ShownChanged, this,
            [this](bool shown) { CommandAction(ID_VIEW_ALL_ROWS)->setChecked(shown); });
}

void CSpriteDlg::UpdatePaletteCommands()
{
    const CSpriteImage* source = m_document.Source();
    const bool rows = source != nullptr && source->GetBitsPerPixel() == 8;
    for (const int id : kPaletteCommands)
        CommandAction(id)->setEnabled(rows);
}

bool CSpriteDlg::OnPaletteCommand(int id)
{
    switch (id)
    {
    case ID_FILE_NEW:
        OnFileNew();
        return true;
    case ID_VIEW_ALL_ROWS:
        m_allRows.setVisible(!m_allRows.isVisible());
        if (m_allRows.isVisible())
            m_allRows.activateWindow();
        return true;
    default:
        break;
    }
    if (std::find(std::begin(kPaletteCommands), std::end(kPaletteCommands), id) ==
        std::end(kPaletteCommands))
        return false;
    RunPaletteCommand(id, m_ctlPalettePanel.CurrentEntry());
    return true;
}

void CSpriteDlg::RunPaletteCommand(int id, int entry)
{
    const CSpriteImage* source = m_document.Source();
    const ColorEntry* colour = source ? source->GetColor(entry) : nullptr;
    if (colour == nullptr || source->GetBitsPerPixel() != 8)
        return;
    const int row = RowOf(entry);
    std::vector<ColorEntry> colors;
    PalettePair pair;
    switch (id)
    {
    case ID_PALETTE_EDIT_COLOR:
        OnEditColor(entry);
        return;
    case ID_PALETTE_COPY_COLOR:
        PutColorsOnClipboard({*colour}, ColorText(*colour));
        return;
    case ID_PALETTE_COPY_ROW:
        colors = m_document.RowColors(row);
        PutColorsOnClipboard(colors, ColorsAsPaletteText(colors));
        return;
    case ID_PALETTE_PASTE_COLOR:
    case ID_PALETTE_PASTE_ROW:
        if (Result taken = TakeColorsFromClipboard(colors); !taken)
            ShowEditFailure(taken);
        else
            ShowEditFailure(id == ID_PALETTE_PASTE_ROW ? m_document.PasteRow(row, colors)
                                                       : m_document.PasteColor(entry, colors));
        return;
    case ID_PALETTE_SWAP_ROWS:
        pair = {PalettePairKind::SwapRows, row, row, NextIndex(row)};
        if (m_prompts.ChoosePalettePair(*this, pair))
            ShowEditFailure(m_document.SwapRows(pair.first, pair.second));
        return;
    case ID_PALETTE_SWAP_INDICES:
        pair = {PalettePairKind::SwapIndices, row, IndexOf(entry), NextIndex(IndexOf(entry))};
        if (m_prompts.ChoosePalettePair(*this, pair))
            ShowEditFailure(m_document.SwapIndices(pair.first, pair.second, pair.swap));
        return;
    case ID_PALETTE_GRADIENT:
        pair = {PalettePairKind::Gradient, row, IndexOf(entry),
                IndexOf(entry) == kPaletteRowSize - 1 ? 0 : kPaletteRowSize - 1};
        if (m_prompts.ChoosePalettePair(*this, pair))
            ShowEditFailure(m_document.FillGradient(row * kPaletteRowSize + pair.first,
                                                    row * kPaletteRowSize + pair.second));
        return;
    default:
        return;
    }
}

void CSpriteDlg::OnEditColor(int entry)
{
    const CSpriteImage* source = m_document.Source();
    const ColorEntry* colour = source ? source->GetColor(entry) : nullptr;
    if (colour == nullptr || source->GetBitsPerPixel() != 8 || RowOf(entry) >= kPaletteRowCount)
        return;
    CColorEditDlg editor(entry, *colour, Text(kPaletteEntries[RowOf(entry)]), this);
    // The sheet and All Rows show the colour while it is picked.
    connect(&editor, &CColorEditDlg::ColorChanged, this,
            [this, entry](const ColorEntry& picked) { m_document.PreviewColor(entry, picked); });
    m_document.FinishColorPreview(m_prompts.RunColorEditor(*this, editor));
}

void CSpriteDlg::OnPaletteMenu(int entry, QPoint at)
{
    const CSpriteImage* source = m_document.Source();
    if (source == nullptr || source->GetBitsPerPixel() != 8)
        return;
    QMenu menu(this);
    for (const MenuItemTemplate& item : kPaletteMenuItems)
    {
        if (!item.text)
        {
            menu.addSeparator();
            continue;
        }
        const int id = item.id;
        menu.addAction(Text(item.text), this, [this, id, entry] { RunPaletteCommand(id, entry); });
    }
    menu.exec(at);
}

void CSpriteDlg::OnSwatchDropped(int from, int to, bool copy)
{
    ShowEditFailure(copy ? m_document.CopyColor(from, to) : m_document.SwapColors(from, to));
}

void CSpriteDlg::PutColorsOnClipboard(const std::vector<ColorEntry>& colors,
                                      const std::string& text)
{
    auto* data = new QMimeData;
    data->setText(QString::fromStdString(text));
    const std::vector<std::uint8_t> words = ColorsAsWords(colors);
    data->setData(QString::fromLatin1(kColorWordsMimeType),
                  QByteArray(reinterpret_cast<const char*>(words.data()), qsizetype(words.size())));
    QApplication::clipboard()->setMimeData(data);
}

Result CSpriteDlg::TakeColorsFromClipboard(std::vector<ColorEntry>& colors) const
{
    const QMimeData* data = QApplication::clipboard()->mimeData();
    const QByteArray words =
        data ? data->data(QString::fromLatin1(kColorWordsMimeType)) : QByteArray();
    const std::string text = data ? data->text().toStdString() : std::string();
    const Result taken =
        ColorsFromClipboard(std::vector<std::uint8_t>(words.begin(), words.end()), text, colors);
    return taken ? taken : WithMessage(taken, Message::EditPaletteFailed);
}

void CSpriteDlg::ShowEditFailure(const Result& result)
{
    if (result.message == Message::None)
        return;
    QString why = QString::fromStdString(ReasonText(result));
    if (!why.isEmpty())
        why = why.at(0).toUpper() + why.mid(1) + '.';
    m_prompts.ShowMessage(*this, Text(MessageText(result.message)), Text(kCaptionEditingPalette),
                          MessageIcon::Error, why);
}

void CSpriteDlg::OnFileNew()
{
    if (!ConfirmDiscard())
        return;
    const CSpriteImage* source = m_document.Source();
    NewSheetChoice choice;
    choice.layout = m_document.HasSheet() ? m_document.Layout() : SpriteLayout::Spr;
    choice.currentAvailable = source != nullptr && source->GetBitsPerPixel() == 8;
    if (!m_prompts.ChooseNewSheet(*this, choice))
        return;
    std::string palette;
    if (choice.colors == NewSheetColors::PaletteFile)
    {
        const QString chosen = m_prompts.ChooseFile(*this, kLoadPaletteChooser);
        if (chosen.isEmpty())
            return;
        palette = QFile::encodeName(chosen).toStdString();
    }
    ShowFailure(m_document.NewSheet(choice.layout, choice.colors, palette), kCaptionLoadingPalette,
                palette);
}
