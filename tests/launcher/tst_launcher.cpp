// The engine launch: order, folders, a failing engine, and no engine left
// however the panel ends. The stand-in engines log
// "<program> pid <pid> cwd <folder>" to engine.log in their folder.

#include "testsupport.h"

#include <QAbstractButton>
#include <QtTest>

#include <csignal>

namespace {

const QStringList kPrograms{"torvik_stream_gen_engine/torvik_stream_source_engine",
                            "plotmir_qt_stream/Plotmir",
                            "torvik_stream_query_engine/torvik_stream_query_engine"};

// Puts the stand-ins in place; then the pid that each log line names, once
// there are `launches` lines per engine, after `action`.
QList<qint64> launch(const TestWorkspace &ws, int launches, const std::function<void()> &action)
{
    for (const QString &program : kPrograms) {
        QDir().mkpath(QFileInfo(ws.path(program)).path());
        QFile::copy(PANEL_STANDIN_ENGINE, ws.path(program));
    }
    action();
    QList<qint64> pids;
    for (const QString &program : kPrograms) {
        const QString log = QFileInfo(ws.path(program)).path() + "/engine.log";
        if (!QTest::qWaitFor([&] { return readBytes(log).count('\n') == launches; }, 5000))
            return {};
        for (const QByteArray &line : readBytes(log).split('\n').mid(0, launches)) {
            const QList<QByteArray> f = line.split(' '); // program pid N cwd folder
            pids << (f[0] == program.section('/', 1).toLatin1()
                             && f[4] == QFileInfo(ws.path(program)).canonicalPath().toLatin1()
                         ? f[2].toLongLong()
                         : 0);
        }
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
        auto p = std::make_unique<Panel>();
        const QList<qint64> pids = launch(ws, 2, [&] {
            p->find<QAbstractButton>("pbt_launch")->click();
            QCOMPARE(p->debug.filter("engine"),
                     QStringList({"source engine started", "visual engine started",
                                  "query engine started"}));
            p->find<QAbstractButton>("pbt_launch")->click();
        });
        QVERIFY(pids.size() == 6 && std::all_of(pids.begin(), pids.end(), running));
        QCOMPARE(p->boxes, QStringList());
        p.reset();
        QVERIFY(std::none_of(pids.begin(), pids.end(), running));
    }

    // The engines before it run on; none after it is tried.
    void failingEngineStopsTheLaunch()
    {
        TestWorkspace ws;
        Panel p;
        launch(ws, 1, [&] {
            QFile::setPermissions(ws.path(kPrograms[1]), QFile::ReadOwner);
            p.find<QAbstractButton>("pbt_launch")->click();
        });
        QCOMPARE(p.boxes,
                 QStringList("Launch Failed | The engine program " + ws.path(kPrograms[1])
                             + " could not be started:\r\nexecvp: Permission denied"));
        QCOMPARE(p.debug.filter("engine started"), QStringList("source engine started"));
        QVERIFY(QFile::exists(ws.path("torvik_stream_gen_engine/engine.log")));
        QVERIFY(!QFile::exists(ws.path("torvik_stream_query_engine/engine.log")));
    }

    void panelKilled()
    {
        for (const int signal : {SIGTERM, SIGKILL}) {
            TestWorkspace ws;
            QProcess panel;
            const QList<qint64> pids = launch(ws, 1, [&] {
                panel.setWorkingDirectory(ws.path("panel"));
                panel.start(QCoreApplication::applicationFilePath(), {"--panel"});
            });
            QVERIFY(pids.size() == 3 && ::kill(pid_t(panel.processId()), signal) == 0);
            QVERIFY(panel.waitForFinished());
            QTRY_VERIFY(std::none_of(pids.begin(), pids.end(), running));
        }
    }
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc > 1 && qstrcmp(argv[1], "--panel") == 0) { // the panel, launched once
        MainWin window;
        window.findChild<QAbstractButton *>("pbt_launch")->click();
        return app.exec();
    }
    TestLauncher test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_launcher.moc"
