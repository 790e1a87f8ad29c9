// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "document/DocumentObserver.h"

#include <QObject>
#include <QRect>

class CSpriteDocument;

// The document's changes as Qt signals, for the window's widgets to follow.
// It observes the document for as long as it lives.
class CDocumentSignals : public QObject, private IDocumentObserver
{
    Q_OBJECT

public:
    explicit CDocumentSignals(CSpriteDocument& document, QObject* parent = nullptr);
    ~CDocumentSignals() override;

signals:
    void SheetReplaced(Replacement why);
    void PixelsChanged(const QRect& area);
    void ColorsChanged(int first, int last);
    void PaletteRowChanged(int row);
    void NameChanged();
    void LayoutChanged();
    void ModifiedChanged(bool modified);
    void Saved();
    void HistoryChanged();
    void SelectionChanged();

private:
    void OnSheetReplaced(Replacement why) override { emit SheetReplaced(why); }
    void OnPixelsChanged(const SheetRect& area) override
    {
        emit PixelsChanged(QRect(area.x, area.y, area.width, area.height));
    }
    void OnColorsChanged(std::int32_t first, std::int32_t last) override
    {
        emit ColorsChanged(first, last);
    }
    void OnPaletteRowChanged(std::int32_t row) override { emit PaletteRowChanged(row); }
    void OnNameChanged() override { emit NameChanged(); }
    void OnLayoutChanged() override { emit LayoutChanged(); }
    void OnModifiedChanged(bool modified) override { emit ModifiedChanged(modified); }
    void OnSaved() override { emit Saved(); }
    void OnHistoryChanged() override { emit HistoryChanged(); }
    void OnSelectionChanged() override { emit SelectionChanged(); }

    CSpriteDocument& m_document;
};
