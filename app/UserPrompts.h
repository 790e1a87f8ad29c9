// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/PaletteChoices.h"
#include "app/FileChooser.h"
#include "io/Progress.h"

#include <QColor>
#include <QSize>
#include <QString>
#include <QStringList>

#include <memory>

class CColorEditDlg;
class CColorwaysDlg;
class CReduceColorsDlg;
class QWidget;

enum class MessageIcon
{
    Error,
    Information,
};

enum class SaveChoice
{
    Save,
    Discard,
    Cancel,
};

// A progress shown while a long job runs; the job stops when it is told to
// and the prompt goes when the object does.
class IProgressPrompt : public IProgress
{
public:
    virtual ~IProgressPrompt() = default;
};

// Everything the main window asks of the user goes through here: file
// choosers, message boxes, the About box and the view's colour and tile
// size, each owned by the window.
class IUserPrompts
{
public:
    virtual ~IUserPrompts() = default;

    // The chosen full path, or an empty string when the user cancelled. A
    // chooser with kChooserOverwritePrompt asks before it hands back a file
    // that exists ("NAME already exists. Do you want to replace it?",
    // Replace or Cancel, Cancel by default), and stays open on Cancel.
    virtual QString ChooseFile(QWidget& owner, const FileChooser& chooser,
                               const ChooserStart& start = {}) = 0;
    // A question with Yes and No buttons; true for Yes.
    virtual bool AskYesNo(QWidget& owner, const QString& text, const QString& caption) = 0;
    // A message box with one OK button; the informative text, if any, under
    // the main text: the file, why, what to do next.
    virtual void ShowMessage(QWidget& owner, const QString& text, const QString& caption,
                             MessageIcon icon, const QString& informative = QString()) = 0;
    // A question with the buttons Save and Cancel; true for Save.
    virtual bool AskSaveOrCancel(QWidget& owner, const QString& text, const QString& informative,
                                 const QString& caption) = 0;
    virtual void RunAboutBox(QWidget& owner) = 0;
    // A colour for the picture's background; an invalid colour when the
    // user cancelled.
    virtual QColor ChooseColor(QWidget& owner, const QColor& initial) = 0;
    // A tile grid's width and height; an empty size when the user cancelled.
    virtual QSize ChooseTileSize(QWidget& owner, const QSize& initial) = 0;
    // "Save changes to NAME?" before unsaved changes would be lost.
    virtual SaveChoice AskSaveChanges(QWidget& owner, const QString& name) = 0;
    // The sheet's file changed on disk while the sheet has unsaved changes:
    // true to read it again and drop them.
    virtual bool AskReloadChanged(QWidget& owner, const QString& name) = 0;
    // The Preferences dialog: the image editor's command; false when the
    // user cancelled.
    virtual bool ChoosePreferences(QWidget& owner, QString& editorCommand) = 0;

    // Palette editing. The colour editor the window made and follows, run
    // modally: true for OK.
    virtual bool RunColorEditor(QWidget& owner, CColorEditDlg& editor) = 0;
    // The rows or indices of Swap Rows, Swap Indices or Gradient, starting
    // from those given; false when the user cancelled.
    virtual bool ChoosePalettePair(QWidget& owner, PalettePair& pair) = 0;
    // File > New's layout and colours; false when the user cancelled.
    virtual bool ChooseNewSheet(QWidget& owner, NewSheetChoice& choice) = 0;
    // A question answered by one of the choices, the first by default, or
    // Cancel (Escape): the index chosen, or -1.
    virtual int AskChoice(QWidget& owner, const QString& text, const QString& caption,
                          const QStringList& choices) = 0;
    // A progress that shows itself, with Cancel, only once the job looks
    // like taking more than a moment, and keeps the owner painted meanwhile.
    virtual std::unique_ptr<IProgressPrompt> StartProgress(QWidget& owner, const QString& caption,
                                                           const QString& text) = 0;

    // Truecolour art. Several files from one chooser; none when cancelled.
    virtual QStringList ChooseFiles(QWidget& owner, const FileChooser& chooser,
                                    const ChooserStart& start = {}) = 0;
    // A message box as ShowMessage's, with a button that offers a command
    // beside OK: true when the user chose it.
    virtual bool ShowMessageOffering(QWidget& owner, const QString& text, const QString& caption,
                                     MessageIcon icon, const QString& informative,
                                     const QString& offer) = 0;
    // The dialogs the window made, run modally: true for OK.
    virtual bool RunReduceColors(QWidget& owner, CReduceColorsDlg& dialog) = 0;
    virtual bool RunColorways(QWidget& owner, CColorwaysDlg& dialog) = 0;
};
