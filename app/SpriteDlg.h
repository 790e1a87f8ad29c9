#pragma once

#include "app/PictureFrame.h"
#include "app/UserPrompts.h"
#include "app/WindowChrome.h"
#include "doc/SpriteDocument.h"

#include <QComboBox>
#include <QDialog>
#include <QIcon>
#include <QString>

#include <cstdint>

class QMenuBar;

// The main window: a menu, the picture frame and the palette selector, a
// view of the sheet being worked on. Its handlers ask the document, then
// show choosers and messages and repaint.
class CSpriteDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CSpriteDlg(IUserPrompts& prompts, QWidget* parent = nullptr);
    ~CSpriteDlg() override;

    // Runs the handler of a menu command; false when the command has none.
    bool OnCommand(int id);
    void OnSysCommand(unsigned id, std::intptr_t extra);

    void OnFileOpen();
    void OnFileSave();
    void OnFileSaveAs();
    void OnFileImport();
    void OnFileExport();
    void OnFileExit();
    void OnHelpAbout();
    void OnSelchangePalette();
    QIcon OnQueryDragIcon() const { return m_hIcon; }

    void SaveSprite();
    void ClearSprite();

    // Enter ends the window with IDOK, Escape and the close box with
    // IDCANCEL; every end releases the sprite.
    void accept() override;
    void reject() override;
    void done(int result) override;

    const CSpriteDocument& Document() const { return m_document; }
    QComboBox& PaletteSelector() { return m_ctlPalette; }
    QWidget& PictureFrame() { return m_ctlPicture; }
    QMenuBar& MenuBar() { return *m_pMenuBar; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnInitDialog();
    void OnPaint();
    void PaintMinimizedIcon();
    // The window's system menu, where the platform lets the program have it.
    SystemMenu* GetSystemMenu() { return nullptr; }
    void OnDestroy();

    void CreateControls();
    void CreateMenu();
    void RequestRepaint();
    void PaintBareCheckerboard(int width, int height);
    void ShowMessage(const char* text, const char* caption, MessageIcon icon);
    // The failure's message, if any, in a message box with this caption.
    void ShowFailure(const Result& result, const char* caption);

    IUserPrompts& m_prompts;
    QMenuBar* m_pMenuBar = nullptr;
    QWidget* m_pClientArea = nullptr;

    QComboBox m_ctlPalette;
    CPictureFrame m_ctlPicture;
    QIcon m_hIcon;
    CSpriteDocument m_document;
};
