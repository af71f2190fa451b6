// The start-up baseline: the smallest Qt Widgets program that shows one
// window the size of the start panel, with one captioned button as the panel
// has (any text on screen loads the desktop's font list), and ends as soon as
// it is on screen. It links Qt Widgets alone, none of the program's libraries.
#include <QApplication>
#include <QPushButton>
#include <QWidget>
#include <QWindow>

#include <cstdio>
#include <unistd.h>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget w;
    w.resize(438, 176);
    QPushButton button(QStringLiteral("Exit Program"), &w);
    button.setGeometry(120, 120, 200, 40);
    w.show();
    while (!(w.isVisible() && w.windowHandle() && w.windowHandle()->isExposed()))
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    std::fflush(nullptr);
    _exit(0);
}
