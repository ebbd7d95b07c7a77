// The panel's window as the form alone builds it: every widget and text, but
// none of the panel's own code (no library, no connections). Tells the cost
// of the window that the panel must show from the cost of what it loads.

#include "firstpaint.h"
#include "ui_mainwin.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    Ui_MainWin form;
    form.setupUi(&window);
    QuitAfterFirstPaint quitter(&window);
    window.show();
    return app.exec();
}
