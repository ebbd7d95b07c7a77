// MainWin's engine launcher.

#include "app/mainwin.h"

#include "app/errorbox.h"
#include "app/messages.h"
#include "launcher/enginelife.h"
#include "workspace/paths.h"

#include <QDebug>
#include <QDir>
#include <QProcess>

#include <iterator>
#include <memory>
#include <optional>

namespace {

constexpr int kStartWaitMs = 10000;

// Blocks until the engine has started or has failed to; the reason when it
// failed. A missing or unusable program leaves the process not running, so a
// wait is repeated only while it is still starting: looping on
// waitForStarted() alone would spin for ever.
std::optional<QString> startEngine(QProcess &process, const Paths::EngineLocation &where)
{
    process.setWorkingDirectory(where.workingFolder);
    // The panel never reads its engines: discarding their output keeps a
    // chatty engine from piling up in the panel's memory. Their standard
    // input stays open and unwritten.
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    EngineLife::prepare(process);
    process.start(where.program, QStringList(), QIODevice::ReadWrite);
    while (process.state() == QProcess::Starting)
        process.waitForStarted(kStartWaitMs);
    // An engine that exits right after starting still counts as started.
    if (process.error() == QProcess::FailedToStart)
        return process.errorString();
    EngineLife::adopt(process);
    return std::nullopt;
}

} // namespace

void MainWin::onLaunchClicked()
{
    QProcess **const members[] = {&sourceProcess, &visualProcess, &queryProcess};
    static_assert(std::size(members) == Paths::engineCount, "one member per engine");

    const QDir panelDir = QDir::current();
    for (std::size_t i = 0; i < Paths::engineCount; ++i) {
        const Paths::Engine &engine = Paths::engines()[i];
        const Paths::EngineLocation at = Paths::locate(engine, panelDir);
        auto process = std::make_unique<QProcess>(this);
        if (const auto error = startEngine(*process, at)) {
            // The engines already started keep running and the later ones are
            // not tried. The failed object goes with this scope, so the member
            // keeps the newest engine that did start.
            qWarning().noquote() << "launch stopped:" << at.program << "did not start:" << *error;
            ErrorBox::show(Msg::launchFailedTitle,
                           Msg::launchFailedText(QDir::toNativeSeparators(at.program), *error));
            return;
        }
        // Earlier objects stay alive as children of the window and keep
        // their engines running until the window goes.
        *members[i] = process.release();
        qDebug().noquote() << engine.startedLine;
    }
}
