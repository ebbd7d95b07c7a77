// The engine launch: order, folders, a failing engine, and no engine left
// once the panel is gone. The stand-in engines log
// "<program> pid <pid> cwd <folder>" to engine.log in their folder.

#include "testsupport.h"

#include <QAbstractButton>
#include <QtTest>

#include <csignal>

namespace {

const QStringList kFolders{"torvik_stream_gen_engine", "plotmir_qt_stream",
                           "torvik_stream_query_engine"};
const QStringList kPrograms{"torvik_stream_source_engine", "Plotmir", "torvik_stream_query_engine"};

void installEngines(const TestWorkspace &ws)
{
    for (int engine = 0; engine < 3; ++engine) {
        QDir().mkpath(ws.path(kFolders[engine]));
        QFile::copy(PANEL_STANDIN_ENGINE, ws.path(kFolders[engine] + '/' + kPrograms[engine]));
    }
}

QStringList logOf(const TestWorkspace &ws, int engine)
{
    return QString::fromLocal8Bit(readBytes(ws.path(kFolders[engine] + "/engine.log")))
        .split('\n', Qt::SkipEmptyParts);
}

// The engines that the logs name, once each engine has logged `launches` times.
QList<qint64> enginesStarted(const TestWorkspace &ws, int launches)
{
    QList<qint64> pids;
    for (int engine = 0; engine < 3; ++engine) {
        if (!QTest::qWaitFor([&] { return logOf(ws, engine).size() >= launches; }, 5000))
            return {};
        for (const QString &line : logOf(ws, engine))
            pids << line.section(' ', 2, 2).toLongLong();
    }
    return pids;
}

bool running(qint64 pid)
{
    const QByteArray stat = readBytes(QString("/proc/%1/stat").arg(pid));
    return !stat.isEmpty() && stat.at(stat.lastIndexOf(')') + 2) != 'Z';
}

} // namespace

class TestLauncher : public QObject
{
    Q_OBJECT

private slots:
    void eachPressStartsThreeUntilThePanelGoes()
    {
        TestWorkspace ws;
        installEngines(ws);
        auto p = std::make_unique<Panel>();
        p->click("pbt_launch");
        QCOMPARE(p->debug.filter("engine"),
                 QStringList(
                     {"source engine started", "visual engine started", "query engine started"}));
        p->click("pbt_launch");
        const QList<qint64> pids = enginesStarted(ws, 2);
        QCOMPARE(pids.size(), 6);
        for (int engine = 0; engine < 3; ++engine) {
            const QString folder = QFileInfo(ws.path(kFolders[engine])).canonicalFilePath();
            QCOMPARE(logOf(ws, engine)[0].section(' ', 0, 0), kPrograms[engine]);
            QCOMPARE(logOf(ws, engine)[0].section(' ', 4), folder);
        }
        QVERIFY(std::all_of(pids.begin(), pids.end(), running));
        QCOMPARE(p->boxes, QStringList());
        p.reset();
        QVERIFY(std::none_of(pids.begin(), pids.end(), running));
    }

    void failingEngineStopsTheLaunch_data()
    {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("reason");
        QTest::newRow("visual missing") << 1 << "execvp: No such file or directory";
        QTest::newRow("query not executable") << 2 << "execvp: Permission denied";
    }

    // The engines before it run on; none after it is tried.
    void failingEngineStopsTheLaunch()
    {
        QFETCH(int, engine);
        QFETCH(QString, reason);
        TestWorkspace ws;
        installEngines(ws);
        const QString program = ws.path(kFolders[engine] + '/' + kPrograms[engine]);
        QVERIFY(engine == 1 ? QFile::remove(program)
                            : QFile::setPermissions(program, QFile::ReadOwner));
        Panel p;
        p.click("pbt_launch");
        QCOMPARE(p.boxes,
                 QStringList("Launch Failed | The engine program " + program
                             + " could not be started:\r\n" + reason));
        const QStringList started{"source engine started", "visual engine started"};
        QCOMPARE(p.debug.filter("engine started"), started.mid(0, engine));
        QTRY_COMPARE(logOf(ws, 0).size(), 1);
        QVERIFY(running(logOf(ws, 0)[0].section(' ', 2, 2).toLongLong()));
        QVERIFY(!QFile::exists(ws.path(kFolders[2] + "/engine.log")));
    }

    // Not even a panel ended by a signal leaves an engine behind.
    void panelKilled_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGKILL") << SIGKILL;
    }

    void panelKilled()
    {
        QFETCH(int, signal);
        TestWorkspace ws;
        installEngines(ws);
        QProcess panel;
        panel.setWorkingDirectory(ws.path("panel"));
        panel.start(QCoreApplication::applicationFilePath(), {"--panel"});
        const QList<qint64> pids = enginesStarted(ws, 1);
        QCOMPARE(pids.size(), 3);
        QVERIFY(::kill(pid_t(panel.processId()), signal) == 0 && panel.waitForFinished());
        QTRY_VERIFY(std::none_of(pids.begin(), pids.end(), running));
    }
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc > 1 && qstrcmp(argv[1], "--panel") == 0) { // the panel, launched once
        MainWin window;
        window.show();
        window.findChild<QAbstractButton *>("pbt_launch")->click();
        return app.exec();
    }
    TestLauncher test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_launcher.moc"
