// MainWin's engine launcher.

#include "app/mainwin.h"

#include "app/errorbox.h"
#include "app/messages.h"
#include "workspace/paths.h"

#include <QDebug>
#include <QDir>
#include <QProcess>

#include <iterator>
#include <memory>
#include <optional>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif
#ifdef Q_OS_LINUX
#include <csignal>
#include <sys/prctl.h>
#endif
#ifdef Q_OS_WIN
#include "launcher/enginejob_win.h"
#endif

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
#ifdef Q_OS_UNIX
    // A process group of its own, which the window's destructor kills
    // whole: a launch script's real program ends with the panel too.
    process.setChildProcessModifier([panel = ::getpid()] {
        ::setpgid(0, 0);
#ifdef Q_OS_LINUX
        // The kernel kills the engine when the panel dies in a way that skips
        // the destructor: a SIGKILL, a lost display or a crash. Programs that
        // the engine started itself may then remain; on other systems the
        // engine does too.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != panel) // the panel died before the line above
            ::_exit(1);
#endif
        Q_UNUSED(panel) // read on Linux alone
    });
#endif
    process.start(where.program, QStringList(), QIODevice::ReadWrite);
    while (process.state() == QProcess::Starting)
        process.waitForStarted(kStartWaitMs);
    // An engine that exits right after starting still counts as started.
    if (process.error() == QProcess::FailedToStart)
        return process.errorString();
#ifdef Q_OS_WIN
    joinPanelJob(static_cast<unsigned long>(process.processId()));
#endif
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
