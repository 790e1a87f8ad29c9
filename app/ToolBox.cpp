// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ToolBox.h"

#include "app/SheetView.h"
#include "app/ToolIcons.h"
#include "document/SpriteDocument.h"
#include "image/ColorWord.h"
#include "image/SpriteImage.h"
#include "res/Resource.h"
#include "res/Strings.h"

#include <QAction>
#include <QToolBar>

#include <algorithm>
#include <iterator>

namespace
{
struct ToolCommand
{
    PixelTool tool;
    int id;
};
constexpr ToolCommand kToolCommands[] = {
    {PixelTool::Pencil, ID_TOOL_PENCIL},
    {PixelTool::Eraser, ID_TOOL_ERASER},
    {PixelTool::Line, ID_TOOL_LINE},
    {PixelTool::Rectangle, ID_TOOL_RECTANGLE},
    {PixelTool::FilledRectangle, ID_TOOL_FILLED_RECTANGLE},
    {PixelTool::Fill, ID_TOOL_FILL},
    {PixelTool::Picker, ID_TOOL_PICKER},
    {PixelTool::Select, ID_TOOL_SELECT},
};
constexpr int kToolBarIconSide = 16;
// A swatch in the status line, in spaces wide.
constexpr int kSwatchSpaces = 4;

QString Text(const char* text)
{
    return QString::fromUtf8(text);
}

QString ToolName(PixelTool tool)
{
    return Text(kToolNames[int(tool)]);
}

int CommandOf(PixelTool tool)
{
    return std::find_if(std::begin(kToolCommands), std::end(kToolCommands),
                        [tool](const ToolCommand& command) { return command.tool == tool; })
        ->id;
}

ToolKeys KeysOf(Qt::KeyboardModifiers keys)
{
    return {keys.testFlag(Qt::ShiftModifier), keys.testFlag(Qt::AltModifier)};
}

SheetPoint PointOf(QPoint pixel)
{
    return {pixel.x(), pixel.y()};
}
} // namespace

CToolBox::CToolBox(CSpriteDocument& document, CSheetView& view) : m_document(document), m_view(view)
{
    connect(&view, &CSheetView::ToolPressed, this,
            [this](QPoint pixel, Qt::MouseButton button, Qt::KeyboardModifiers keys)
            { OnPressed(pixel, button, keys); });
    connect(&view, &CSheetView::ToolMoved, this,
            [this](QPoint pixel, Qt::KeyboardModifiers keys) { OnMoved(pixel, keys); });
    connect(&view, &CSheetView::ToolReleased, this,
            [this](QPoint pixel, Qt::KeyboardModifiers keys) { OnReleased(pixel, keys); });
}

CToolBox::~CToolBox() = default;

void CToolBox::CreateToolBar(QWidget* parent, QWidget* statusParent,
                             const std::function<QAction*(int)>& commandAction)
{
    m_commandAction = commandAction;
    m_toolBar = new QToolBar(parent);
    m_toolBar->setOrientation(Qt::Vertical);
    m_toolBar->setIconSize(QSize(kToolBarIconSide, kToolBarIconSide));
    for (const ToolCommand& command : kToolCommands)
    {
        QAction* action = commandAction(command.id);
        action->setIcon(ToolIcon(command.tool));
        action->setIconVisibleInMenu(false);
        action->setToolTip(Text(kToolTip).arg(
            ToolName(command.tool), action->shortcut().toString(QKeySequence::NativeText)));
        m_toolBar->addAction(action);
    }
    m_status = new QLabel(statusParent);
    m_status->setTextFormat(Qt::RichText);
    ChooseTool(m_tool);
}

std::optional<PixelTool> CToolBox::ToolOfCommand(int id)
{
    const auto found = std::find_if(std::begin(kToolCommands), std::end(kToolCommands),
                                    [id](const ToolCommand& command) { return command.id == id; });
    if (found == std::end(kToolCommands))
        return std::nullopt;
    return found->tool;
}

void CToolBox::ChooseTool(PixelTool tool)
{
    CancelStroke();
    m_tool = tool;
    if (QAction* action = m_commandAction ? m_commandAction(CommandOf(tool)) : nullptr)
        action->setChecked(true);
    Refresh();
}

int CToolBox::Index(Qt::MouseButton button) const
{
    return button == Qt::RightButton ? m_rightIndex : m_leftIndex;
}

void CToolBox::ChooseIndex(int entry, Qt::MouseButton button)
{
    (button == Qt::RightButton ? m_rightIndex : m_leftIndex) = entry % kPaletteRowSize;
    Refresh();
}

void CToolBox::StepIndex(int step)
{
    m_leftIndex = (m_leftIndex + step + kPaletteRowSize) % kPaletteRowSize;
    Refresh();
}

bool CToolBox::ToolsOn() const
{
    return m_document.HasSheet() && m_document.CanEditPixels();
}

void CToolBox::Refresh()
{
    const bool on = ToolsOn();
    m_view.SetPointerOutline(on);
    // The cursor is drawn again only for another tool.
    const std::optional<PixelTool> cursor = on ? std::optional(m_tool) : std::nullopt;
    if (cursor != m_cursorTool || !m_cursorSet)
        m_view.SetToolCursor(cursor ? ToolCursor(*cursor) : QCursor());
    m_cursorTool = cursor;
    m_cursorSet = true;
    if (m_status == nullptr)
        return;
    m_status->setText(
        QStringLiteral("<span style=\"white-space:pre\">%1</span>").arg(StatusLine(true)));
    m_toolBar->setToolTip(on ? QString() : StatusText());
}

bool CToolBox::CancelStroke()
{
    if (!m_stroke)
        return false;
    m_stroke->Cancel();
    m_stroke.reset();
    return true;
}

QString CToolBox::IndexText(int index) const
{
    const CSpriteImage* source = m_document.Source();
    const ColorEntry* colour =
        source ? source->GetColor(m_document.PaletteRow() * kPaletteRowSize + index) : nullptr;
    if (colour == nullptr)
        return QStringLiteral("-");
    const QString text = QStringLiteral("#%1%2%3")
                             .arg(colour->red, 2, 16, QChar('0'))
                             .arg(colour->green, 2, 16, QChar('0'))
                             .arg(colour->blue, 2, 16, QChar('0'))
                             .toUpper();
    return index == 0 ? text + Text(kStatusIndexZero) : text;
}

QString CToolBox::ColourMarkup(int index) const
{
    const QString colour = IndexText(index);
    // Index 0 shows the background: no swatch.
    if (index == 0 || !colour.startsWith('#'))
        return colour.toHtmlEscaped();
    return QStringLiteral("<span style=\"background-color:%1\">%2</span> %1")
        .arg(colour, QString(kSwatchSpaces, QChar::Nbsp));
}

QString CToolBox::StatusText() const
{
    return StatusLine(false);
}

QString CToolBox::StatusLine(bool withSwatches) const
{
    if (!m_document.HasSheet())
        return {};
    if (const Result on = m_document.CanEditPixels(); !on)
        return Text(kToolsOff).arg(on.value);
    const auto colour = [&](int index)
    { return withSwatches ? ColourMarkup(index) : IndexText(index); };
    QString text = Text(kStatusTool)
                       .arg(ToolName(m_tool))
                       .arg(m_leftIndex)
                       .arg(colour(m_leftIndex))
                       .arg(m_rightIndex)
                       .arg(colour(m_rightIndex));
    if (const std::optional<SheetRect> area = m_document.Selection())
        text += Text(m_document.IsFloating() ? kStatusFloating : kStatusSelection)
                    .arg(area->width)
                    .arg(area->height);
    return text;
}

void CToolBox::OnPressed(QPoint pixel, Qt::MouseButton button, Qt::KeyboardModifiers keys)
{
    if (!ToolsOn() || m_stroke)
        return;
    m_strokeButton = button;
    m_stroke = std::make_unique<CToolStroke>(m_document, m_tool, Index(button), PointOf(pixel),
                                             KeysOf(keys));
    TakePick();
}

void CToolBox::OnMoved(QPoint pixel, Qt::KeyboardModifiers keys)
{
    if (!m_stroke)
        return;
    m_stroke->Move(PointOf(pixel), KeysOf(keys));
    TakePick();
}

void CToolBox::OnReleased(QPoint pixel, Qt::KeyboardModifiers keys)
{
    if (!m_stroke)
        return;
    m_stroke->Release(PointOf(pixel), KeysOf(keys));
    TakePick();
    m_stroke.reset();
}

void CToolBox::TakePick()
{
    const std::optional<PickedIndex> picked = m_stroke->Picked();
    if (!picked || *picked == PickedIndex{Index(m_strokeButton), std::nullopt})
        return;
    if (picked->row)
        m_document.ChoosePaletteRow(*picked->row);
    ChooseIndex(picked->index, m_strokeButton);
}
