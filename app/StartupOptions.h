// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// What the command line asks of the viewer, read before any window (or
// display) exists, as the converter reads its own.
struct StartupOptions
{
    enum class Action
    {
        Run,     // open the window, with file if one was named
        Help,    // print text to standard output and exit 0
        Version, // likewise
        Error,   // print text to standard error and exit 2
    };
    Action action = Action::Run;
    QString file;
    QString text;
};

// The program's arguments, its name first. A file whose name starts with
// "-" follows "--".
StartupOptions ParseStartupOptions(const QStringList& arguments);
