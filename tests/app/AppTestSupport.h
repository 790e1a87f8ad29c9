// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/ColorEditDlg.h"
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

    QString ChooseFile(QWidget&, const FileChooser& chooser) override
    {
        choosers.push_back(&chooser);
        return answers.isEmpty() ? QString() : answers.takeFirst();
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
