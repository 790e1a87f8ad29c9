// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/FileChooser.h"

#include "res/Strings.h"

#include <QFile>
#include <QFileInfo>

#include <vector>

#include <unistd.h>

namespace
{
constexpr char kFilterSeparator = '|';

QString QtPatterns(const QString& patterns)
{
    QString spaced = patterns;
    spaced.replace(QLatin1Char(';'), QLatin1Char(' '));
    return spaced;
}

bool IsWriteProtected(const QFileInfo& info)
{
    // The mode's write bits, not WriteUser: that one already answers for
    // the current user, and root may write everything.
    constexpr QFile::Permissions kAnyWriteBit =
        QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    if (!(info.permissions() & kAnyWriteBit))
        return true;
    return ::access(QFile::encodeName(info.absoluteFilePath()).constData(), W_OK) != 0;
}
} // namespace

namespace
{
std::vector<const FileFormatInfo*> FormatsOf(const FileChooser& chooser)
{
    std::vector<const FileFormatInfo*> formats;
    for (const FileFormatInfo& info : AllFormats())
        if (info.chooser == chooser.formats)
            formats.push_back(&info);
    return formats;
}

std::string PatternOf(const FileFormatInfo& format)
{
    return std::string("*.") + format.extension;
}
} // namespace

std::string FilterOf(const FileChooser& chooser)
{
    std::string filter;
    if (chooser.oneEntry)
    {
        std::string shown;
        std::string listed;
        for (const FileFormatInfo* format : FormatsOf(chooser))
        {
            shown += (shown.empty() ? "" : " ") + PatternOf(*format);
            listed += (listed.empty() ? "" : ";") + PatternOf(*format);
        }
        return std::string(kAllPalettesEntry) + " (" + shown + ")|" + listed + "|" +
               kAllFilesEntry + "|";
    }
    for (const FileFormatInfo* format : FormatsOf(chooser))
        filter += std::string(format->chooserLabel) + " (" + PatternOf(*format) + ")|" +
                  PatternOf(*format) + "|";
    return filter + "|";
}

const char* DefaultExtensionOf(const FileChooser& chooser)
{
    return FormatsOf(chooser).front()->extension;
}

std::string InitialNameOf(const FileChooser& chooser)
{
    return chooser.oneEntry ? std::string() : PatternOf(*FormatsOf(chooser).front());
}

QStringList ToQtNameFilters(const char* filter)
{
    const QStringList parts = QString::fromUtf8(filter).split(QLatin1Char(kFilterSeparator));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size() && !parts[i].isEmpty(); i += 2)
    {
        const QString patterns = QtPatterns(parts[i + 1]);
        const QString suffix = QStringLiteral("(%1)").arg(patterns);
        filters.append(parts[i].endsWith(suffix) ? parts[i]
                                                 : QStringLiteral("%1 %2").arg(parts[i], suffix));
    }
    return filters;
}

QString ExtensionOfNameFilter(const QString& nameFilter)
{
    const qsizetype open = nameFilter.lastIndexOf(QLatin1Char('('));
    const QString pattern =
        nameFilter.mid(open + 1).section(QLatin1Char(' '), 0, 0).remove(QLatin1Char(')'));
    return pattern.startsWith(QLatin1String("*.")) ? pattern.mid(2) : QString();
}

ChoiceProblem CheckChosenFile(const QString& path, unsigned flags)
{
    const QFileInfo file(path);
    const QFileInfo folder(file.absolutePath());
    if (file.fileName().contains(QLatin1Char('*')) || file.fileName().contains(QLatin1Char('?')))
        return ChoiceProblem::Pattern;
    if ((flags & kChooserPathMustExist) && !folder.isDir())
        return ChoiceProblem::FolderMissing;
    if ((flags & kChooserFileMustExist) && !file.exists())
        return ChoiceProblem::FileMissing;
    if (flags & kChooserNoReadOnlyReturn)
    {
        if (file.exists() && IsWriteProtected(file))
            return ChoiceProblem::FileReadOnly;
        if (folder.exists() && IsWriteProtected(folder))
            return ChoiceProblem::FolderReadOnly;
    }
    return ChoiceProblem::None;
}
