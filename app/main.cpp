#include "app/mainwin.h"
#include "launcher/panelend.h"
#include "workspace/files.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char *argv[])
{
    Files::failWritesPastSizeLimit();
    QApplication app(argc, argv);
    // The icon is compiled in as a PNG, so no image plugin is needed for it.
    app.setWindowIcon(QIcon(QStringLiteral(":/icons/stream_panel.png")));
    MainWin window;
    window.show();
    quitOnTerminationSignals();
    return app.exec();
}
