// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ColorwaysDlg.h"

#include "app/ReduceOptionsBox.h"
#include "document/DocumentFiles.h"
#include "document/SpriteDocument.h"
#include "image/SpriteImage.h"
#include "res/Strings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace
{
QString Text(const char* text)
{
    return QString::fromUtf8(text);
}

// A reason as a sentence of its own.
QString Sentence(const Result& result)
{
    QString text = QString::fromStdString(ReasonText(result));
    if (text.isEmpty())
        return QString::fromStdString(HeadlineText(result));
    return text.at(0).toUpper() + text.mid(1) + '.';
}

enum Column
{
    kPictureColumn,
    kRowColumn,
    kDifferenceColumn,
};
} // namespace

CColorwaysDlg::CColorwaysDlg(const CSpriteDocument& document, PictureChooser choosePictures,
                             QWidget* parent)
    : QDialog(parent), m_document(document), m_choosePictures(std::move(choosePictures))
{
    setWindowTitle(Text(kColorwaysCaption));
    setSizeGripEnabled(true);
    CreateControls();
    UpdatePreview();
}

CColorwaysDlg::~CColorwaysDlg() = default;

void CColorwaysDlg::CreateControls()
{
    auto* layout = new QVBoxLayout(this);
    m_pList = new QTreeWidget(this);
    m_pList->setRootIsDecorated(false);
    m_pList->setColumnCount(std::size(kColorwaysColumns));
    QStringList headers;
    for (const char* header : kColorwaysColumns)
        headers << Text(header);
    m_pList->setHeaderLabels(headers);
    m_pList->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_pList->setMinimumSize(480, 200);
    auto* listLabel = new QLabel(Text(kColorwaysPictures), this);
    listLabel->setBuddy(m_pList);
    layout->addWidget(listLabel);
    auto* listLine = new QHBoxLayout;
    listLine->addWidget(m_pList, 1);
    auto* buttons = new QVBoxLayout;
    const auto addButton = [this, buttons](const char* text, auto handler)
    {
        auto* button = new QPushButton(Text(text), this);
        connect(button, &QPushButton::clicked, this, handler);
        buttons->addWidget(button);
        return button;
    };
    addButton(kColorwaysAdd, [this] { AddPictures(m_choosePictures(*this)); });
    m_pRemove =
        addButton(kColorwaysRemove, [this] { RemovePicture(m_pList->currentIndex().row()); });
    m_pUp = addButton(kColorwaysUp, [this] { MovePicture(m_pList->currentIndex().row(), -1); });
    m_pDown = addButton(kColorwaysDown, [this] { MovePicture(m_pList->currentIndex().row(), 1); });
    buttons->addStretch(1);
    listLine->addLayout(buttons);
    layout->addLayout(listLine, 1);

    m_pRow = new QComboBox(this);
    for (const char* name : kPaletteEntries)
        m_pRow->addItem(Text(name));
    auto* rowForm = new QFormLayout;
    rowForm->addRow(Text(kColorwaysRowLabel), m_pRow);
    layout->addLayout(rowForm);

    m_pStatus = new QLabel(this);
    m_pStatus->setWordWrap(true);
    layout->addWidget(m_pStatus);
    m_pReduce = new QCheckBox(Text(kColorwaysReduce), this);
    layout->addWidget(m_pReduce);
    m_pOptions = new CReduceOptionsBox(this);
    m_pOptions->SetReductionEnabled(false);
    layout->addWidget(m_pOptions);
    m_pButtons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(m_pButtons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_pButtons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(m_pButtons);

    connect(m_pList, &QTreeWidget::currentItemChanged, this, [this] { OnCurrentPictureChanged(); });
    connect(m_pRow, &QComboBox::activated, this,
            [this](int row) { SetPictureRow(m_pList->currentIndex().row(), row); });
    connect(m_pReduce, &QCheckBox::toggled, this, [this](bool on) { SetReduce(on); });
    connect(m_pOptions, &CReduceOptionsBox::Changed, this, [this] { UpdatePreview(); });
}

int CColorwaysDlg::FirstFreeRow() const
{
    for (int row = 0; row < kPaletteRowCount; ++row)
        if (std::none_of(m_pictures.begin(), m_pictures.end(),
                         [row](const Picture& picture) { return picture.row == row; }))
            return row;
    return 0;
}

void CColorwaysDlg::AddPictures(const QStringList& paths)
{
    m_unread.clear();
    for (const QString& path : paths)
    {
        auto image = std::make_unique<CSpriteImage>();
        if (Result read = ReadPictureFile(QFile::encodeName(path).toStdString(), *image); !read)
        {
            m_unread +=
                Text(kColorwaysUnread)
                    .arg(QFileInfo(path).fileName(), QString::fromStdString(FullText(read))) +
                '\n';
            continue;
        }
        const int row = FirstFreeRow();
        m_pictures.push_back({path, std::move(image), row});
    }
    FillList();
    if (!m_pictures.empty() && m_pList->currentIndex().row() < 0)
        m_pList->setCurrentItem(m_pList->topLevelItem(0));
    UpdatePreview();
}

void CColorwaysDlg::RemovePicture(int index)
{
    if (index < 0 || index >= PictureCount())
        return;
    m_pictures.erase(m_pictures.begin() + index);
    FillList();
    m_pList->setCurrentItem(m_pList->topLevelItem(std::min(index, PictureCount() - 1)));
    UpdatePreview();
}

void CColorwaysDlg::MovePicture(int index, int by)
{
    const int to = index + by;
    if (index < 0 || index >= PictureCount() || to < 0 || to >= PictureCount())
        return;
    std::swap(m_pictures[std::size_t(index)], m_pictures[std::size_t(to)]);
    FillList();
    m_pList->setCurrentItem(m_pList->topLevelItem(to));
    UpdatePreview();
}

void CColorwaysDlg::SetPictureRow(int index, int row)
{
    if (index < 0 || index >= PictureCount() || row < 0 || row >= kPaletteRowCount)
        return;
    m_pictures[std::size_t(index)].row = row;
    m_pList->topLevelItem(index)->setText(kRowColumn, Text(kPaletteEntries[row]));
    if (m_pList->currentIndex().row() == index)
        m_pRow->setCurrentIndex(row);
    UpdatePreview();
}

void CColorwaysDlg::SetReduce(bool reduce)
{
    const QSignalBlocker quiet(m_pReduce);
    m_pReduce->setChecked(reduce);
    m_pOptions->SetReductionEnabled(reduce);
    UpdatePreview();
}

void CColorwaysDlg::FillList()
{
    const QSignalBlocker quiet(m_pList);
    m_pList->clear();
    for (std::size_t i = 0; i < m_pictures.size(); ++i)
    {
        const QString name = QFileInfo(m_pictures[i].path).fileName();
        auto* item = new QTreeWidgetItem(m_pList);
        item->setText(kPictureColumn, i == 0 ? Text(kColorwaysBase).arg(name) : name);
        item->setText(kRowColumn, Text(kPaletteEntries[m_pictures[i].row]));
        item->setToolTip(kPictureColumn, m_pictures[i].path);
    }
    OnCurrentPictureChanged();
}

void CColorwaysDlg::OnCurrentPictureChanged()
{
    const int index = m_pList->currentIndex().row();
    const bool chosen = index >= 0 && index < PictureCount();
    m_pRow->setEnabled(chosen);
    if (chosen)
        m_pRow->setCurrentIndex(m_pictures[std::size_t(index)].row);
    m_pRemove->setEnabled(chosen);
    m_pUp->setEnabled(chosen && index > 0);
    m_pDown->setEnabled(chosen && index + 1 < PictureCount());
}

QString CColorwaysDlg::BasePath() const
{
    return m_pictures.empty() ? QString() : m_pictures.front().path;
}

ColorwayRequest CColorwaysDlg::Request() const
{
    ColorwayRequest request;
    for (const Picture& picture : m_pictures)
    {
        request.pictures.push_back(picture.image.get());
        request.rows.push_back(picture.row);
    }
    request.reduce = m_pReduce->isChecked();
    request.options = m_pOptions->Options();
    return request;
}

void CColorwaysDlg::UpdatePreview()
{
    m_previewResult =
        m_pictures.empty() ? Result{} : m_document.PreviewColorways(Request(), m_preview);
    const bool ok = !m_pictures.empty() && m_previewResult.Ok();
    m_pButtons->button(QDialogButtonBox::Ok)->setEnabled(ok);
    m_pOptions->ShowAlphaCounts(ok ? &m_preview.reports.front() : nullptr);
    for (int i = 0; i < PictureCount(); ++i)
        m_pList->topLevelItem(i)->setText(kDifferenceColumn, DifferenceText(i));
    m_pStatus->setText(StatusText());
}

QString CColorwaysDlg::StatusText() const
{
    QString text = m_unread;
    if (m_pictures.empty())
        return text + Text(kColorwaysEmpty);
    if (!m_previewResult)
    {
        text += Sentence(m_previewResult);
        if (m_previewResult.reason == Reason::ColorwayTooManyClasses)
            text += ' ' + Text(kColorwaysOfferReduce);
        return text;
    }
    const QLocale locale;
    const bool reduced = m_preview.classCount >= kPaletteRowSize;
    return text + Text(reduced ? kColorwaysReduced : kColorwaysExact)
                      .arg(locale.toString(m_preview.classCount));
}

QString CColorwaysDlg::DifferenceText(int index) const
{
    if (m_pictures.empty() || !m_previewResult || index < 0 ||
        index >= int(m_preview.reports.size()))
        return QString();
    const ReduceReport& report = m_preview.reports[std::size_t(index)];
    if (report.changedPixels == 0)
        return Text(kColorwaysExactDifference);
    const QLocale locale;
    return Text(kColorwaysDifference)
        .arg(locale.toString(report.meanError, 'f', 2),
             locale.toString(report.largestError, 'f', 2),
             locale.toString(qlonglong(report.changedPixels)));
}
