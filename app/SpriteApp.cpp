// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SpriteApp.h"

#include "app/QtUserPrompts.h"
#include "app/SpriteDlg.h"
#include "res/Strings.h"

#include <QApplication>

#include <cstdio>

CSpriteApp theApp;

int CSpriteApp::Run(int argc, char* argv[])
{
    // Qt's own complaint about a missing platform plugin says nothing useful
    // to someone who merely started the program in a text console.
    if (!HasDisplay())
    {
        std::fprintf(stderr, kNoDisplayMessage, argc > 0 ? argv[0] : "tavrel");
        return 1;
    }
    // Whole-number scales keep the sheet's pixels crisp on hi-DPI screens.
    QApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::Round);
    QApplication application(argc, argv);
    QApplication::setApplicationVersion(QStringLiteral(TAVREL_VERSION));
    InitInstance();
    return 0;
}

bool CSpriteApp::InitInstance()
{
    QtUserPrompts prompts;
    CSpriteDlg window(prompts);
    // A file named on the command line opens once the window is shown and
    // before the event loop first runs, so the first paint has the sheet
    // and a failure's message has a window to stand over.
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() > 1)
    {
        window.show();
        window.OpenPath(arguments.at(1));
    }
    window.exec();
    return false;
}

bool CSpriteApp::HasDisplay()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}
