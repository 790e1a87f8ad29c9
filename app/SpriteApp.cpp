// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SpriteApp.h"

#include "app/QtUserPrompts.h"
#include "app/SpriteDlg.h"
#include "app/StartupOptions.h"
#include "res/Strings.h"

#include <QApplication>

#include <cstdio>

namespace
{
// Help and usage texts need the program's name and version, not a display.
StartupOptions ReadCommandLine(int argc, char* argv[])
{
    int count = argc;
    const QCoreApplication core(count, argv);
    QCoreApplication::setApplicationVersion(QStringLiteral(TAVREL_VERSION));
    return ParseStartupOptions(QCoreApplication::arguments());
}

void Print(std::FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}
} // namespace

CSpriteApp theApp;

int CSpriteApp::Run(int argc, char* argv[])
{
    const StartupOptions options = ReadCommandLine(argc, argv);
    switch (options.action)
    {
    case StartupOptions::Action::Help:
    case StartupOptions::Action::Version:
        Print(stdout, options.text);
        return 0;
    case StartupOptions::Action::Error:
        Print(stderr, options.text);
        return 2;
    case StartupOptions::Action::Run:
        break;
    }
    m_fileToOpen = options.file;
    // Qt's own complaint about a missing platform plugin says nothing useful
    // to someone who merely started the program in a text console.
    if (!HasDisplay())
    {
        std::fprintf(stderr, kNoDisplayMessage, argc > 0 ? argv[0] : "tavrel");
        return 1;
    }
    // Whole-number scales keep the sheet's pixels crisp on hi-DPI screens.
    QApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::Round);
    // The arguments were read already: none is Qt's, and a file named
    // "-style" stays a file.
    int programOnly = 1;
    QApplication application(programOnly, argv);
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
    if (!m_fileToOpen.isEmpty())
    {
        window.show();
        window.OpenPath(m_fileToOpen);
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
