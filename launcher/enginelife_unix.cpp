// Unix: each engine runs in a process group of its own, whose id is the
// engine's process id, so that the panel's end reaches the programs an engine
// starts in its group (the real program behind a launch script, say).

#include "launcher/enginelife.h"

#include <QCoreApplication>
#include <QProcess>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

#ifdef Q_OS_LINUX
#include <sys/prctl.h>
#endif

namespace {

// A signal handler may do next to nothing safely; it writes one byte, and
// the event loop, woken by the byte, quits.
int signalPipe[2] = {-1, -1}; // written by the handler, read by the loop

void onTerminationSignal(int)
{
    const int savedErrno = errno;
    const char byte = 0;
    [[maybe_unused]] const auto written = ::write(signalPipe[0], &byte, 1);
    errno = savedErrno;
}

} // namespace

void EngineLife::prepare(QProcess &engine)
{
    engine.setChildProcessModifier([panel = ::getpid()] {
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
}

void EngineLife::adopt(const QProcess &) { }

void EngineLife::quitOnTerminationSignals()
{
    if (signalPipe[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return;
    // Engines inherit neither end, and a flood of signals never blocks the
    // handler: bytes beyond the buffer add nothing to the first.
    for (const int end : signalPipe)
        ::fcntl(end, F_SETFD, FD_CLOEXEC);
    ::fcntl(signalPipe[0], F_SETFL, ::fcntl(signalPipe[0], F_GETFL) | O_NONBLOCK);

    auto *const notifier =
        new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [] {
        char byte;
        [[maybe_unused]] const auto read = ::read(signalPipe[1], &byte, 1);
        // Closes the windows and leaves the event loop, as the last close does.
        QCoreApplication::quit();
    });

    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}

void EngineLife::endAll(QObject &owner, std::initializer_list<QProcess **> newestFirst)
{
    // Only an engine that still runs: its process id, and so its group's id,
    // is still the panel's. Once the engine has ended, what it left running
    // is out of reach, as the number may by then name an unrelated group.
    for (const QProcess *engine : owner.findChildren<QProcess *>(Qt::FindDirectChildrenOnly))
        if (const qint64 group = engine->processId(); group > 0)
            ::kill(-pid_t(group), SIGKILL);
    // Deleting a process object kills its engine and waits for it.
    for (QProcess **engine : newestFirst)
        delete std::exchange(*engine, nullptr);
    qDeleteAll(owner.findChildren<QProcess *>(Qt::FindDirectChildrenOnly));
}
