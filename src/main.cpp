// Starts Tellora: registers every window by name and loads the main window.
#include "shell/shell.h"
#include "wiring.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Tellora");
    tellora::RegisterShellWindows();
    tellora::RegisterAllWindows();
    if (!tellora::StartProgram()) return 1;
    return app.exec();
}
