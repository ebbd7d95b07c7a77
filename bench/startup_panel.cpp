// The panel's own entry point, plus a filter that ends the process right
// after the window's first paint.

#include "app/mainwin.h"
#include "firstpaint.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    MainWin window;
    QuitAfterFirstPaint quitter(&window);
    window.show();
    return app.exec();
}
