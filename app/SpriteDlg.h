// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/AllRowsView.h"
#include "app/DocumentSignals.h"
#include "app/FileChooser.h"
#include "app/FileWatch.h"
#include "app/PalettePanel.h"
#include "app/SheetView.h"
#include "app/ToolBox.h"
#include "app/UserPrompts.h"
#include "app/ViewSettings.h"
#include "document/SpriteDocument.h"
#include "res/MenuTemplate.h"

#include <QComboBox>
#include <QDialog>
#include <QIcon>
#include <QString>

#include <cstdint>
#include <optional>
#include <span>

struct DialogBaseUnits;
class QGroupBox;
class QMenu;
class QMenuBar;
class QStatusBar;

// The main window: a menu, the sheet view, the palette selector and panel,
// and a status bar that tells what is under the pointer; a view of the sheet
// being worked on. Its handlers ask the document, then show choosers and
// messages; what they change reaches the widgets through the document's
// notifications.
class CSpriteDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CSpriteDlg(IUserPrompts& prompts, QWidget* parent = nullptr);
    ~CSpriteDlg() override;

    // Runs the handler of a menu command; false when the command has none.
    bool OnCommand(int id);

    void OnFileOpen();
    void OnFileSave();
    void OnFileSaveAs();
    void OnFileImport();
    void OnFileExport();
    void OnFileExit();
    void OnHelpAbout();
    void OnEditUndo();
    void OnEditRedo();
    void OnSelchangePalette();
    // The View menu's commands; false for another id.
    bool OnViewCommand(int id);
    // Palette files and imports that keep the sheet's palette
    // (app/SpriteDlgPalette.cpp).
    void OnFileLoadPalette();
    void OnFileSavePalette();

    // The desktop side (app/SpriteDlgDesktop.cpp). OpenPath opens a file
    // chosen in Open, named on the command line, dropped or opened
    // recently: a picture becomes a new sheet. It does not ask about
    // unsaved changes; the commands that call it do.
    void OpenPath(const QString& path);
    void OnFileRevert();
    void OnFileEditExternally();
    void OnFilePreferences();
    void OnFileRecent(int index);
    // True when nothing unsaved would be lost: no changes, or the user saved
    // them or chose to drop them.
    bool ConfirmDiscard();
    // The sheet's name in the title and the questions.
    QString DocumentName() const;
    bool OnDesktopCommand(int id);

    void SaveSprite();
    void ClearSprite();

    // Palette editing, File > New and View > All Rows
    // (app/SpriteDlgPaletteEdits.cpp); false for another id. The Edit >
    // Palette commands act on the palette panel's keyboard swatch; the
    // panel's context menu runs them on the swatch it was opened on.
    bool OnPaletteCommand(int id);
    void RunPaletteCommand(int id, int entry);
    void OnFileNew();
    void OnEditColor(int entry);
    // Pixel edits (app/SpriteDlgPixels.cpp): the Edit menu's selection and
    // clipboard commands and the Tools submenu; false for another id.
    bool OnEditCommand(int id);
    void OnEditCut();
    void OnEditCopy();
    void OnEditPaste();

    // Truecolour art into palette rows (app/SpriteDlgReduce.cpp); false
    // for another id. Reduce Colours, which Import also offers for a
    // picture that does not map exactly, starts from the row given, else
    // the row shown.
    bool OnReduceCommand(int id);
    void OnEditReduceColors(std::optional<int> row = std::nullopt);
    void OnFileImportColorways();

    // The close box ends the window with IDCANCEL, Exit with 0, once any
    // unsaved changes were saved or dropped; every end releases the sprite.
    // Enter and Escape never end it.
    void reject() override;
    void done(int result) override;

    const CSpriteDocument& Document() const { return m_document; }
    QComboBox& PaletteSelector() { return m_ctlPalette; }
    CSheetView& SheetView() { return m_ctlView; }
    CPalettePanel& PalettePanel() { return m_ctlPalettePanel; }
    QStatusBar& StatusBar() { return *m_pStatusBar; }
    QMenuBar& MenuBar() { return *m_pMenuBar; }
    CAllRowsView& AllRows() { return m_allRows; }
    CToolBox& ToolBox() { return m_toolBox; }

signals:
    // Escape: whatever is under way (a selection, a paste) is to be
    // cancelled. The window stays.
    void EscapePressed();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void OnInitDialog();
    void OnDestroy();

    void CreateControls();
    void CreateMenu();
    void AddMenuItems(QMenu& menu, std::span<const MenuItemTemplate> items);
    // The widgets follow the document (app/SpriteDlgDocument.cpp).
    void FollowDocument();
    void OnSheetReplaced(Replacement why);
    void OnPaletteRowChanged(int row);
    void UpdateTitle();
    // Greys the commands that have nothing to act on, and names the steps
    // Undo and Redo would take.
    void UpdateCommands();
    // The view side (app/SpriteDlgView.cpp): controls, layout and commands.
    void CreateViewControls(const DialogBaseUnits& units);
    void LayoutControls();
    void ApplyViewSettings();
    // Within the screen's free area, frame included.
    void FitOnScreen();
    void OnPixelHovered(std::optional<QPoint> pixel);
    void OnEntryHovered(int entry);
    QAction* CommandAction(int id) const;
    void ImportPicture(const std::string& path);
    void ShowMessage(const char* text, const char* caption, MessageIcon icon,
                     const std::string& informative = std::string());
    // The failure's message, if any, in a message box with this caption,
    // naming the file, why, and what to do next.
    void ShowFailure(const Result& result, const char* caption, const std::string& path);
    // Saves to path (Save As) or to the file name (Save), asking first when
    // the layout cannot hold the picture exactly.
    // True when it saved.
    bool SaveAfterAsking(const std::string* path);
    void ShowOpened(const OpenOutcome& opened, const QString& path, const char* failureCaption);
    // Where a chooser starts: the sheet's folder, else the folder chosen
    // last; with an extension, the sheet's name with it is proposed.
    ChooserStart ChooserStartFor(const char* extension) const;
    // Runs the chooser from there and remembers the folder chosen.
    QString Choose(const FileChooser& chooser, const char* extension = nullptr);
    void RememberRecentFile(const QString& path);
    void RebuildRecentMenu();
    void OnSheetFileSettled();
    // The sheet's file deleted or cut short on disk: the sheet has changes
    // to save, and the status bar says so (status: %1 is the name).
    void OnSheetFileLost(const char* status);
    void OnEditedFileSettled();
    bool LaunchEditor(const QString& path);
    // The document's SourcePath as Qt names it.
    QString SheetPath() const;
    // The palette side (app/SpriteDlgPaletteEdits.cpp).
    void CreatePaletteEditing();
    void UpdatePaletteCommands();
    void OnPaletteMenu(int entry, QPoint at);
    void OnSwatchDropped(int from, int to, bool copy);
    void PutColorsOnClipboard(const std::vector<ColorEntry>& colors, const std::string& text);
    Result TakeColorsFromClipboard(std::vector<ColorEntry>& colors) const;
    void ShowEditFailure(const Result& result);
    // Pixel edits (app/SpriteDlgPixels.cpp): the tool bar, the view and the
    // tool bar side by side in the room the view had, the commands greyed
    // when there is nothing to act on, and Escape and Enter, which end a
    // paste or a selection before they reach the window.
    void CreatePixelTools();
    void PlaceViewAndTools(const QRect& room);
    void UpdateEditCommands();
    void OnSelectionChanged();
    bool OnEditKey(const QKeyEvent& event);
    void ShowPasteFailure(const Result& result);
    void UpdateReduceCommands();
    QStringList ChoosePictures(QWidget& owner);

    IUserPrompts& m_prompts;
    QMenuBar* m_pMenuBar = nullptr;
    QWidget* m_pClientArea = nullptr;

    QComboBox m_ctlPalette;
    CSheetView m_ctlView;
    CPalettePanel m_ctlPalettePanel;
    QGroupBox* m_pPaletteGroup = nullptr;
    QStatusBar* m_pStatusBar = nullptr;
    ViewSettings m_viewSettings;
    QSize m_baseClientSize;
    int m_nColumnShift = 0; // how far the palette column moved right with the window
    QIcon m_hIcon;
    CSpriteDocument m_document;
    CDocumentSignals m_documentSignals{m_document};
    CToolBox m_toolBox{m_document, m_ctlView};
    QMenu* m_pRecentMenu = nullptr;
    CFileWatch m_sheetWatch; // the sheet's own file
    CFileWatch m_editWatch;  // the PNG an image editor has open
    CAllRowsView m_allRows{this};
};
