// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's desktop side: files from the command line, a drop or the
// recent list, Revert, the watch on the sheet's file, Edit Externally,
// Preferences, the title, greyed commands and the question before unsaved
// changes are lost. The rules are the document's; this side asks it.

#include "app/DesktopSettings.h"
#include "app/SpriteDlg.h"
#include "res/Resource.h"
#include "res/Strings.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QProcess>
#include <QStandardPaths>
#include <QStatusBar>
#include <QUrl>

namespace
{
QString Text(const char* text)
{
    return QString::fromUtf8(text);
}

std::string PathOf(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

QString FromPath(const std::string& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path));
}

// The first local file of a drag, or an empty string.
QString DroppedFile(const QMimeData* data)
{
    if (data == nullptr)
        return {};
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            return url.toLocalFile();
    return {};
}
} // namespace

bool CSpriteDlg::OnDesktopCommand(int id)
{
    if (id >= ID_FILE_RECENT_FIRST && id < ID_FILE_RECENT_FIRST + kRecentFileCount)
    {
        OnFileRecent(id - ID_FILE_RECENT_FIRST);
        return true;
    }
    switch (id)
    {
    case ID_FILE_REVERT:
        OnFileRevert();
        return true;
    case ID_FILE_EDIT_EXTERNALLY:
        OnFileEditExternally();
        return true;
    case ID_FILE_PREFERENCES:
        OnFilePreferences();
        return true;
    default:
        return false;
    }
}

void CSpriteDlg::OpenPath(const QString& path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    const bool picture = CSpriteDocument::IsPicturePath(PathOf(absolute));
    ShowOpened(m_document.Open(PathOf(absolute)), absolute,
               picture ? kCaptionImportImage : kCaptionSpriteImage);
}

void CSpriteDlg::OnFileRecent(int index)
{
    const QString path = LoadRecentFiles().value(index);
    if (!path.isEmpty() && ConfirmDiscard())
        OpenPath(path);
}

void CSpriteDlg::OnFileRevert()
{
    if (m_document.SourcePath().empty() || !ConfirmDiscard())
        return;
    const Result read = m_document.Revert();
    ShowFailure(read, kCaptionReadingSprite, m_document.SourcePath());
}

bool CSpriteDlg::ConfirmDiscard()
{
    if (!m_document.HasSheet() || !m_document.IsModified())
        return true;
    switch (m_prompts.AskSaveChanges(*this, DocumentName()))
    {
    case SaveChoice::Save:
        OnFileSave();
        return !m_document.IsModified();
    case SaveChoice::Discard:
        return true;
    case SaveChoice::Cancel:
        break;
    }
    return false;
}

QString CSpriteDlg::SheetPath() const
{
    return FromPath(m_document.SourcePath());
}

QString CSpriteDlg::DocumentName() const
{
    const QString path = SheetPath();
    return path.isEmpty() ? Text(kUntitledName) : QFileInfo(path).fileName();
}

// The menu is otherwise rebuilt only as it opens, and a greyed one never opens.
void CSpriteDlg::RememberRecentFile(const QString& path)
{
    AddRecentFile(path);
    RebuildRecentMenu();
}

void CSpriteDlg::RebuildRecentMenu()
{
    m_pRecentMenu->clear();
    const QStringList files = LoadRecentFiles();
    for (int i = 0; i < files.size(); ++i)
    {
        QString shown = QDir::toNativeSeparators(files[i]);
        QAction* action = m_pRecentMenu->addAction(
            QStringLiteral("&%1 %2").arg(i + 1).arg(shown.replace('&', "&&")));
        action->setData(ID_FILE_RECENT_FIRST + i);
        connect(action, &QAction::triggered, this, [this, i] { OnFileRecent(i); });
    }
    m_pRecentMenu->setEnabled(!files.isEmpty());
}

void CSpriteDlg::OnSheetFileSettled()
{
    if (!m_document.HasSheet())
        return;
    if (m_document.DecideOutsideChange() == OutsideChange::Ask &&
        !m_prompts.AskReloadChanged(*this, DocumentName()))
    {
        // The user keeps the sheet; this version of the file is settled.
        m_sheetWatch.Acknowledge();
        return;
    }
    const Result read = m_document.Reload();
    // A file still short of a whole sheet is a writer that paused, until it
    // has stayed so for a while.
    const bool endsEarly = read.reason == Reason::EndedEarly;
    if (endsEarly ? m_sheetWatch.RetryWhenStill() : !read && m_sheetWatch.RetryWhenQuiet())
        return; // half written, perhaps: the sheet on screen stays
    m_sheetWatch.Acknowledge();
    if (endsEarly)
        OnSheetFileLost(kStatusSheetCutShort);
    else
        ShowFailure(read, kCaptionReadingSprite, m_document.SourcePath());
}

void CSpriteDlg::OnSheetFileLost(const char* status)
{
    if (!m_document.HasSheet())
        return;
    m_document.MarkUnsaved();
    m_pStatusBar->showMessage(Text(status).arg(DocumentName()));
}

void CSpriteDlg::OnFileEditExternally()
{
    if (!m_document.HasSheet())
        return;
    const QString folder =
        QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + QStringLiteral("/edit");
    QDir().mkpath(folder);
    const QString png = folder + '/' + QFileInfo(DocumentName()).completeBaseName() + ".png";
    if (const Result written = m_document.WriteForEditing(PathOf(png)); !written)
    {
        ShowFailure(written, kCaptionEditExternally, PathOf(png));
        return;
    }
    m_editWatch.Watch(png);
    if (!LaunchEditor(png))
        ShowMessage(kMsgEditorFailed, kCaptionEditExternally, MessageIcon::Error);
}

bool CSpriteDlg::LaunchEditor(const QString& path)
{
    QStringList arguments = QProcess::splitCommand(EditorCommand());
    if (arguments.isEmpty())
        return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    const QString program = arguments.takeFirst();
    return QProcess::startDetached(program, arguments << path);
}

void CSpriteDlg::OnEditedFileSettled()
{
    const Result back = m_document.BringBackEdited(PathOf(m_editWatch.Path()));
    // The editor may not have finished writing: a picture that ends early
    // is waited for until it has stayed so for a while.
    const bool endsEarly = back.reason == Reason::EndedEarly;
    if (endsEarly ? m_editWatch.RetryWhenStill()
                  : back.message == Message::LoadPngFailed && m_editWatch.RetryWhenQuiet())
        return;
    m_editWatch.Acknowledge();
    ShowFailure(back, kCaptionEditExternally, PathOf(m_editWatch.Path()));
}

void CSpriteDlg::OnFilePreferences()
{
    QString command = ChosenEditorCommand();
    if (m_prompts.ChoosePreferences(*this, command))
        SaveEditorCommand(command);
}

void CSpriteDlg::dragEnterEvent(QDragEnterEvent* event)
{
    if (!DroppedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void CSpriteDlg::dropEvent(QDropEvent* event)
{
    const QString path = DroppedFile(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    if (ConfirmDiscard())
        OpenPath(path);
}
