// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// What the desktop side keeps from one run to the next in the user's
// settings (QSettings, organisation and application "tavrel"): the files
// opened last and the image editor's command.

// Newest first, at most kRecentFileCount, only files that still exist.
QStringList LoadRecentFiles();
// Puts path first, once.
void AddRecentFile(const QString& path);

// The folder of the file chosen last in any chooser; empty at first.
QString LastChooserFolder();
void SaveLastChooserFolder(const QString& folder);

// The command Edit Externally runs: TAVREL_IMAGE_EDITOR when set, else the
// one chosen in Preferences; empty for the desktop's default program.
QString EditorCommand();
QString ChosenEditorCommand();
void SaveEditorCommand(const QString& command);
