// SPDX-License-Identifier: GPL-3.0-or-later
// The yardstick for bench/startup_bench.py: the least a Qt Widgets program
// does before its first window is mapped. Tavrel's start-up is measured
// against this one, started the same way in the same run. With --menu it
// has a menu bar, and so pays what any window with text pays at start: the
// font configuration is read before the window can be laid out.

#include <QApplication>
#include <QMenuBar>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Empty Qt Window"));
    window.resize(400, 300);
    if (application.arguments().contains(QStringLiteral("--menu")))
    {
        auto* menuBar = new QMenuBar(&window);
        menuBar->addMenu(QStringLiteral("&File"))->addAction(QStringLiteral("E&xit"));
        (new QVBoxLayout(&window))->setMenuBar(menuBar);
    }
    window.show();
    return application.exec();
}
