// SPDX-License-Identifier: GPL-3.0-or-later
// The main window as a view of the document: each widget follows the
// notifications of what changed, and nothing is refreshed by hand.

#include "app/SpriteDlg.h"
#include "res/MenuTemplate.h"
#include "res/Resource.h"
#include "res/Strings.h"

#include <QAction>
#include <QStatusBar>

namespace
{
// The commands that need a sheet.
constexpr int kSheetCommands[] = {ID_FILE_SAVE,   ID_FILE_SAVE_AS,         ID_FILE_IMPORT,
                                  ID_FILE_EXPORT, ID_FILE_EDIT_EXTERNALLY, ID_FILE_LOAD_PALETTE,
                                  ID_FILE_SAVE_PALETTE};

QString Text(const char* text)
{
    return QString::fromUtf8(text);
}

// The item's text without a step named: "&Undo".
QString PlainItemText(int id)
{
    for (const MenuItemTemplate& item : kEditMenuItems)
        if (item.id == id)
            return Text(item.text);
    return {};
}
} // namespace

void CSpriteDlg::FollowDocument()
{
    const CDocumentSignals* document = &m_documentSignals;
    connect(document, &CDocumentSignals::SheetReplaced, this,
            [this](Replacement why) { OnSheetReplaced(why); });
    connect(document, &CDocumentSignals::PixelsChanged, this,
            [this](const QRect& area)
            {
                m_ctlView.PixelsChanged(area);
                m_ctlPalettePanel.PixelsChanged();
            });
    connect(document, &CDocumentSignals::ColorsChanged, this,
            [this]
            {
                m_ctlView.ColorsChanged();
                m_ctlPalettePanel.update();
            });
    connect(document, &CDocumentSignals::PaletteRowChanged, this,
            [this](int row) { OnPaletteRowChanged(row); });
    connect(document, &CDocumentSignals::NameChanged, this,
            [this]
            {
                UpdateTitle();
                UpdateCommands();
                m_sheetWatch.Watch(SheetPath());
            });
    connect(document, &CDocumentSignals::ModifiedChanged, this, [this] { UpdateTitle(); });
    // The program's own save is no change from outside; a save by rename
    // needs the watch set up again.
    connect(document, &CDocumentSignals::Saved, this, [this] { m_sheetWatch.Watch(SheetPath()); });
    connect(document, &CDocumentSignals::HistoryChanged, this, [this] { UpdateCommands(); });
    // View > All Rows follows the sheet, its colours and the row chosen.
    connect(document, &CDocumentSignals::SheetReplaced, &m_allRows,
            [this] { m_allRows.SetPicture(m_document.Source(), m_document.PaletteRow()); });
    connect(document, &CDocumentSignals::PixelsChanged, &m_allRows,
            [this] { m_allRows.PixelsChanged(); });
    connect(document, &CDocumentSignals::ColorsChanged, &m_allRows,
            [this](int first, int last) { m_allRows.ColorsChanged(first, last); });
    connect(document, &CDocumentSignals::PaletteRowChanged, &m_allRows,
            [this](int row) { m_allRows.SetPaletteRow(row); });
    // The drawing tools: their marks, their status line and their commands.
    connect(document, &CDocumentSignals::SheetReplaced, this, [this] { OnSelectionChanged(); });
    connect(document, &CDocumentSignals::SelectionChanged, this, [this] { OnSelectionChanged(); });
    connect(document, &CDocumentSignals::PaletteRowChanged, &m_toolBox, &CToolBox::Refresh);
    connect(document, &CDocumentSignals::ColorsChanged, &m_toolBox, &CToolBox::Refresh);
}

void CSpriteDlg::OnSheetReplaced(Replacement why)
{
    const CSpriteImage* source = m_document.Source();
    const CSpriteImage* display = m_document.Display();
    const int row = m_document.PaletteRow();
    m_ctlView.SetPicture(source, display, row);
    m_ctlPalettePanel.SetPicture(source, display, row);
    if (why == Replacement::NewSheet)
    {
        m_ctlView.ScrollToTopLeft();
        // An editor still open on the sheet before has nothing to bring back.
        m_editWatch.Watch(QString());
    }
    // A picture of 16, 24 or 32 bits has no palette rows to choose.
    const bool rows = m_ctlView.ShowsPaletteRows();
    m_ctlPalette.setEnabled(rows);
    m_ctlPalettePanel.setEnabled(rows);
    m_pStatusBar->clearMessage();
    UpdateTitle();
    UpdateCommands();
}

void CSpriteDlg::OnPaletteRowChanged(int row)
{
    m_ctlPalette.setCurrentIndex(row);
    m_ctlView.SetPaletteRow(row);
    m_ctlPalettePanel.SetRow(row);
}

void CSpriteDlg::UpdateTitle()
{
    const bool sheet = m_document.HasSheet();
    setWindowTitle(sheet ? Text(kTitleFormat).arg(DocumentName()) : Text(kMainWindowCaption));
    setWindowModified(m_document.IsModified());
}

void CSpriteDlg::UpdateCommands()
{
    const bool sheet = m_document.HasSheet();
    for (const int id : kSheetCommands)
        if (QAction* action = CommandAction(id))
            action->setEnabled(sheet);
    CommandAction(ID_FILE_REVERT)->setEnabled(sheet && !m_document.SourcePath().empty());

    QAction* undo = CommandAction(ID_EDIT_UNDO);
    const std::optional<EditKind> undoKind = m_document.UndoKind();
    undo->setEnabled(undoKind.has_value());
    undo->setText(undoKind ? Text(kUndoFormat).arg(Text(EditKindText(*undoKind)))
                           : PlainItemText(ID_EDIT_UNDO));
    QAction* redo = CommandAction(ID_EDIT_REDO);
    const std::optional<EditKind> redoKind = m_document.RedoKind();
    redo->setEnabled(redoKind.has_value());
    redo->setText(redoKind ? Text(kRedoFormat).arg(Text(EditKindText(*redoKind)))
                           : PlainItemText(ID_EDIT_REDO));
    UpdatePaletteCommands();
    UpdateEditCommands();
    UpdateReduceCommands();
}
