// The yardstick for bench/startup_bench.py: the least a Qt Widgets program
// does before its first window is mapped. Tavrel's start-up is measured
// against this one, started the same way in the same run.

#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Empty Qt Window"));
    window.resize(400, 300);
    window.show();
    return application.exec();
}
