// Runs the panel as its main() does, but once the window is shown presses
// Launch twice, waits until every engine has reported itself in its folder's
// engine.log, and closes the window. The engines must then end through the
// ordinary close -> exec() returns -> window destroyed path.

#include "app/mainwin.h"
#include "launcher/enginepaths.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QThread>
#include <QTimer>

namespace {

bool everyEngineLogged(int launches)
{
    for (const EngineEntry &engine : engineTable()) {
        QFile log(locateEngine(engine, QDir::current()).workingFolder + "/engine.log");
        if (!log.open(QIODevice::ReadOnly) || log.readAll().count('\n') < launches)
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    MainWin window;
    window.show();
    QTimer::singleShot(0, &window, [&window] {
        auto *launch = window.findChild<QPushButton *>(QStringLiteral("pbt_launch"));
        if (launch) {
            launch->click();
            launch->click();
        }
        const QDeadlineTimer deadline(10000);
        while (!everyEngineLogged(2) && !deadline.hasExpired())
            QThread::msleep(20);
        window.close();
    });
    return app.exec();
}
