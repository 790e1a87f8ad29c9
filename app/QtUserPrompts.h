// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/UserPrompts.h"

// The prompts as Qt windows: non-native file choosers that behave alike on
// every platform, message boxes and the About box, all modal.
class QtUserPrompts final : public IUserPrompts
{
public:
    QString ChooseFile(QWidget& owner, const FileChooser& chooser,
                       const ChooserStart& start = {}) override;
    void ShowMessage(QWidget& owner, const QString& text, const QString& caption, MessageIcon icon,
                     const QString& informative = QString()) override;
    bool AskSaveOrCancel(QWidget& owner, const QString& text, const QString& informative,
                         const QString& caption) override;
    bool AskYesNo(QWidget& owner, const QString& text, const QString& caption) override;
    void RunAboutBox(QWidget& owner) override;
    QColor ChooseColor(QWidget& owner, const QColor& initial) override;
    QSize ChooseTileSize(QWidget& owner, const QSize& initial) override;
    SaveChoice AskSaveChanges(QWidget& owner, const QString& name) override;
    bool AskReloadChanged(QWidget& owner, const QString& name) override;
    bool ChoosePreferences(QWidget& owner, QString& editorCommand) override;
    // Palette editing (app/QtPalettePrompts.cpp).
    bool RunColorEditor(QWidget& owner, CColorEditDlg& editor) override;
    bool ChoosePalettePair(QWidget& owner, PalettePair& pair) override;
    bool ChooseNewSheet(QWidget& owner, NewSheetChoice& choice) override;
    int AskChoice(QWidget& owner, const QString& text, const QString& caption,
                  const QStringList& choices) override;
    std::unique_ptr<IProgressPrompt> StartProgress(QWidget& owner, const QString& caption,
                                                   const QString& text) override;
    // Truecolour art (app/QtReducePrompts.cpp).
    QStringList ChooseFiles(QWidget& owner, const FileChooser& chooser,
                            const ChooserStart& start = {}) override;
    bool ShowMessageOffering(QWidget& owner, const QString& text, const QString& caption,
                             MessageIcon icon, const QString& informative,
                             const QString& offer) override;
    bool RunReduceColors(QWidget& owner, CReduceColorsDlg& dialog) override;
    bool RunColorways(QWidget& owner, CColorwaysDlg& dialog) override;
};
