// The engine launch: order, folders, a failing engine, and no engine left
// however the panel ends. The stand-in engines log
// "<program> pid <pid> cwd <folder>" to engine.log in their folder.

#include "testsupport.h"

#include <csignal>

namespace {

const QStringList kPrograms{"torvik_stream_gen_engine/torvik_stream_source_engine",
                            "plotmir_qt_stream/Plotmir",
                            "torvik_stream_query_engine/torvik_stream_query_engine"};

void installEngines(const TestWorkspace &ws)
{
    for (const QString &program : kPrograms) {
        QDir().mkpath(QFileInfo(ws.path(program)).path());
        QFile::copy(PANEL_STANDIN_ENGINE, ws.path(program));
    }
}

// The pids that the engines logged, once engine i has logged starts[i] times;
// 0 for a line with another program or folder.
QList<qint64> started(const TestWorkspace &ws, const QList<int> &starts)
{
    QList<qint64> pids;
    for (int i = 0; i < 3; ++i) {
        const QString log = QFileInfo(ws.path(kPrograms[i])).path() + "/engine.log";
        if (!QTest::qWaitFor([&] { return readBytes(log).count('\n') == starts[i]; }, 5000))
            return {};
        for (const QByteArray &line : readBytes(log).trimmed().split('\n')) {
            const QList<QByteArray> f = line.split(' '); // program pid N cwd folder
            const bool right = f[0] == kPrograms[i].section('/', 1)
                && f[4] == QFileInfo(ws.path(kPrograms[i])).canonicalPath();
            pids << (right ? f[2].toLongLong() : 0);
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
    // A failing engine stops the launch, and the engines before it run on;
    // each press starts a new set; all end with the window.
    void launches()
    {
        TestWorkspace ws;
        installEngines(ws);
        auto p = std::make_unique<Panel>();
        QFile::setPermissions(ws.path(kPrograms[1]), QFile::ReadOwner);
        p->find<QAbstractButton>("pbt_launch")->click();
        QCOMPARE(p->boxes,
                 QStringList("Launch Failed | The engine program " + ws.path(kPrograms[1])
                             + " could not be started:\r\nexecvp: Permission denied"));
        QFile::setPermissions(ws.path(kPrograms[1]), QFile::ReadOwner | QFile::ExeOwner);
        p->find<QAbstractButton>("pbt_launch")->click();
        p->find<QAbstractButton>("pbt_launch")->click();
        const QString s = "source engine started", v = "visual engine started";
        QCOMPARE(p->debug.filter("engine started"),
                 QStringList({s, s, v, "query engine started", s, v, "query engine started"}));
        const QList<qint64> pids = started(ws, {3, 2, 2});
        QVERIFY(pids.size() == 7 && std::all_of(pids.begin(), pids.end(), running));
        p.reset();
        QVERIFY(std::none_of(pids.begin(), pids.end(), running));
    }

    void panelKilled()
    {
        for (const int signal : {SIGTERM, SIGKILL}) {
            TestWorkspace ws;
            installEngines(ws);
            QProcess panel;
            panel.setWorkingDirectory(ws.path("panel"));
            panel.start(QCoreApplication::applicationFilePath(), {"--panel"});
            const QList<qint64> pids = started(ws, {1, 1, 1});
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
