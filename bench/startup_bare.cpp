// The yardstick: an empty Qt main window, built and ended like the panel's
// start-up program.

#include "firstpaint.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    QuitAfterFirstPaint quitter(&window);
    window.show();
    return app.exec();
}
