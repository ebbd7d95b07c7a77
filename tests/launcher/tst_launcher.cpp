#include "testsupport.h"

#include "app/messages.h"
#include "launcher/enginepaths.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QtTest>

#include <memory>

#include <signal.h>

namespace {

struct LogLine
{
    QString program;
    qint64 pid = 0;
    QString cwd;
};

QString engineLogPath(const Workspace &ws, int engine)
{
    return locateEngine(engineTable().at(engine), QDir(ws.panelDir())).workingFolder
        + QStringLiteral("/engine.log");
}

// A stand-in writes "<program> pid <pid> cwd <folder>" once it runs.
QVector<LogLine> engineLog(const Workspace &ws, int engine)
{
    QVector<LogLine> lines;
    const QByteArray bytes = readBytes(engineLogPath(ws, engine));
    for (const QByteArray &raw : bytes.split('\n')) {
        const QString text = QString::fromLocal8Bit(raw);
        const int pidAt = text.indexOf(QStringLiteral(" pid "));
        const int cwdAt = text.indexOf(QStringLiteral(" cwd "));
        if (pidAt > 0 && cwdAt > pidAt)
            lines.append({text.left(pidAt), text.mid(pidAt + 5, cwdAt - pidAt - 5).toLongLong(),
                          text.mid(cwdAt + 5)});
    }
    return lines;
}

bool isRunning(qint64 pid)
{
    if (pid <= 0 || ::kill(pid_t(pid), 0) != 0)
        return false;
    // An ended child that nobody has reaped yet still answers kill().
    const QByteArray stat = readBytes(QStringLiteral("/proc/%1/stat").arg(pid));
    const int state = stat.lastIndexOf(')') + 2;
    return state >= stat.size() || stat.at(state) != 'Z';
}

// Kills every stand-in that a workspace's logs name, so that a failing test
// leaves nothing running behind it.
struct EngineReaper
{
    const Workspace &ws;
    ~EngineReaper()
    {
        for (int engine = 0; engine < engineTable().size(); ++engine) {
            for (const LogLine &line : engineLog(ws, engine)) {
                if (isRunning(line.pid))
                    ::kill(pid_t(line.pid), SIGKILL);
            }
        }
    }
};

QStringList startedLines(const DebugCapture &debug)
{
    return debug.lines().filter(QStringLiteral(" engine started"));
}

QStringList expectedStartedLines(int engines)
{
    QStringList lines;
    for (int engine = 0; engine < engines; ++engine)
        lines << engineTable().at(engine).startedLine;
    return lines;
}

} // namespace

class TestLauncher : public QObject
{
    Q_OBJECT

private slots:
    void onePressStartsThreeEnginesInOrder()
    {
        Workspace ws;
        QVERIFY(ws.isValid() && ws.installStandInEngines());
        EngineReaper reaper{ws};
        Panel panel;
        panel.launch();

        QCOMPARE(startedLines(panel.debug), expectedStartedLines(3));
        QCOMPARE(panel.seen(), QStringList());
        const auto processes = panel.window.findChildren<QProcess *>(Qt::FindDirectChildrenOnly);
        QCOMPARE(processes.size(), 3);
        for (int engine = 0; engine < 3; ++engine) {
            QTRY_COMPARE_WITH_TIMEOUT(engineLog(ws, engine).size(), 1, 5000);
            const LogLine line = engineLog(ws, engine).first();
            const EngineLocation where = locateEngine(engineTable().at(engine), QDir::current());
            QCOMPARE(line.program, QFileInfo(where.program).fileName());
            QCOMPARE(line.cwd, QFileInfo(where.workingFolder).canonicalFilePath());
            // Children are kept in creation order, and each engine is created
            // only after the one before it has started.
            QCOMPARE(processes.at(engine)->processId(), line.pid);
        }
        // What the engines print is discarded, not held by the panel.
        QTest::qWait(100);
        for (QProcess *process : processes) {
            QVERIFY(process->readAllStandardOutput().isEmpty());
            QVERIFY(process->readAllStandardError().isEmpty());
        }
    }

    void eachPressStartsANewSetUntilTheWindowGoes()
    {
        Workspace ws;
        QVERIFY(ws.isValid() && ws.installStandInEngines());
        EngineReaper reaper{ws};
        auto panel = std::make_unique<Panel>();
        panel->launch();
        panel->launch();

        QList<qint64> pids;
        for (int engine = 0; engine < 3; ++engine) {
            QTRY_COMPARE_WITH_TIMEOUT(engineLog(ws, engine).size(), 2, 5000);
            for (const LogLine &line : engineLog(ws, engine)) {
                QVERIFY2(isRunning(line.pid), qPrintable(line.program));
                pids << line.pid;
            }
        }
        QCOMPARE(panel->seen(), QStringList());

        panel.reset();
        for (const qint64 pid : pids)
            QVERIFY2(!isRunning(pid), qPrintable(QString::number(pid)));
    }

    void failedEngineStopsTheLaunch_data()
    {
        QTest::addColumn<int>("failing");
        QTest::addColumn<bool>("missing");
        for (int engine = 0; engine < 3; ++engine) {
            const QByteArray name =
                engineTable().at(engine).startedLine.section(' ', 0, 0).toLatin1();
            QTest::newRow(name + " missing") << engine << true;
            QTest::newRow(name + " not executable") << engine << false;
        }
    }

    void failedEngineStopsTheLaunch()
    {
        QFETCH(int, failing);
        QFETCH(bool, missing);
        Workspace ws;
        QVERIFY(ws.isValid() && ws.installStandInEngines());
        EngineReaper reaper{ws};
        const QString program = locateEngine(engineTable().at(failing), QDir::current()).program;
        if (missing)
            QVERIFY(QFile::remove(program));
        else
            QVERIFY(QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner));
        Panel panel;
        QElapsedTimer clock;
        clock.start();
        panel.launch();
        QVERIFY(clock.elapsed() < 2000);

        const QString error =
            missing ? "execvp: No such file or directory" : "execvp: Permission denied";
        QCOMPARE(
            panel.seen(),
            QStringList{boxLine(Msg::launchFailedTitle,
                                Msg::launchFailedText(QDir::toNativeSeparators(program), error))});
        QCOMPARE(startedLines(panel.debug), expectedStartedLines(failing));
        QCOMPARE(panel.debug.lines().filter(program).size(), 1);

        // Engines before the failing one run on; none after it was tried, and
        // no process object is left for the one that failed.
        for (int engine = 0; engine < failing; ++engine) {
            QTRY_COMPARE_WITH_TIMEOUT(engineLog(ws, engine).size(), 1, 5000);
            QVERIFY(isRunning(engineLog(ws, engine).first().pid));
        }
        for (int engine = failing + 1; engine < 3; ++engine)
            QVERIFY(!QFile::exists(engineLogPath(ws, engine)));
        QCOMPARE(panel.window.findChildren<QProcess *>().size(), failing);

        // Once the program is back, the next press launches all three.
        QVERIFY(ws.installStandInEngines());
        panel.debug.clear();
        panel.launch();
        QCOMPARE(startedLines(panel.debug), expectedStartedLines(3));
        QCOMPARE(panel.boxes.boxes().size(), 1);
    }

    void closingThePanelEndsEveryEngine()
    {
        Workspace ws;
        QVERIFY(ws.isValid() && ws.installStandInEngines());
        EngineReaper reaper{ws};
        QProcess panel;
        panel.setWorkingDirectory(ws.panelDir());
        panel.setProcessChannelMode(QProcess::ForwardedChannels);
        panel.start(QStringLiteral(LAUNCH_THEN_CLOSE), {});
        QVERIFY(panel.waitForFinished(30000));
        QCOMPARE(panel.exitStatus(), QProcess::NormalExit);
        QCOMPARE(panel.exitCode(), 0);

        for (int engine = 0; engine < 3; ++engine) {
            const QVector<LogLine> lines = engineLog(ws, engine);
            QCOMPARE(lines.size(), 2);
            for (const LogLine &line : lines)
                QVERIFY2(!isRunning(line.pid), qPrintable(line.program));
        }
    }
};

QTEST_MAIN(TestLauncher)
#include "tst_launcher.moc"
