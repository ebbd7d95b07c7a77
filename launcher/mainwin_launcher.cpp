// MainWin's engine launcher.

#include "app/mainwin.h"

#include "app/messages.h"
#include "launcher/enginepaths.h"

#include <QDebug>
#include <QDir>
#include <QMessageBox>
#include <QProcess>

#include <iterator>
#include <memory>

namespace {

constexpr int kStartWaitMs = 10000;

// Blocks until the engine has started or has failed to. A missing or unusable
// program leaves the process not running, so a wait is repeated only while it
// is still starting; looping on waitForStarted() alone would spin for ever.
bool startEngine(QProcess &process, const EngineLocation &where)
{
    process.setWorkingDirectory(where.workingFolder);
    // The panel never reads its engines: discarding their output keeps a
    // chatty engine from piling up in the panel's memory. Their standard
    // input stays open and unwritten.
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(where.program, QStringList(), QIODevice::ReadWrite);
    while (process.state() == QProcess::Starting)
        process.waitForStarted(kStartWaitMs);
    // An engine that exits right after starting still counts as started.
    return process.error() != QProcess::FailedToStart;
}

} // namespace

void MainWin::onLaunchClicked()
{
    QProcess **const members[] = {&sourceProcess, &visualProcess, &queryProcess};
    const QVector<EngineEntry> &engines = engineTable();
    Q_ASSERT(engines.size() == int(std::size(members)));

    const QDir panelDir = QDir::current();
    for (int i = 0; i < engines.size(); ++i) {
        const EngineLocation where = locateEngine(engines.at(i), panelDir);
        auto process = std::make_unique<QProcess>(this);
        if (!startEngine(*process, where)) {
            // The engines already started keep running and the later ones are
            // not tried. The failed object goes at once, so the member keeps
            // the newest engine that did start.
            const QString error = process->errorString();
            process.reset();
            qWarning().noquote() << "launch stopped:" << where.program << "did not start:" << error;
            QMessageBox::critical(
                nullptr, Msg::launchFailedTitle,
                Msg::launchFailedText(QDir::toNativeSeparators(where.program), error));
            return;
        }
        // Earlier objects stay alive as children of the window and keep
        // their engines running until the window goes.
        *members[i] = process.release();
        qDebug().noquote() << engines.at(i).startedLine;
    }
}
