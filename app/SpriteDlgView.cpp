// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's view side: the sheet view, the palette panel and the
// status bar, their layout as the window grows, and the View menu.

#include "app/DialogUnits.h"
#include "app/InspectorText.h"
#include "app/SpriteDlg.h"
#include "image/SpriteImage.h"
#include "render/PixelInspect.h"
#include "res/Resource.h"

#include <QAction>
#include <QGroupBox>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QWindow>

#include <algorithm>

namespace
{
// The gap between the Palette group and the panel under it, in dialog units.
constexpr int kPanelGapUnits = 4;
constexpr int kMinSwatchSide = 6;
constexpr int kSwatchesPerRow = 16;

struct TileCommand
{
    int id;
    QSize tile;
};
constexpr TileCommand kTileCommands[] = {
    {ID_VIEW_TILE_NONE, QSize()},
    {ID_VIEW_TILE_8, QSize(8, 8)},
    {ID_VIEW_TILE_16, QSize(16, 16)},
    {ID_VIEW_TILE_32, QSize(32, 32)},
};
} // namespace

void CSpriteDlg::CreateViewControls(const DialogBaseUnits& units)
{
    m_ctlView.setParent(m_pClientArea);
    m_ctlView.lower();
    const QRect group = m_pPaletteGroup->geometry();
    m_ctlPalettePanel.setParent(m_pClientArea);
    m_ctlPalettePanel.SetSwatchSize(
        std::max(kMinSwatchSide, (group.width() - 1) / kSwatchesPerRow));
    m_ctlPalettePanel.setGeometry(QRect(
        QPoint(group.left(), group.bottom() + 1 + DialogUnitsToPixelsY(kPanelGapUnits, units)),
        m_ctlPalettePanel.sizeHint()));
    setTabOrder(&m_ctlPalette, &m_ctlPalettePanel);
    setTabOrder(&m_ctlPalettePanel, &m_ctlView);

    connect(&m_ctlView, &CSheetView::PixelHovered, this,
            [this](std::optional<QPoint> pixel) { OnPixelHovered(pixel); });
    connect(&m_ctlPalettePanel, &CPalettePanel::RowChosen, this,
            [this](int row) { m_document.ChoosePaletteRow(row); });
    connect(&m_ctlPalettePanel, &CPalettePanel::EntryHovered, this,
            [this](int entry) { OnEntryHovered(entry); });

    m_viewSettings = LoadViewSettings();
    ApplyViewSettings();
    m_ctlView.SetZoom(m_viewSettings.zoom);
    LayoutControls();
    if (m_viewSettings.windowSize.isValid())
        resize(m_viewSettings.windowSize);
    FitOnScreen();
}

void CSpriteDlg::FitOnScreen()
{
    // A size saved on a larger screen, or at a smaller scale, would put the
    // status bar out of reach.
    const QScreen* shownOn = screen();
    if (shownOn == nullptr)
        return;
    const QMargins frame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    const QSize room = shownOn->availableGeometry().size().shrunkBy(frame);
    if (width() > room.width() || height() > room.height())
        resize(size().boundedTo(room).expandedTo(minimumSize()));
}

void CSpriteDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FitOnScreen();
}

void CSpriteDlg::LayoutControls()
{
    // The palette column keeps its distance from the right edge; the view
    // takes the rest.
    const int shift = std::max(0, m_pClientArea->width() - m_baseClientSize.width());
    for (QWidget* widget :
         {static_cast<QWidget*>(m_pPaletteGroup), static_cast<QWidget*>(&m_ctlPalette),
          static_cast<QWidget*>(&m_ctlPalettePanel)})
        widget->move(widget->pos() + QPoint(shift - m_nColumnShift, 0));
    m_nColumnShift = shift;
    PlaceViewAndTools(QRect(0, 0, m_pPaletteGroup->x(), m_pClientArea->height()));
}

void CSpriteDlg::OnPixelHovered(std::optional<QPoint> pixel)
{
    const QString text =
        pixel ? PixelText(InspectPixel(m_document.Source(), m_document.Display(),
                                       m_document.PaletteRow(), pixel->x(), pixel->y()),
                          pixel->x(), pixel->y(), m_document.PaletteRow())
              : QString();
    if (text.isEmpty())
        m_pStatusBar->clearMessage();
    else
        m_pStatusBar->showMessage(text);
}

void CSpriteDlg::OnEntryHovered(int entry)
{
    m_ctlView.SetHighlightedEntry(entry);
    const QString text =
        SwatchText(m_document.Source(), entry, m_ctlPalettePanel.PixelsShowing(entry));
    if (text.isEmpty())
        m_pStatusBar->clearMessage();
    else
        m_pStatusBar->showMessage(text);
}

bool CSpriteDlg::OnViewCommand(int id)
{
    switch (id)
    {
    case ID_VIEW_ZOOM_IN:
        m_ctlView.ZoomIn();
        return true;
    case ID_VIEW_ZOOM_OUT:
        m_ctlView.ZoomOut();
        return true;
    case ID_VIEW_ACTUAL_SIZE:
        m_ctlView.SetZoom(1);
        return true;
    case ID_VIEW_ZOOM_FIT:
        m_ctlView.SetZoom(m_ctlView.FitZoom());
        return true;
    case ID_VIEW_BACKGROUND_CHECKER:
        m_viewSettings.solidBackground.reset();
        break;
    case ID_VIEW_BACKGROUND_COLOR:
        if (const QColor colour =
                m_prompts.ChooseColor(*this, m_viewSettings.solidBackground.value_or(Qt::white));
            colour.isValid())
            m_viewSettings.solidBackground = colour;
        break;
    case ID_VIEW_PIXEL_GRID:
        m_viewSettings.pixelGrid = !m_viewSettings.pixelGrid;
        break;
    case ID_VIEW_TILE_CUSTOM:
        if (const QSize tile = m_prompts.ChooseTileSize(*this, m_viewSettings.tileGrid);
            !tile.isEmpty())
            m_viewSettings.tileGrid = tile.boundedTo(QSize(kMaxTileSide, kMaxTileSide));
        break;
    default:
    {
        const auto tile =
            std::find_if(std::begin(kTileCommands), std::end(kTileCommands),
                         [id](const TileCommand& command) { return command.id == id; });
        if (tile == std::end(kTileCommands))
            return false;
        m_viewSettings.tileGrid = tile->tile;
        break;
    }
    }
    ApplyViewSettings();
    return true;
}

void CSpriteDlg::ApplyViewSettings()
{
    m_ctlView.SetBackground(m_viewSettings.solidBackground);
    m_ctlView.SetPixelGrid(m_viewSettings.pixelGrid);
    m_ctlView.SetTileGrid(m_viewSettings.tileGrid);
    // The menu shows what is in effect, also after a cancelled prompt.
    const bool solid = m_viewSettings.solidBackground.has_value();
    CommandAction(ID_VIEW_BACKGROUND_CHECKER)->setChecked(!solid);
    CommandAction(ID_VIEW_BACKGROUND_COLOR)->setChecked(solid);
    CommandAction(ID_VIEW_PIXEL_GRID)->setChecked(m_viewSettings.pixelGrid);
    bool named = false;
    for (const TileCommand& command : kTileCommands)
    {
        const bool chosen = command.tile == m_viewSettings.tileGrid;
        CommandAction(command.id)->setChecked(chosen);
        named = named || chosen;
    }
    CommandAction(ID_VIEW_TILE_CUSTOM)->setChecked(!named);
}

QAction* CSpriteDlg::CommandAction(int id) const
{
    const QList<QAction*> actions = m_pMenuBar->findChildren<QAction*>();
    const auto found = std::find_if(actions.begin(), actions.end(),
                                    [id](QAction* action) { return action->data().toInt() == id; });
    return found != actions.end() ? *found : nullptr;
}
