// The engine launch: order, folders, a failing engine, and no engine left
// however the panel ends. The stand-in engines log
// "<program> pid <pid> cwd <folder>" to engine.log in their folder.

#include "launcher/panelend.h"
#include "testsupport.h"

#ifdef Q_OS_WIN
#include <windows.h>
#define EXE ".exe"
#else
#include <csignal>
#define EXE ""
#endif

namespace {

const QByteArray kLibrary = "NumberOfQueriesInLibrary=0";

const QStringList kPrograms{"torvik_stream_gen_engine/torvik_stream_source_engine" EXE,
                            "plotmir_qt_stream/Plotmir" EXE,
                            "torvik_stream_query_engine/torvik_stream_query_engine" EXE};

// The pids that the engines logged, each from its own program and folder.
QList<qint64> logged(const TestWorkspace &ws)
{
    QList<qint64> pids;
    for (const QString &program : kPrograms) {
        const QFileInfo at(ws.path(program));
        for (const QString &line : QString(readBytes(at.path() + "/engine.log")).split('\n'))
            if (line.startsWith(at.fileName() + " pid ")
                && line.endsWith(" cwd " + QDir::toNativeSeparators(at.canonicalPath())))
                pids << line.section(' ', 2, 2).toLongLong();
    }
    return pids;
}

bool running(qint64 pid)
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

// The query engine as a launch script, "real & wait", whose real program is
// the stand-in under the same name in its bin folder. Only Unix runs scripts.
void launchScript([[maybe_unused]] const TestWorkspace &ws)
{
#ifdef Q_OS_UNIX
    QDir(ws.path("torvik_stream_query_engine")).mkdir("bin");
    const QString script = ws.path(kPrograms[2]);
    QFile::rename(script, ws.path("torvik_stream_query_engine/bin/torvik_stream_query_engine"));
    writeBytes(script, "#!/bin/sh\nbin/torvik_stream_query_engine & wait\n");
    QFile::setPermissions(script, QFile::ReadOwner | QFile::ExeOwner);
#endif
}

} // namespace

class TestLauncher : public QObject
{
    Q_OBJECT

private slots:
    // A missing engine stops the launch, and the engines before it run on;
    // each press starts a new set; all end with the window, and so does
    // what a launch script started.
    void launches()
    {
        const TestWorkspace ws(kLibrary, kPrograms);
        launchScript(ws);
        auto p = std::make_unique<Panel>();
        QFile::rename(ws.path(kPrograms[1]), ws.path("away"));
        p->find<QAbstractButton>("pbt_launch")->click();
        QFile::rename(ws.path("away"), ws.path(kPrograms[1]));
        p->find<QAbstractButton>("pbt_launch")->click();
        QCOMPARE(p->boxes.size(), 1);
        QCOMPARE(p->boxes[0].section("\r\n", 0, 0),
                 "Launch Failed | The engine program "
                     + QDir::toNativeSeparators(ws.path(kPrograms[1])) + " could not be started:");
#ifdef Q_OS_UNIX // Windows words its reason in the system's language
        QCOMPARE(p->boxes[0].section("\r\n", 1), "execvp: No such file or directory");
#endif
        const QString s = "source engine started", v = "visual engine started";
        QCOMPARE(p->debug.filter("engine started"), QStringList({s, s, v, "query engine started"}));
        QList<qint64> pids;
        QTRY_COMPARE((pids = logged(ws)).size(), 4);
        QVERIFY(std::all_of(pids.begin(), pids.end(), running));
        QTest::qWait(100); // what the engines print is discarded, never kept by the panel
        for (QProcess *engine : p->window->findChildren<QProcess *>())
            QVERIFY((engine->readAllStandardOutput() + engine->readAllStandardError()).isEmpty());
        p.reset();
        QTRY_VERIFY(std::none_of(pids.begin(), pids.end(), running));
    }

    void panelEnds_data()
    {
        QTest::addColumn<int>("signal"); // 0: the panel's process is killed outright
        QTest::newRow("a killed panel leaves none of its engines") << 0;
#ifdef Q_OS_UNIX // signals and launch scripts are Unix matters
        QTest::newRow("a terminated panel ends what a launch script started") << int(SIGTERM);
        QTest::newRow("an interrupted panel ends what a launch script started") << int(SIGINT);
        QTest::newRow("a hung-up panel ends what a launch script started") << int(SIGHUP);
#endif
    }

    void panelEnds()
    {
        QFETCH(int, signal);
        const TestWorkspace ws(kLibrary, kPrograms);
        if (signal) // a killed panel cannot end what its engines started
            launchScript(ws);
        QProcess panel;
        panel.setWorkingDirectory(ws.path("panel"));
        panel.start(QCoreApplication::applicationFilePath(), {"--panel"});
        QList<qint64> pids;
        QTRY_COMPARE((pids = logged(ws)).size(), 3);
#ifdef Q_OS_UNIX
        if (signal)
            QVERIFY(::kill(pid_t(panel.processId()), signal) == 0);
        else
#endif
            panel.kill();
        QVERIFY(panel.waitForFinished());
        QCOMPARE(panel.exitStatus(), signal ? QProcess::NormalExit : QProcess::CrashExit);
        QTRY_VERIFY(std::none_of(pids.begin(), pids.end(), running));
    }
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc > 1 && qstrcmp(argv[1], "--panel") == 0) { // the panel, launched once
        quitOnTerminationSignals();
        MainWin window;
        window.findChild<QAbstractButton *>("pbt_launch")->click();
        return app.exec();
    }
    TestLauncher test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_launcher.moc"
