// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The application: runs the main window modally; the program ends when it
// closes.
class CSpriteApp
{
public:
    // The whole run of the program; its exit code. --help and --version
    // answer without a display.
    int Run(int argc, char* argv[]);

    // Runs the main window, with the file named on the command line, and
    // answers false: there is nothing to do once it has closed.
    bool InitInstance();

    // Whether Qt has a display to open windows on.
    static bool HasDisplay();

private:
    QString m_fileToOpen;
};

extern CSpriteApp theApp;
