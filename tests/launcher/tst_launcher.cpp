// The engine launch, in a panel of its own: order, folders, a failing
// engine, and no engine left however the panel ends. The stand-in engines
// log "<program> pid <pid> cwd <folder>" to engine.log in their folder.

#include "launcher/enginelife.h"
#include "testsupport.h"

#ifdef Q_OS_WIN
#include <windows.h>
#define EXE ".exe"
#else
#include <csignal>
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

// The panel presses Launch with the visual engine away, which stops the
// launch after the source engine, then again with it back. It prints its
// boxes and the engines' debug lines, and runs until it is ended.
int panel(QApplication &app, const QString &visual)
{
    EngineLife::quitOnTerminationSignals();
    const Panel p;
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
        QTest::addColumn<int>("signal"); // 0: the panel's process is killed outright
        QTest::newRow("a killed panel leaves none of its engines") << 0;
#ifdef Q_OS_UNIX // signals and launch scripts are Unix matters
        QTest::newRow("a terminated panel ends what a launch script started") << int(SIGTERM);
#endif
    }

    void launches()
    {
        QFETCH(int, signal);
        const TestWorkspace ws("NumberOfQueriesInLibrary=0", kPrograms);
        QProcess panel;
        panel.setWorkingDirectory(ws.path("panel"));
#ifdef Q_OS_UNIX
        // What the panel kills by process group is never the test's own.
        panel.setChildProcessModifier([] { ::setpgid(0, 0); });
        // The query engine as a launch script, "real & wait", whose real
        // program is the stand-in under the same name in its bin folder. A
        // killed panel cannot end what its engines started.
        if (signal) {
            const QString script = ws.path(kPrograms[2]);
            QDir(ws.path("torvik_stream_query_engine")).mkdir("bin");
            QFile::rename(script,
                          ws.path("torvik_stream_query_engine/bin/torvik_stream_query_engine"));
            writeBytes(script, "#!/bin/sh\nbin/torvik_stream_query_engine & wait\n");
            QFile::setPermissions(script, QFile::ReadOwner | QFile::ExeOwner);
        }
#endif
        panel.start(QCoreApplication::applicationFilePath(), {"--panel", ws.path(kPrograms[1])});
        QTRY_COMPARE(running(ws).size(), 4); // the source engine twice
#ifdef Q_OS_UNIX
        if (signal) { // after the visual engine has ended by itself
            QVERIFY(::kill(pid_t(running(ws).value(2)), SIGKILL) == 0);
            QTest::qWait(200);
            QVERIFY(::kill(pid_t(panel.processId()), signal) == 0);
        } else
#endif
            panel.kill();
        QVERIFY(panel.waitForFinished());
        QCOMPARE(panel.exitStatus(), signal ? QProcess::NormalExit : QProcess::CrashExit);
        QTRY_COMPARE(running(ws).size(), 0);
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
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc > 2 && qstrcmp(argv[1], "--panel") == 0)
        return panel(app, QString::fromLocal8Bit(argv[2]));
    TestLauncher test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_launcher.moc"
