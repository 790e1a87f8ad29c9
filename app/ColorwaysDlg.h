// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/FileChooser.h"
#include "base/Result.h"
#include "document/ColorwayRequest.h"

#include <QDialog>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class CReduceOptionsBox;
class CSpriteDocument;
class CSpriteImage;
class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QLabel;
class QPushButton;
class QTreeWidget;

// Import Colourways chooses several pictures at once.
inline constexpr FileChooser kColorwaysChooser{
    ChooserKind::Open, ChooserUse::Pictures, false, kAllPicturesEntry, true,
    kOpenChooserFlags, kColorwaysCaption};

// File > Import Colourways: the base picture and up to 15 recoloured copies,
// each given a palette row (Sprite #1, #2, ... as they come), with the
// document's verdict as the choice changes: how many colour classes, each
// picture's difference, or why they cannot be imported and, for too many
// classes, the offer to reduce them. The dialog changes nothing: OK only
// tells its choice, which Request() gives while the dialog lives.
class CColorwaysDlg : public QDialog
{
    Q_OBJECT

public:
    // Runs the chooser over the dialog: the files chosen, or none.
    using PictureChooser = std::function<QStringList(QWidget& owner)>;

    CColorwaysDlg(const CSpriteDocument& document, PictureChooser choosePictures,
                  QWidget* parent = nullptr);
    ~CColorwaysDlg() override;

    // What the buttons and the row choice do.
    void AddPictures(const QStringList& paths);
    void RemovePicture(int index);
    void MovePicture(int index, int by);
    void SetPictureRow(int index, int row);
    void SetReduce(bool reduce);
    CReduceOptionsBox& OptionsBox() { return *m_pOptions; }

    int PictureCount() const { return int(m_pictures.size()); }
    QString BasePath() const;
    ColorwayRequest Request() const;
    const ColorwaySheet& Preview() const { return m_preview; }
    const Result& PreviewResult() const { return m_previewResult; }
    QString StatusText() const;
    // The Difference column: what showing the picture in its row changes.
    QString DifferenceText(int index) const;

private:
    struct Picture
    {
        QString path;
        std::unique_ptr<CSpriteImage> image;
        int row = 0;
    };

    void CreateControls();
    void UpdatePreview();
    void FillList();
    void OnCurrentPictureChanged();
    int FirstFreeRow() const;

    const CSpriteDocument& m_document;
    PictureChooser m_choosePictures;
    std::vector<Picture> m_pictures;
    QString m_unread; // the files the last Add could not read, and why
    QTreeWidget* m_pList = nullptr;
    QComboBox* m_pRow = nullptr;
    QPushButton* m_pRemove = nullptr;
    QPushButton* m_pUp = nullptr;
    QPushButton* m_pDown = nullptr;
    QCheckBox* m_pReduce = nullptr;
    CReduceOptionsBox* m_pOptions = nullptr;
    QLabel* m_pStatus = nullptr;
    QDialogButtonBox* m_pButtons = nullptr;
    ColorwaySheet m_preview;
    Result m_previewResult;
};
