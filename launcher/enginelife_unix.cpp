// Unix: each engine runs in a process group of its own, whose id is the
// engine's process id, so that the panel's end reaches the programs an engine
// starts in its group (the real program behind a launch script, say). On
// Linux the panel is also the child subreaper: a program whose parent ended,
// in whatever group or session, becomes the panel's child, and the panel's
// end ends and reaps its children last.

#include "launcher/enginelife.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSocketNotifier>
#include <QThread>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <map>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

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

// The processes whose parent is the panel, read from /proc (none without it).
std::vector<pid_t> panelChildren()
{
    std::vector<pid_t> children;
    const QByteArray panel = QByteArray::number(::getpid());
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool isProcess = false;
        const pid_t pid = pid_t(entry.toInt(&isProcess));
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!isProcess || !stat.open(QIODevice::ReadOnly))
            continue;
        // "pid (name) state ppid ...": the name may hold blanks and brackets.
        const QByteArray text = stat.readAll();
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1 && fields[1] == panel)
            children.push_back(pid);
    }
    return children;
}

// Each child gets SIGTERM when first seen and SIGKILL once it has had its
// grace, or when the time is nearly up; the children of one that ends come
// back as the panel's and take their turn. Each is reaped as it ends.
void endPanelChildren()
{
    constexpr qint64 graceMs = 300;
    constexpr qint64 allMs = 1000; // the panel's end waits no longer
    struct Seen
    {
        qint64 atMs;
        int sent;
    };
    std::map<pid_t, Seen> seen;
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        const std::vector<pid_t> children = panelChildren();
        const qint64 now = clock.elapsed();
        if (children.empty() || now >= allMs)
            return;
        for (const pid_t child : children) {
            if (::waitpid(child, nullptr, WNOHANG) == child) {
                seen.erase(child);
                continue;
            }
            Seen &it = seen.try_emplace(child, Seen{now, 0}).first->second;
            const int due = now - it.atMs >= graceMs || now >= allMs - graceMs ? SIGKILL : SIGTERM;
            if (it.sent != SIGKILL && it.sent != due) { // each signal once
                ::kill(child, due);
                it.sent = due;
            }
        }
        QThread::msleep(10);
    }
}

} // namespace

void EngineLife::prepare(QProcess &engine)
{
#ifdef Q_OS_LINUX
    ::prctl(PR_SET_CHILD_SUBREAPER, 1); // before the first engine; again changes nothing
#endif
    engine.setChildProcessModifier([panel = ::getpid()] {
        ::setpgid(0, 0);
        // An ignored signal stays ignored across exec; the panel's reason
        // for ignoring SIGXFSZ is no engine's.
        ::signal(SIGXFSZ, SIG_DFL);
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
    // is still the panel's. Once the engine has ended, its number may name an
    // unrelated group by now; what the engine left running came back to the
    // panel as its child instead.
    for (const QProcess *engine : owner.findChildren<QProcess *>(Qt::FindDirectChildrenOnly))
        if (const qint64 group = engine->processId(); group > 0)
            ::kill(-pid_t(group), SIGKILL);
    // Deleting a process object kills its engine and waits for it.
    for (QProcess **engine : newestFirst)
        delete std::exchange(*engine, nullptr);
    qDeleteAll(owner.findChildren<QProcess *>(Qt::FindDirectChildrenOnly));
    // Only now: Qt reaps the children of its process objects itself.
    endPanelChildren();
}
