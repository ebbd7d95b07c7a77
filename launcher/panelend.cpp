#include "launcher/panelend.h"

#include <QCoreApplication>
#include <QProcess>
#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

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
#endif

void quitOnTerminationSignals()
{
#ifdef Q_OS_UNIX
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
#endif
}

void endEngineGroups([[maybe_unused]] const QObject &owner)
{
#ifdef Q_OS_UNIX
    // Only an engine that still runs: its process id, and so its group's id,
    // is still the panel's. Once the engine has ended, what it left running
    // is out of reach, as the number may by then name an unrelated group.
    for (const QProcess *engine : owner.findChildren<QProcess *>(Qt::FindDirectChildrenOnly))
        if (const qint64 group = engine->processId(); group > 0)
            ::kill(-pid_t(group), SIGKILL);
#endif
}
