// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SpriteDlg.h"

#include "app/AppIcon.h"
#include "app/DesktopSettings.h"
#include "app/DialogUnits.h"
#include "app/FileChooser.h"
#include "image/SpriteImage.h"
#include "res/DialogTemplates.h"
#include "res/MenuTemplate.h"
#include "res/Resource.h"
#include "res/Strings.h"

#include <QActionGroup>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QMenuBar>
#include <QStatusBar>
#include <QVBoxLayout>

#include <algorithm>

namespace
{
QString Text(const char* text)
{
    return QString::fromUtf8(text);
}

} // namespace

CSpriteDlg::CSpriteDlg(IUserPrompts& prompts, QWidget* parent)
    : QDialog(parent), m_prompts(prompts), m_hIcon(LoadAppIcon())
{
    OnInitDialog();
}

CSpriteDlg::~CSpriteDlg() = default;

void CSpriteDlg::OnInitDialog()
{
    CreateControls();
    CreatePaletteEditing();
    setWindowIcon(m_hIcon);
    setAcceptDrops(true);
    connect(&m_sheetWatch, &CFileWatch::Settled, this, [this] { OnSheetFileSettled(); });
    connect(&m_sheetWatch, &CFileWatch::Vanished, this,
            [this] { OnSheetFileLost(kStatusSheetDeleted); });
    connect(&m_editWatch, &CFileWatch::Settled, this, [this] { OnEditedFileSettled(); });
    FollowDocument();
    RebuildRecentMenu();
    OnSheetReplaced(Replacement::NewSheet);
    m_ctlPalette.setFocus();
}

void CSpriteDlg::CreateControls()
{
    setWindowTitle(Text(kMainWindowCaption));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    const DialogBaseUnits units = BaseUnitsOf(font());

    // The menu bar sits above the client area and the status bar below it.
    // The client area opens at the layout's size and grows with the window.
    m_pMenuBar = new QMenuBar(this);
    CreateMenu();
    m_pClientArea = new QWidget(this);
    m_baseClientSize = DialogRectToPixels(kMainWindowRect, units).size();
    m_pClientArea->setMinimumSize(m_baseClientSize);
    m_pClientArea->installEventFilter(this);
    m_pStatusBar = new QStatusBar(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(m_pMenuBar);
    layout->addWidget(m_pClientArea, 1);
    layout->addWidget(m_pStatusBar);

    m_pPaletteGroup = new QGroupBox(Text(kPaletteGroupCaption), m_pClientArea);
    m_pPaletteGroup->setGeometry(DialogRectToPixels(kPaletteGroupRect, units));

    // The template's height counts the open list as well.
    m_ctlPalette.setParent(m_pClientArea);
    for (const char* entry : kPaletteEntries)
        m_ctlPalette.addItem(Text(entry));
    const QRect selector = DialogRectToPixels(kPaletteSelectorRect, units);
    const int closedHeight = m_ctlPalette.sizeHint().height();
    m_ctlPalette.setGeometry(selector.x(), selector.y(), selector.width(), closedHeight);
    m_ctlPalette.setMaxVisibleItems(
        std::max(1, (selector.height() - closedHeight) / m_ctlPalette.fontMetrics().height()));
    connect(&m_ctlPalette, &QComboBox::activated, this, [this] { OnSelchangePalette(); });
    CreatePixelTools();
    CreateViewControls(units);
}

void CSpriteDlg::CreateMenu()
{
    for (const MenuPopupTemplate& popup : kMainMenu)
        AddMenuItems(*m_pMenuBar->addMenu(Text(popup.text)), popup.items);
}

void CSpriteDlg::AddMenuItems(QMenu& menu, std::span<const MenuItemTemplate> items)
{
    QActionGroup* radios = nullptr;
    for (const MenuItemTemplate& item : items)
    {
        if (item.check != MenuCheck::Radio)
            radios = nullptr;
        if (!item.text)
        {
            menu.addSeparator();
            continue;
        }
        if (item.id == ID_FILE_RECENT_FIRST)
        {
            m_pRecentMenu = menu.addMenu(Text(item.text));
            connect(m_pRecentMenu, &QMenu::aboutToShow, this, [this] { RebuildRecentMenu(); });
            continue;
        }
        if (!item.popup.empty())
        {
            AddMenuItems(*menu.addMenu(Text(item.text)), item.popup);
            continue;
        }
        QAction* action = menu.addAction(Text(item.text));
        action->setData(item.id);
        if (item.shortcuts)
            action->setShortcuts(QKeySequence::listFromString(Text(item.shortcuts)));
        action->setCheckable(item.check != MenuCheck::None);
        if (item.check == MenuCheck::Radio)
        {
            if (radios == nullptr)
                radios = new QActionGroup(&menu);
            radios->addAction(action);
        }
        const int id = item.id;
        connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
    }
}

bool CSpriteDlg::OnCommand(int id)
{
    switch (id)
    {
    case ID_FILE_OPEN:
        OnFileOpen();
        return true;
    case ID_FILE_SAVE:
        OnFileSave();
        return true;
    case ID_FILE_SAVE_AS:
        OnFileSaveAs();
        return true;
    case ID_FILE_IMPORT:
        OnFileImport();
        return true;
    case ID_FILE_EXPORT:
        OnFileExport();
        return true;
    case ID_FILE_LOAD_PALETTE:
        OnFileLoadPalette();
        return true;
    case ID_FILE_SAVE_PALETTE:
        OnFileSavePalette();
        return true;
    case ID_FILE_EXIT:
        OnFileExit();
        return true;
    case ID_HELP_ABOUT:
        OnHelpAbout();
        return true;
    case ID_EDIT_UNDO:
        OnEditUndo();
        return true;
    case ID_EDIT_REDO:
        OnEditRedo();
        return true;
    default:
        return OnDesktopCommand(id) || OnViewCommand(id) || OnPaletteCommand(id) ||
               OnEditCommand(id) || OnReduceCommand(id);
    }
}

namespace
{
std::string PathOf(const QString& chosen)
{
    return QFile::encodeName(chosen).toStdString();
}

QString FromPath(const std::string& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path));
}
} // namespace

void CSpriteDlg::OnFileOpen()
{
    if (!ConfirmDiscard())
        return;
    const QString chosen = Choose(kOpenSpriteChooser);
    if (chosen.isEmpty())
        return;
    OpenPath(chosen);
}

void CSpriteDlg::ShowOpened(const OpenOutcome& opened, const QString& chosen,
                            const char* failureCaption)
{
    const std::string path = PathOf(chosen);
    if (!opened.opened)
    {
        ShowFailure(opened.result, failureCaption, path);
        return;
    }
    RememberRecentFile(chosen);
    // The note is shown over the new sheet.
    if (opened.showSp2Note)
        ShowMessage(kMsgSp2Note, kCaptionLoadingSprite, MessageIcon::Information,
                    InformativeText({}, path));
    else
        ShowFailure(opened.result, kCaptionReadingSprite, path);
}

void CSpriteDlg::OnFileSave()
{
    if (!m_document.HasSheet())
        return;
    if (m_document.FileName().empty())
        OnFileSaveAs();
    else
        SaveSprite();
}

void CSpriteDlg::OnFileSaveAs()
{
    if (!m_document.HasSheet())
        return;
    const QString chosen =
        Choose(kSaveSpriteChooser, m_document.Layout() == SpriteLayout::Sp2 ? "sp2" : "spr");
    if (chosen.isEmpty())
        return;
    const std::string path = PathOf(chosen);
    if (SaveAfterAsking(&path))
        RememberRecentFile(chosen);
}

void CSpriteDlg::SaveSprite()
{
    SaveAfterAsking(nullptr);
}

bool CSpriteDlg::SaveAfterAsking(const std::string* path)
{
    const std::string& target = path ? *path : m_document.FileName();
    const SaveLosses losses = path ? m_document.LossesOfSaveAs(*path) : m_document.LossesOfSave();
    if (losses.Any() && !m_prompts.AskSaveOrCancel(*this, Text(SaveLossText(losses).c_str()),
                                                   Text(InformativeText({}, target).c_str()),
                                                   Text(kCaptionSavingSprite)))
        return false;
    const LossySave lossy = losses.Any() ? LossySave::Accept : LossySave::Refuse;
    const QString name = QFileInfo(FromPath(target)).fileName();
    // A large trailing block is copied while the user watches, and may stop it.
    const std::unique_ptr<IProgressPrompt> progress =
        m_prompts.StartProgress(*this, Text(kCaptionSavingSprite), Text(kProgressSaving).arg(name));
    m_document.SetProgress(progress.get());
    const Result saved =
        path ? m_document.SaveAs(*path, nullptr, lossy) : m_document.Save(nullptr, lossy);
    m_document.SetProgress(nullptr);
    ShowFailure(saved, kCaptionSavingSprite, target);
    return saved.Ok();
}

ChooserStart CSpriteDlg::ChooserStartFor(const char* extension) const
{
    const std::string& file =
        m_document.FileName().empty() ? m_document.SourcePath() : m_document.FileName();
    if (file.empty())
        return {LastChooserFolder(), {}};
    const QFileInfo sheet(FromPath(file));
    return {sheet.absolutePath(),
            extension ? sheet.completeBaseName() + '.' + Text(extension) : QString()};
}

QString CSpriteDlg::Choose(const FileChooser& chooser, const char* extension)
{
    const QString chosen = m_prompts.ChooseFile(*this, chooser, ChooserStartFor(extension));
    if (!chosen.isEmpty())
        SaveLastChooserFolder(QFileInfo(chosen).absolutePath());
    return chosen;
}

void CSpriteDlg::OnFileExport()
{
    if (!m_document.HasSheet())
        return;
    const QString chosen = Choose(kExportChooser, "png");
    if (chosen.isEmpty())
        return;
    const std::string path = PathOf(chosen);
    ShowFailure(m_document.Export(path), kCaptionExportingSprite, path);
}

void CSpriteDlg::OnFileImport()
{
    if (!m_document.HasSheet())
        return;
    const QString chosen = Choose(kImportChooser);
    if (chosen.isEmpty())
        return;
    ImportPicture(PathOf(chosen));
}

void CSpriteDlg::OnFileExit()
{
    done(0);
}

void CSpriteDlg::OnHelpAbout()
{
    m_prompts.RunAboutBox(*this);
}

void CSpriteDlg::OnEditUndo()
{
    m_document.Undo();
}

void CSpriteDlg::OnEditRedo()
{
    m_document.Redo();
}

void CSpriteDlg::OnSelchangePalette()
{
    m_document.ChoosePaletteRow(m_ctlPalette.currentIndex());
}

void CSpriteDlg::ClearSprite()
{
    m_document.Clear();
}

void CSpriteDlg::reject()
{
    done(IDCANCEL);
}

void CSpriteDlg::done(int result)
{
    // The close box and Exit end here.
    if (!ConfirmDiscard())
        return;
    m_viewSettings.zoom = m_ctlView.Zoom();
    m_viewSettings.windowSize = size();
    SaveViewSettings(m_viewSettings);
    QDialog::done(result);
    OnDestroy();
}

void CSpriteDlg::OnDestroy()
{
    ClearSprite();
}

void CSpriteDlg::keyPressEvent(QKeyEvent* event)
{
    // Escape first ends a stroke, a paste or a selection; Enter places a
    // floating block.
    if (OnEditKey(*event))
        return;
    // A dialog ends on Enter and Escape; a main window does not. Enter left
    // over from a message box is no command.
    switch (event->key())
    {
    case Qt::Key_Escape:
        emit EscapePressed();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

bool CSpriteDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_pClientArea && event->type() == QEvent::Resize)
        LayoutControls();
    return QDialog::eventFilter(watched, event);
}

void CSpriteDlg::ShowMessage(const char* text, const char* caption, MessageIcon icon,
                             const std::string& informative)
{
    m_prompts.ShowMessage(*this, Text(text), Text(caption), icon, Text(informative.c_str()));
}

void CSpriteDlg::ShowFailure(const Result& result, const char* caption, const std::string& path)
{
    // A job the user stopped needs no message.
    if (!result && result.reason != Reason::Cancelled)
        ShowMessage(HeadlineText(result).c_str(), caption, MessageIcon::Error,
                    InformativeText(result, path));
}
