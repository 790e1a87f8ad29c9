#include "app/SpriteDlg.h"

#include "app/AppIcon.h"
#include "app/DialogUnits.h"
#include "app/FileChooser.h"
#include "image/SpriteImage.h"
#include "render/Render.h"
#include "res/DialogTemplates.h"
#include "res/MenuTemplate.h"
#include "res/Resource.h"
#include "res/Strings.h"

#include <QEvent>
#include <QFile>
#include <QGroupBox>
#include <QImage>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPainter>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

namespace
{
// Where the picture frame goes at every paint, in client-area pixels.
constexpr QPoint kPictureOrigin{5, 5};

QString Text(const char* text)
{
    return QString::fromUtf8(text);
}

// The surface's buffer as an image, without a copy: its words are laid out
// as 32-bit RGB.
QImage SurfaceImage(const CSurface& surface)
{
    return QImage(reinterpret_cast<const uchar*>(surface.GetBits()), surface.GetWidth(),
                  surface.GetHeight(), qsizetype(surface.GetWidth()) * 4, QImage::Format_RGB32);
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
    // Qt gives no access to the window's system menu on X11 and Wayland, so
    // the About item is not added there; Help > About... opens the same box.
    AppendAboutItem(GetSystemMenu(), Text(IDS_ABOUTBOX_TEXT));
    setWindowIcon(m_hIcon);
    m_ctlPalette.setCurrentIndex(0);
    m_ctlPalette.setFocus();
}

void CSpriteDlg::CreateControls()
{
    setWindowTitle(Text(kMainWindowCaption));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    const DialogBaseUnits units = BaseUnitsOf(font());

    // The menu bar sits above the client area, which keeps the layout's size.
    m_pMenuBar = new QMenuBar(this);
    CreateMenu();
    m_pClientArea = new QWidget(this);
    m_pClientArea->setFixedSize(DialogRectToPixels(kMainWindowRect, units).size());
    m_pClientArea->installEventFilter(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->setMenuBar(m_pMenuBar);
    layout->addWidget(m_pClientArea);

    m_ctlPicture.setParent(m_pClientArea);
    m_ctlPicture.setGeometry(DialogRectToPixels(kPictureFrameRect, units));

    auto* group = new QGroupBox(Text(kPaletteGroupCaption), m_pClientArea);
    group->setGeometry(DialogRectToPixels(kPaletteGroupRect, units));

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
}

void CSpriteDlg::CreateMenu()
{
    for (const MenuPopupTemplate& popup : kMainMenu)
    {
        QMenu* menu = m_pMenuBar->addMenu(Text(popup.text));
        for (const MenuItemTemplate& item : popup.items)
        {
            if (!item.text)
            {
                menu->addSeparator();
                continue;
            }
            QAction* action = menu->addAction(Text(item.text));
            action->setData(item.id);
            const int id = item.id;
            connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
        }
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
    case ID_FILE_EXIT:
        OnFileExit();
        return true;
    case ID_HELP_ABOUT:
        OnHelpAbout();
        return true;
    default:
        // File > New among them: it has no handler.
        return false;
    }
}

void CSpriteDlg::OnSysCommand(unsigned id, std::intptr_t /*extra*/)
{
    if ((id & kSysCommandIdMask) == IDM_ABOUTBOX)
        m_prompts.RunAboutBox(*this);
    // Every other system command is the window system's own business.
}

namespace
{
std::string PathOf(const QString& chosen)
{
    return QFile::encodeName(chosen).toStdString();
}
} // namespace

void CSpriteDlg::OnFileOpen()
{
    const QString chosen = m_prompts.ChooseFile(*this, kOpenSpriteChooser);
    if (chosen.isEmpty())
        return;
    const OpenOutcome opened = m_document.Open(PathOf(chosen));
    if (!m_document.HasSheet())
    {
        ShowFailure(opened.result, kCaptionSpriteImage);
        return;
    }
    m_ctlPalette.setCurrentIndex(0);
    if (opened.showSp2Note)
    {
        // The note is shown over the new sheet.
        RequestRepaint();
        ShowMessage(kMsgSp2Note, kCaptionLoadingSprite, MessageIcon::Information);
        return;
    }
    ShowFailure(opened.result, kCaptionReadingSprite);
    RequestRepaint();
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
    const QString chosen = m_prompts.ChooseFile(*this, kSaveSpriteChooser);
    if (chosen.isEmpty())
        return;
    ShowFailure(m_document.SaveAs(PathOf(chosen)), kCaptionSavingSprite);
}

void CSpriteDlg::SaveSprite()
{
    ShowFailure(m_document.Save(), kCaptionSavingSprite);
}

void CSpriteDlg::OnFileExport()
{
    if (!m_document.HasSheet())
        return;
    const QString chosen = m_prompts.ChooseFile(*this, kExportChooser);
    if (chosen.isEmpty())
        return;
    ShowFailure(m_document.Export(PathOf(chosen)), kCaptionExportingSprite);
}

void CSpriteDlg::OnFileImport()
{
    if (!m_document.HasSheet())
        return;
    const QString chosen = m_prompts.ChooseFile(*this, kImportChooser);
    if (chosen.isEmpty())
        return;
    if (const Result imported = m_document.Import(PathOf(chosen)); !imported)
    {
        ShowFailure(imported, kCaptionImportImage);
        return;
    }
    m_ctlPalette.setCurrentIndex(0);
    RequestRepaint();
}

void CSpriteDlg::OnFileExit()
{
    done(0);
}

void CSpriteDlg::OnHelpAbout()
{
    m_prompts.RunAboutBox(*this);
}

void CSpriteDlg::OnSelchangePalette()
{
    m_document.ChoosePaletteRow(m_ctlPalette.currentIndex());
    RequestRepaint();
}

void CSpriteDlg::ClearSprite()
{
    m_document.Clear();
}

void CSpriteDlg::RequestRepaint()
{
    m_pClientArea->update();
}

void CSpriteDlg::accept()
{
    done(IDOK);
}

void CSpriteDlg::reject()
{
    done(IDCANCEL);
}

void CSpriteDlg::done(int result)
{
    QDialog::done(result);
    OnDestroy();
}

void CSpriteDlg::OnDestroy()
{
    ClearSprite();
}

void CSpriteDlg::keyPressEvent(QKeyEvent* event)
{
    // Enter ends the window although it has no default button.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
    {
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool CSpriteDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_pClientArea && event->type() == QEvent::Paint)
    {
        OnPaint();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void CSpriteDlg::OnPaint()
{
    if (isMinimized())
    {
        PaintMinimizedIcon();
        return;
    }
    std::int32_t width = 0;
    std::int32_t height = 0;
    PictureSize(m_document.Display(), width, height);
    m_ctlPicture.setGeometry(QRect(kPictureOrigin, QSize(width + 1, height + 1)));

    CSurface surface;
    if (!ComposePicture(m_document.Display(), surface))
    {
        PaintBareCheckerboard(width, height);
        return;
    }
    // One block, pixel for pixel: at a whole-number device pixel ratio every
    // picture pixel covers whole device pixels, and nothing smooths them.
    QPainter painter(m_pClientArea);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(kPictureOrigin, SurfaceImage(surface));
}

void CSpriteDlg::PaintMinimizedIcon()
{
    const QSize iconSize(style()->pixelMetric(QStyle::PM_LargeIconSize),
                         style()->pixelMetric(QStyle::PM_LargeIconSize));
    QPainter painter(m_pClientArea);
    painter.drawPixmap(MinimizedIconOrigin(m_pClientArea->size(), iconSize),
                       m_hIcon.pixmap(iconSize));
}

void CSpriteDlg::PaintBareCheckerboard(int width, int height)
{
    // Too large a picture to compose: show the checkerboard where the
    // client area can show anything at all.
    const int visibleWidth = std::min(width, m_pClientArea->width() - kPictureOrigin.x());
    const int visibleHeight = std::min(height, m_pClientArea->height() - kPictureOrigin.y());
    CSurface surface;
    if (visibleWidth < 1 || visibleHeight < 1 || !surface.Allocate(visibleWidth, visibleHeight))
        return;
    const PixelRect cells{0, 0, visibleWidth, visibleHeight};
    DrawCheckerboard(&surface, kCheckerCell, kCheckerCell, &cells);
    QPainter painter(m_pClientArea);
    painter.drawImage(kPictureOrigin, SurfaceImage(surface));
}

void CSpriteDlg::ShowMessage(const char* text, const char* caption, MessageIcon icon)
{
    m_prompts.ShowMessage(*this, Text(text), Text(caption), icon);
}

void CSpriteDlg::ShowFailure(const Result& result, const char* caption)
{
    if (result.message != Message::None)
        ShowMessage(MessageText(result.message), caption, MessageIcon::Error);
}
