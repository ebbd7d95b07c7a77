#include "app/mainwin.h"
#include "launcher/enginelife.h"
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
    EngineLife::quitOnTerminationSignals();
    return app.exec();
}
