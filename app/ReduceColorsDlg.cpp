// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ReduceColorsDlg.h"

#include "document/SpriteDocument.h"
#include "image/SpriteImage.h"
#include "res/Strings.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>
#include <optional>

namespace
{
QString Text(const char* text)
{
    return QString::fromUtf8(text);
}

// How large a preview opens, at most, in pixels of the screen.
constexpr QSize kLargestPreview(560, 480);
constexpr QSize kSmallestPreview(240, 200);
constexpr int kStripSwatch = 16;

// The two previews scroll as one.
void ScrollTogether(QScrollBar* a, QScrollBar* b)
{
    QObject::connect(a, &QScrollBar::valueChanged, b, &QScrollBar::setValue);
    QObject::connect(b, &QScrollBar::valueChanged, a, &QScrollBar::setValue);
}
} // namespace

// The 16 colours of the row as the reduction leaves them; entry 0, drawn
// transparent, is crossed out.
class CRowStrip : public QWidget
{
public:
    explicit CRowStrip(QWidget* parent) : QWidget(parent)
    {
        setFixedSize(kPaletteRowSize * kStripSwatch + 1, kStripSwatch + 1);
    }

    void SetRow(const PaletteRow* row)
    {
        m_row = row ? std::optional(*row) : std::nullopt;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        if (!m_row)
            return;
        QPainter painter(this);
        for (int i = 0; i < kPaletteRowSize; ++i)
        {
            const ColorEntry& color = (*m_row)[std::size_t(i)];
            const QRect swatch(i * kStripSwatch, 0, kStripSwatch, kStripSwatch);
            painter.fillRect(swatch, QColor(color.red, color.green, color.blue));
            painter.setPen(Qt::black);
            painter.drawRect(swatch);
            if (i == 0)
                painter.drawLine(swatch.topLeft(), swatch.bottomRight());
        }
    }

private:
    std::optional<PaletteRow> m_row;
};

CReduceColorsDlg::CReduceColorsDlg(const CSpriteDocument& document, int row, int zoom,
                                   QWidget* parent)
    : QDialog(parent), m_document(document)
{
    setWindowTitle(Text(kReduceColorsCaption));
    setSizeGripEnabled(true);
    CreateControls(row);
    for (CSheetView* view : {&m_before, &m_after})
    {
        view->SetZoom(zoom);
        view->setMinimumSize(kSmallestPreview);
    }
    // It opens with room for the picture at that zoom, within reason.
    const QSize picture(document.Width() * zoom, document.Height() * zoom);
    const QSize extra =
        picture.boundedTo(kLargestPreview).expandedTo(kSmallestPreview) - kSmallestPreview;
    resize(sizeHint() + QSize(2 * extra.width(), extra.height()));
    m_before.SetPicture(document.Source(), document.Display(), document.PaletteRow());
    ScrollTogether(m_before.horizontalScrollBar(), m_after.horizontalScrollBar());
    ScrollTogether(m_before.verticalScrollBar(), m_after.verticalScrollBar());
    UpdatePreview();
    // Tab goes through the choices, then the previews, which scroll from the
    // keyboard too.
    m_pRow->setFocus();
}

void CReduceColorsDlg::CreateControls(int row)
{
    auto* layout = new QVBoxLayout(this);
    auto* previews = new QGridLayout;
    previews->addWidget(new QLabel(Text(kReduceBefore), this), 0, 0);
    previews->addWidget(new QLabel(Text(kReduceAfter), this), 0, 1);
    m_before.setParent(this);
    m_after.setParent(this);
    previews->addWidget(&m_before, 1, 0);
    previews->addWidget(&m_after, 1, 1);
    layout->addLayout(previews, 1);

    auto* rowLine = new QHBoxLayout;
    m_pRow = new QComboBox(this);
    for (const char* name : kPaletteEntries)
        m_pRow->addItem(Text(name));
    m_pRow->setCurrentIndex(std::clamp(row, 0, kPaletteRowCount - 1));
    auto* rowLabel = new QLabel(Text(kReduceRowLabel), this);
    rowLabel->setBuddy(m_pRow);
    rowLine->addWidget(rowLabel);
    rowLine->addWidget(m_pRow);
    rowLine->addSpacing(kStripSwatch);
    rowLine->addWidget(new QLabel(Text(kReduceRowAfter), this));
    m_pRowStrip = new CRowStrip(this);
    rowLine->addWidget(m_pRowStrip);
    rowLine->addStretch(1);
    layout->addLayout(rowLine);

    m_pOptions = new CReduceOptionsBox(this);
    layout->addWidget(m_pOptions);
    m_pReport = new QLabel(this);
    m_pReport->setWordWrap(true);
    layout->addWidget(m_pReport);
    m_pButtons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(m_pButtons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_pButtons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(m_pButtons);

    connect(m_pRow, &QComboBox::currentIndexChanged, this, [this] { UpdatePreview(); });
    connect(m_pOptions, &CReduceOptionsBox::Changed, this, [this] { UpdatePreview(); });
}

int CReduceColorsDlg::Row() const
{
    return m_pRow->currentIndex();
}

ReduceOptions CReduceColorsDlg::Options() const
{
    return m_pOptions->Options();
}

void CReduceColorsDlg::Choose(int row, const ReduceOptions& options)
{
    const QSignalBlocker quiet(m_pRow);
    m_pRow->setCurrentIndex(row);
    m_pOptions->SetOptions(options);
}

void CReduceColorsDlg::UpdatePreview()
{
    m_previewResult = m_document.PreviewReduceColors(Row(), Options(), m_preview);
    const bool ok = m_previewResult.Ok();
    m_pButtons->button(QDialogButtonBox::Ok)->setEnabled(ok);
    m_after.SetPicture(ok ? &m_preview.picture : nullptr, ok ? &m_preview.picture : nullptr, 0);
    m_pRowStrip->SetRow(ok ? &m_preview.row : nullptr);
    m_pOptions->ShowAlphaCounts(ok ? &m_preview.report : nullptr);
    m_pReport->setText(ReportText());
}

QString CReduceColorsDlg::ReportText() const
{
    if (!m_previewResult)
        return QString::fromStdString(FullText(m_previewResult));
    const ReduceReport& report = m_preview.report;
    const QLocale locale;
    return Text(kReduceReport)
        .arg(locale.toString(report.meanError, 'f', 2),
             locale.toString(report.largestError, 'f', 2),
             locale.toString(qlonglong(report.changedPixels)),
             locale.toString(qlonglong(report.opaquePixels)));
}
