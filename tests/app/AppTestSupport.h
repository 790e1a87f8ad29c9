// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/ColorEditDlg.h"
#include "app/ColorwaysDlg.h"
#include "app/ReduceColorsDlg.h"
#include "app/FileChooser.h"
#include "app/SpriteDlg.h"
#include "app/UserPrompts.h"

#include <QByteArray>
#include <QEvent>
#include <QFile>
#include <QRgb>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <vector>

#include <ostream>

inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

// Prompts that answer from a script and record what the window asked.
class ScriptedPrompts : public IUserPrompts
{
public:
    QStringList answers; // one per chooser; "" cancels
    std::vector<const FileChooser*> choosers;
    QStringList starts;      // each chooser's "folder | proposed name"
    QStringList messages;    // "caption: text", "(i) " before an information box
    QStringList informative; // each message's informative text, "" for none
    QStringList questions;   // "caption: text | informative"
    bool saveAnswer = false; // Save, or else Cancel
    std::function<void()> whileMessageShown;
    int aboutBoxes = 0;
    QColor colorAnswer; // invalid: cancelled
    QSize tileAnswer;   // empty: cancelled
    SaveChoice saveChoice = SaveChoice::Discard;
    // AskSaveChanges and AskReloadChanged record "save NAME", "reload NAME" in questions.
    bool reloadAnswer = false;
    QString editorAnswer; // Preferences: the command
    // Yes/No questions: one answer each (none left answers No), recorded as "caption: text".
    QList<bool> yesNoAnswers;
    // Palette editing: the colour editor is handed to the script, which
    // answers OK or Cancel (no script: Cancel); the pair and New questions
    // are recorded and answered (none: cancelled).
    std::function<bool(CColorEditDlg&)> colorEditor;
    std::vector<PalettePair> pairsAsked;
    std::optional<PalettePair> pairAnswer;
    std::vector<NewSheetChoice> newSheetsAsked;
    std::optional<NewSheetChoice> newSheetAnswer;

    // AskChoice: one answer each (-1 cancels; none left cancels), recorded
    // in questions as "caption: text [choice, choice]".
    QList<int> choiceAnswers;
    // Progress: each report as "done/total"; the job is stopped at the
    // report numbered cancelAtReport (1 is the first; 0 never).
    QStringList progresses; // "caption: text" of each progress started
    QStringList progressReports;
    int cancelAtReport = 0;

    QString ChooseFile(QWidget&, const FileChooser& chooser, const ChooserStart& start) override
    {
        choosers.push_back(&chooser);
        starts << start.folder + " | " + start.name;
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }

    int AskChoice(QWidget&, const QString& text, const QString& caption,
                  const QStringList& choices) override
    {
        questions << caption + ": " + text + " [" + choices.join(", ") + "]";
        return choiceAnswers.isEmpty() ? -1 : choiceAnswers.takeFirst();
    }

    struct ScriptedProgress : IProgressPrompt
    {
        ScriptedPrompts& prompts;
        explicit ScriptedProgress(ScriptedPrompts& owner) : prompts(owner) {}
        bool Advance(std::int64_t done, std::int64_t total) override
        {
            prompts.progressReports << QString("%1/%2").arg(done).arg(total);
            return prompts.progressReports.size() != prompts.cancelAtReport;
        }
    };

    std::unique_ptr<IProgressPrompt> StartProgress(QWidget&, const QString& caption,
                                                   const QString& text) override
    {
        progresses << caption + ": " + text;
        return std::make_unique<ScriptedProgress>(*this);
    }

    void ShowMessage(QWidget&, const QString& text, const QString& caption, MessageIcon icon,
                     const QString& informativeText = QString()) override
    {
        messages << (icon == MessageIcon::Information ? "(i) " : "") + caption + ": " + text;
        informative << informativeText;
        if (whileMessageShown)
            whileMessageShown();
    }

    bool AskSaveOrCancel(QWidget&, const QString& text, const QString& informativeText,
                         const QString& caption) override
    {
        questions << caption + ": " + text + " | " + informativeText;
        return saveAnswer;
    }

    bool AskYesNo(QWidget&, const QString& text, const QString& caption) override
    {
        questions << caption + ": " + text;
        return !yesNoAnswers.isEmpty() && yesNoAnswers.takeFirst();
    }

    void RunAboutBox(QWidget&) override { ++aboutBoxes; }
    QColor ChooseColor(QWidget&, const QColor&) override { return colorAnswer; }
    QSize ChooseTileSize(QWidget&, const QSize&) override { return tileAnswer; }

    SaveChoice AskSaveChanges(QWidget&, const QString& name) override
    {
        questions << "save " + name;
        return saveChoice;
    }

    bool AskReloadChanged(QWidget&, const QString& name) override
    {
        questions << "reload " + name;
        return reloadAnswer;
    }

    bool ChoosePreferences(QWidget&, QString& command) override
    {
        command = editorAnswer;
        return true;
    }

    bool RunColorEditor(QWidget&, CColorEditDlg& editor) override
    {
        return colorEditor && colorEditor(editor);
    }

    bool ChoosePalettePair(QWidget&, PalettePair& pair) override
    {
        pairsAsked.push_back(pair);
        if (pairAnswer)
            pair = *pairAnswer;
        return pairAnswer.has_value();
    }

    bool ChooseNewSheet(QWidget&, NewSheetChoice& choice) override
    {
        newSheetsAsked.push_back(choice);
        if (newSheetAnswer)
            choice = *newSheetAnswer;
        return newSheetAnswer.has_value();
    }

    // Truecolour art: ChooseFiles answers from filesAnswers (none left
    // cancels); a message offering a command is recorded as ShowMessage
    // records it, with its button in offers, and answered from offerAnswers
    // (none left: OK); the dialogs go to the scripts (none: Cancel).
    QList<QStringList> filesAnswers;
    QStringList offers;
    QList<bool> offerAnswers;
    std::function<bool(CReduceColorsDlg&)> reduceDialog;
    std::function<bool(CColorwaysDlg&)> colorwaysDialog;

    QStringList ChooseFiles(QWidget&, const FileChooser& chooser, const ChooserStart&) override
    {
        choosers.push_back(&chooser);
        return filesAnswers.isEmpty() ? QStringList() : filesAnswers.takeFirst();
    }

    bool ShowMessageOffering(QWidget& owner, const QString& text, const QString& caption,
                             MessageIcon icon, const QString& informativeText,
                             const QString& offer) override
    {
        offers << offer;
        ShowMessage(owner, text, caption, icon, informativeText);
        return !offerAnswers.isEmpty() && offerAnswers.takeFirst();
    }

    bool RunReduceColors(QWidget&, CReduceColorsDlg& dialog) override
    {
        return reduceDialog && reduceDialog(dialog);
    }

    bool RunColorways(QWidget&, CColorwaysDlg& dialog) override
    {
        return colorwaysDialog && colorwaysDialog(dialog);
    }
};

// Counts the paints of the widget it filters.
struct PaintCounter : QObject
{
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

// The test sheet: colour i is red (i & 31) * 8, green (i >> 3) * 8, blue
// 128, so every colour differs; rows 0-143 hold index x / 16 and the rest
// index 0, which is transparent.
inline QRgb SheetColor(int index)
{
    return qRgb((index & 31) * 8, (index >> 3) * 8, 128);
}

inline int SheetIndex(int x, int y)
{
    return y < 144 ? x / 16 : 0;
}

// The sheet's pixels, two to a byte, as an SPR or SP2 file holds them.
inline QByteArray SheetPixelBytes(int rows)
{
    QByteArray bytes;
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < 256; x += 2)
            bytes.append(char(SheetIndex(x, y) | SheetIndex(x + 1, y) << 4));
    return bytes;
}

inline QByteArray SprBytes(const QByteArray& trailing)
{
    QByteArray bytes;
    for (int i = 0; i < 256; ++i)
    {
        const int word = (i & 31) | (i >> 3) << 5 | 16 << 10;
        bytes.append(char(word & 0xFF)).append(char(word >> 8));
    }
    return bytes + SheetPixelBytes(288) + trailing;
}

inline QString WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
    return path;
}

inline QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A window on scripted prompts, with a folder of its own for the files it works on.
class WindowTest : public ::testing::Test
{
protected:
    QString Path(const QString& name) const { return dir.filePath(name); }

    // Runs a command whose chooser answers with path ("" cancels).
    void Run(const QString& path, void (CSpriteDlg::*handler)())
    {
        prompts.answers << path;
        (window.*handler)();
    }

    // The user picks a row in the selector.
    void ChooseRow(int row)
    {
        window.PaletteSelector().setCurrentIndex(row);
        emit window.PaletteSelector().activated(row);
    }

    void Open(const QString& name, const QByteArray& bytes)
    {
        Run(WriteFile(Path(name), bytes), &CSpriteDlg::OnFileOpen);
    }

    QTemporaryDir dir;
    ScriptedPrompts prompts;
    CSpriteDlg window{prompts};
};
