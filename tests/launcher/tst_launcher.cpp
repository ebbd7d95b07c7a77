// The engine launch, in a panel of its own: order, folders, a failing
// engine, and nothing an engine started left however the panel ends. The
// stand-in engines log "<program> pid <pid> cwd <folder>" to engine.log in
// their folder.

#include "launcher/enginelife.h"
#include "testsupport.h"
#include "workspace/files.h"

#ifdef Q_OS_WIN
#include <windows.h>
#define EXE ".exe"
#else
#include <sys/prctl.h>
#include <unistd.h>
#define EXE ""
#endif

namespace {

const QStringList kPrograms{"torvik_stream_gen_engine/torvik_stream_source_engine" EXE,
                            "plotmir_qt_stream/Plotmir" EXE,
                            "torvik_stream_query_engine/torvik_stream_query_engine" EXE};

bool runs(qint64 pid)
{
#ifdef Q_OS_WIN
    DWORD code = 0; // stays 0 when no such process opens
    if (const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(pid))) {
        GetExitCodeProcess(process, &code);
        CloseHandle(process);
    }
    return code == STILL_ACTIVE;
#else
    const QByteArray stat = readBytes(QString("/proc/%1/stat").arg(pid));
    return !stat.isEmpty() && !stat.contains(") Z ");
#endif
}

// The engines that run and logged from their own program and folder, in
// launch order.
QList<qint64> running(const TestWorkspace &ws)
{
    QList<qint64> pids;
    for (const QString &program : kPrograms) {
        const QFileInfo at(ws.path(program));
        for (const QString &line : QString(readBytes(at.path() + "/engine.log")).split('\n'))
            if (line.startsWith(at.fileName() + " pid ")
                && line.endsWith(" cwd " + QDir::toNativeSeparators(at.canonicalPath()))
                && runs(line.section(' ', 2, 2).toLongLong()))
                pids << line.section(' ', 2, 2).toLongLong();
    }
    return pids;
}

// Whether the process ignores SIGXFSZ, signal 25: bit 0x1000000 of SigIgn.
bool ignoresFileSizeSignal(const QByteArray &pid)
{
    const QByteArray status = readBytes("/proc/" + pid + "/status");
    return status.mid(status.indexOf("SigIgn:") + 8, 16).toULongLong(nullptr, 16) & 0x1000000;
}

// The pids that the launch scripts wrote to "pids" and that still name a
// process, one that ended but was not reaped included.
QByteArrayList remaining(const TestWorkspace &ws)
{
    QByteArrayList pids = readBytes(ws.path("pids")).simplified().split(' ');
    pids.removeIf([](const QByteArray &p) { return p.isEmpty() || !QFile::exists("/proc/" + p); });
    return pids;
}

// The panel presses Launch with the visual engine away, which stops the
// launch after the source engine, then again with it back. It prints its
// boxes and the engines' debug lines, and runs until it is ended; on Unix a
// line on its standard input closes its window.
int panel(QApplication &app, const QString &visual)
{
    EngineLife::quitOnTerminationSignals();
    const Panel p;
#ifdef Q_OS_UNIX
    p.window->show();
    const QSocketNotifier line(0, QSocketNotifier::Read);
    QObject::connect(&line, &QSocketNotifier::activated, p.window.get(), &QWidget::close);
#endif
    auto *launch = p.window->findChild<QAbstractButton *>("pbt_launch");
    QFile::rename(visual, "away");
    launch->click();
    QFile::rename("away", visual);
    launch->click();
    std::fputs(qPrintable((p.boxes + p.debug.filter("engine started")).join('\n') + '\n'), stdout);
    std::fflush(stdout); // a killed panel flushes nothing
    return app.exec();
}

} // namespace

class TestLauncher : public QObject
{
    Q_OBJECT

private slots:
    void launches_data()
    {
        QTest::addColumn<int>("end"); // 0: killed outright, 1: its window closed, 2: SIGTERM
        QTest::newRow("a killed panel leaves none of its engines") << 0;
#ifdef Q_OS_UNIX // signals and launch scripts are Unix matters
        QTest::newRow("a closed panel leaves nothing its engines started") << 1;
        QTest::newRow("a terminated panel leaves nothing its engines started") << 2;
#endif
    }

    void launches()
    {
        QFETCH(int, end);
        const TestWorkspace ws("NumberOfQueriesInLibrary=0", kPrograms);
        QProcess panel; // in the workspace's panel folder, which TestWorkspace makes current
#ifdef Q_OS_UNIX
        // What the panel kills by process group is never the test's own, and
        // no terminal's job control reaches it. What the panel leaves comes
        // to the test, where one that ended stays unreaped.
        panel.setChildProcessModifier([] { ::setsid(); });
        ::prctl(PR_SET_CHILD_SUBREAPER, end != 0);
#endif
        // The engines as launch scripts that write the pids they start to
        // "pids": the source engine's exits and leaves two children in its
        // group, one deaf to SIGHUP; the visual engine's exits and leaves one
        // in a session of its own; the query engine's waits for its child,
        // which job control put in a group of its own.
        const QByteArray scripts[] = {
            "#!/bin/sh\nsleep 20 & echo $! >>../pids\n"
            "nohup sleep 20 >/dev/null 2>&1 & echo $! >>../pids\nexit 0\n",
            "#!/bin/sh\nsetsid sh -c 'sleep 20 & echo $! >>../pids'\nexit 0\n",
            "#!/bin/bash\nset -m\nsleep 20 & echo $$ $! >>../pids\nwait\n"};
        for (int i = 0; end && i < 3; ++i)
            writeBytes(ws.path(kPrograms[i]), scripts[i]);
        panel.start(QCoreApplication::applicationFilePath(), {"--panel", ws.path(kPrograms[1])});
        // Seven pids of the scripts or four stand-ins: the source engine's run twice.
        QTRY_COMPARE(end ? remaining(ws).size() : running(ws).size(), end ? 7 : 4);
        if (end) {
            for (const QByteArray &pid : remaining(ws))
                QVERIFY2(!ignoresFileSizeSignal(pid), "an engine's program ignores SIGXFSZ");
            QVERIFY(ignoresFileSizeSignal(QByteArray::number(panel.processId())));
            end == 1 ? void(panel.write("close\n")) : panel.terminate(); // SIGTERM
        } else
            panel.kill();
        QVERIFY(panel.waitForFinished());
        QCOMPARE(panel.exitStatus(), end ? QProcess::NormalExit : QProcess::CrashExit);
        QTRY_COMPARE(running(ws).size(), 0);
        QCOMPARE(remaining(ws), QByteArrayList()); // at once: the panel reaps before it exits
        // The box's text holds a line end; Windows writes every line end
        // with a carriage return.
        const QStringList said = QString(panel.readAllStandardOutput()).remove('\r').split('\n');
        QCOMPARE(said.value(0),
                 "Launch Failed | The engine program "
                     + QDir::toNativeSeparators(ws.path(kPrograms[1])) + " could not be started:");
        QCOMPARE(said.mid(2),
                 QStringList({"source engine started", "source engine started",
                              "visual engine started", "query engine started", ""}));
    }

#ifdef Q_OS_UNIX
    void programIgnoresFileSizeSignal()
    {
        const TestWorkspace ws;
        QProcess program; // offscreen, as this test runs
        program.start(PANEL_PROGRAM);
        QTRY_VERIFY(ignoresFileSizeSignal(QByteArray::number(program.processId())));
        program.terminate();
        QVERIFY(program.waitForFinished());
    }
#endif
};

int main(int argc, char **argv)
{
    const bool asPanel = argc > 2 && qstrcmp(argv[1], "--panel") == 0;
    if (asPanel) // first thing, as in the program's main
        Files::failWritesPastSizeLimit();
    QApplication app(argc, argv);
    if (asPanel)
        return panel(app, QString::fromLocal8Bit(argv[2]));
    TestLauncher test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_launcher.moc"
