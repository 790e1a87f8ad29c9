// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/ReduceOptionsBox.h"
#include "app/SheetView.h"
#include "base/Result.h"
#include "reduce/ReduceColors.h"

#include <QDialog>

class CRowStrip;
class CSpriteDocument;
class QComboBox;
class QDialogButtonBox;
class QLabel;

// Edit > Reduce Colours: the picture before and after, side by side at the
// view's zoom and scrolled together, with the row, the options and what
// the reduction changes. The after side is the document's own preview, so
// it is exactly what OK makes of the sheet and Save writes. The dialog
// changes nothing: OK only tells its choice.
class CReduceColorsDlg : public QDialog
{
    Q_OBJECT

public:
    CReduceColorsDlg(const CSpriteDocument& document, int row, int zoom, QWidget* parent = nullptr);

    int Row() const;
    ReduceOptions Options() const;
    // As the user would choose them; the preview follows.
    void Choose(int row, const ReduceOptions& options);

    // What OK would make of the picture, when previewResult() succeeded.
    const ReducedPicture& Preview() const { return m_preview; }
    const Result& PreviewResult() const { return m_previewResult; }
    QString ReportText() const;
    QString AlphaCountsText() const { return m_pOptions->AlphaCountsText(); }
    CSheetView& BeforeView() { return m_before; }
    CSheetView& AfterView() { return m_after; }

private:
    void CreateControls(int row);
    void UpdatePreview();

    const CSpriteDocument& m_document;
    CSheetView m_before;
    CSheetView m_after;
    QComboBox* m_pRow = nullptr;
    CRowStrip* m_pRowStrip = nullptr;
    CReduceOptionsBox* m_pOptions = nullptr;
    QLabel* m_pReport = nullptr;
    QDialogButtonBox* m_pButtons = nullptr;
    ReducedPicture m_preview;
    Result m_previewResult;
};
