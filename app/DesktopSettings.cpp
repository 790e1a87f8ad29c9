// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/DesktopSettings.h"

#include "res/Resource.h"

#include <QFileInfo>
#include <QSettings>

namespace
{
const QString kRecentKey = QStringLiteral("files/recent");
const QString kEditorKey = QStringLiteral("edit/editorCommand");
const QString kFolderKey = QStringLiteral("files/lastFolder");

QSettings Store()
{
    return QSettings(QStringLiteral("tavrel"), QStringLiteral("tavrel"));
}

QStringList Existing(const QStringList& paths)
{
    QStringList existing;
    for (const QString& path : paths)
        if (QFileInfo(path).isFile() && !existing.contains(path))
            existing << path;
    return existing.mid(0, kRecentFileCount);
}
} // namespace

QStringList LoadRecentFiles()
{
    return Existing(Store().value(kRecentKey).toStringList());
}

void AddRecentFile(const QString& path)
{
    QStringList files = Store().value(kRecentKey).toStringList();
    files.removeAll(path);
    files.prepend(path);
    Store().setValue(kRecentKey, Existing(files));
}

QString LastChooserFolder()
{
    return Store().value(kFolderKey).toString();
}

void SaveLastChooserFolder(const QString& folder)
{
    Store().setValue(kFolderKey, folder);
}

QString EditorCommand()
{
    const QString fromEnvironment = qEnvironmentVariable("TAVREL_IMAGE_EDITOR").trimmed();
    return fromEnvironment.isEmpty() ? ChosenEditorCommand() : fromEnvironment;
}

QString ChosenEditorCommand()
{
    return Store().value(kEditorKey).toString().trimmed();
}

void SaveEditorCommand(const QString& command)
{
    Store().setValue(kEditorKey, command.trimmed());
}
