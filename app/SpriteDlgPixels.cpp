// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's pixel edits: the tool bar beside the view, the Edit
// menu's selection and clipboard commands, and Escape and Enter for a paste
// or a selection. What each command does is the document's.

#include "app/SpriteDlg.h"
#include "image/SpriteImage.h"
#include "res/Resource.h"
#include "res/Strings.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMimeData>
#include <QStatusBar>
#include <QToolBar>

#include <cstring>

namespace
{
// The clipboard carries a selection as an indexed PNG, which image editors
// read with its indices and colour table.
const QString kPngType = QStringLiteral("image/png");

// The commands that need a selection.
constexpr int kSelectionCommands[] = {
    ID_EDIT_CUT,          ID_EDIT_COPY, ID_EDIT_CLEAR, ID_EDIT_DESELECT, ID_EDIT_FLIP_HORIZONTAL,
    ID_EDIT_FLIP_VERTICAL};
// The commands that need a picture the tools can draw on.
constexpr int kDrawingCommands[] = {
    ID_EDIT_SELECT_ALL, ID_TOOL_PENCIL,           ID_TOOL_ERASER,     ID_TOOL_LINE,
    ID_TOOL_RECTANGLE,  ID_TOOL_FILLED_RECTANGLE, ID_TOOL_FILL,       ID_TOOL_PICKER,
    ID_TOOL_SELECT,     ID_TOOL_PREVIOUS_INDEX,   ID_TOOL_NEXT_INDEX, ID_TOOL_TRANSPARENT_ZERO};

QString Text(const char* text)
{
    return QString::fromUtf8(text);
}

bool ClipboardHoldsPicture()
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data != nullptr && (data->hasFormat(kPngType) || data->hasImage());
}

// A picture another program put on the clipboard in a form other than
// PNG, as a 32-bit image: its colours go through the same exact mapping.
CSpriteImage ImageOf(const QImage& clipboardImage)
{
    const QImage rgba = clipboardImage.convertToFormat(QImage::Format_RGBA8888);
    CSpriteImage picture;
    if (rgba.isNull() || !picture.Create(rgba.width(), rgba.height(), 32))
        return picture;
    const auto rowBytes = std::size_t(rgba.width()) * 4;
    for (int y = 0; y < rgba.height(); ++y)
        std::memcpy(picture.GetPixels() + std::size_t(y) * rowBytes, rgba.constScanLine(y),
                    rowBytes);
    return picture;
}

void PutOnClipboard(const std::vector<std::uint8_t>& png)
{
    auto* data = new QMimeData;
    data->setData(kPngType,
                  QByteArray(reinterpret_cast<const char*>(png.data()), qsizetype(png.size())));
    QGuiApplication::clipboard()->setMimeData(data);
}
} // namespace

void CSpriteDlg::CreatePixelTools()
{
    m_toolBox.CreateToolBar(m_pClientArea, m_pStatusBar,
                            [this](int id) { return CommandAction(id); });
    m_pStatusBar->addPermanentWidget(&m_toolBox.StatusWidget());
    CommandAction(ID_TOOL_TRANSPARENT_ZERO)
        ->setChecked(m_document.ZeroInPasteMode() == ZeroInPaste::Transparent);
    connect(&m_ctlPalettePanel, &CPalettePanel::EntryChosen, &m_toolBox, &CToolBox::ChooseIndex);
    connect(&m_ctlView, &CSheetView::SelectionNudged, this,
            [this](QPoint delta) { m_document.MoveSelection(delta.x(), delta.y()); });
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this,
            [this] { UpdateEditCommands(); });
}

void CSpriteDlg::PlaceViewAndTools(const QRect& room)
{
    const int tools = m_toolBox.ToolBar().sizeHint().width();
    m_toolBox.ToolBar().setGeometry(room.x(), room.y(), tools, room.height());
    m_ctlView.setGeometry(room.adjusted(tools, 0, 0, 0));
}

void CSpriteDlg::UpdateEditCommands()
{
    const bool drawing = m_toolBox.ToolsOn();
    const bool selection = drawing && m_document.Selection().has_value();
    for (const int id : kDrawingCommands)
        CommandAction(id)->setEnabled(drawing);
    for (const int id : kSelectionCommands)
        CommandAction(id)->setEnabled(selection);
    CommandAction(ID_EDIT_PASTE)->setEnabled(drawing && ClipboardHoldsPicture());
    m_toolBox.ToolBar().setEnabled(drawing);
}

void CSpriteDlg::OnSelectionChanged()
{
    const std::optional<SheetRect> area = m_document.Selection();
    m_ctlView.SetSelection(area ? std::optional(QRect(area->x, area->y, area->width, area->height))
                                : std::nullopt,
                           m_document.IsFloating());
    m_toolBox.Refresh();
    UpdateEditCommands();
}

bool CSpriteDlg::OnEditCommand(int id)
{
    if (const std::optional<PixelTool> tool = CToolBox::ToolOfCommand(id))
    {
        m_toolBox.ChooseTool(*tool);
        return true;
    }
    switch (id)
    {
    case ID_EDIT_CUT:
        OnEditCut();
        return true;
    case ID_EDIT_COPY:
        OnEditCopy();
        return true;
    case ID_EDIT_PASTE:
        OnEditPaste();
        return true;
    case ID_EDIT_CLEAR:
        m_document.DeleteSelection();
        return true;
    case ID_EDIT_SELECT_ALL:
        m_document.SelectAll();
        return true;
    case ID_EDIT_DESELECT:
        m_document.Deselect();
        return true;
    case ID_EDIT_FLIP_HORIZONTAL:
    case ID_EDIT_FLIP_VERTICAL:
        m_document.FlipSelection(id == ID_EDIT_FLIP_HORIZONTAL);
        return true;
    case ID_TOOL_PREVIOUS_INDEX:
    case ID_TOOL_NEXT_INDEX:
        m_toolBox.StepIndex(id == ID_TOOL_NEXT_INDEX ? 1 : -1);
        return true;
    case ID_TOOL_TRANSPARENT_ZERO:
        m_document.SetZeroInPaste(CommandAction(id)->isChecked() ? ZeroInPaste::Transparent
                                                                 : ZeroInPaste::Opaque);
        return true;
    default:
        return false;
    }
}

void CSpriteDlg::OnEditCut()
{
    std::vector<std::uint8_t> png;
    if (m_document.Selection() && m_document.CutSelection(png))
        PutOnClipboard(png);
}

void CSpriteDlg::OnEditCopy()
{
    std::vector<std::uint8_t> png;
    if (m_document.Selection() && m_document.CopySelection(png))
        PutOnClipboard(png);
}

void CSpriteDlg::OnEditPaste()
{
    if (!m_toolBox.ToolsOn())
        return;
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (data == nullptr || !(data->hasFormat(kPngType) || data->hasImage()))
    {
        ShowMessage(kMsgClipboardEmpty, kCaptionPaste, MessageIcon::Information);
        return;
    }
    // Over the selection, or else at the top-left of what the view shows.
    const std::optional<SheetRect> selection = m_document.Selection();
    const QPoint visible = m_ctlView.FirstVisiblePixel();
    const SheetPoint at =
        selection ? SheetPoint{selection->x, selection->y} : SheetPoint{visible.x(), visible.y()};
    Result pasted;
    if (data->hasFormat(kPngType))
    {
        const QByteArray png = data->data(kPngType);
        pasted = m_document.PastePng(reinterpret_cast<const std::uint8_t*>(png.constData()),
                                     std::size_t(png.size()), at);
    }
    else
        pasted = m_document.PastePicture(ImageOf(qvariant_cast<QImage>(data->imageData())), at);
    if (!pasted)
        ShowPasteFailure(pasted);
    else
        m_ctlView.setFocus();
}

void CSpriteDlg::ShowPasteFailure(const Result& result)
{
    QString reason = QString::fromStdString(ReasonText(result));
    if (!reason.isEmpty())
        reason = reason.left(1).toUpper() + reason.mid(1) + ".\n";
    ShowMessage(MessageText(result.message), kCaptionPaste, MessageIcon::Error,
                (reason + Text(kPasteHint)).toStdString());
}

bool CSpriteDlg::OnEditKey(const QKeyEvent& event)
{
    switch (event.key())
    {
    case Qt::Key_Escape:
        return m_toolBox.CancelStroke() || m_document.EndPasteOrSelection();
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return m_document.PlaceFloating();
    default:
        return false;
    }
}
