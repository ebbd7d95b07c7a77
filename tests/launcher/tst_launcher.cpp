// The engine launch: order, folders, a failing engine, and no engine left
// however the panel ends. The stand-in engines log
// "<program> pid <pid> cwd <folder>" to engine.log in their folder.

#include "testsupport.h"

#include <csignal>

namespace {

const QStringList kPrograms{"torvik_stream_gen_engine/torvik_stream_source_engine",
                            "plotmir_qt_stream/Plotmir",
                            "torvik_stream_query_engine/torvik_stream_query_engine"};

// Puts the stand-ins in place, acts, and gives the pids that engine i logged
// from its own program and folder, once there are starts[i] of them.
QList<qint64> started(const TestWorkspace &ws, const std::function<void()> &act,
                      const QList<int> &starts)
{
    for (const QString &program : kPrograms) {
        QDir().mkpath(QFileInfo(ws.path(program)).path());
        QFile::copy(PANEL_STANDIN_ENGINE, ws.path(program));
    }
    act();
    QList<qint64> pids;
    for (int i = 0; i < 3; ++i) {
        const QFileInfo at(ws.path(kPrograms[i]));
        const QRegularExpression line(QRegularExpression::escape(at.fileName() + " pid ") + "(\\d+)"
                                      + QRegularExpression::escape(" cwd " + at.canonicalPath())
                                      + "\n");
        QList<qint64> mine;
        if (!QTest::qWaitFor(
                [&] {
                    mine.clear();
                    for (const auto &match : line.globalMatch(readBytes(at.path() + "/engine.log")))
                        mine << match.captured(1).toLongLong();
                    return mine.size() == starts[i];
                },
                5000))
            return {};
        pids += mine;
    }
    return pids;
}

bool running(qint64 pid)
{
    const QByteArray stat = readBytes(QString("/proc/%1/stat").arg(pid));
    return !stat.isEmpty() && !stat.contains(") Z ");
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
        auto p = std::make_unique<Panel>();
        const QList<qint64> pids = started(
            ws,
            [&] {
                QFile::setPermissions(ws.path(kPrograms[1]), QFile::ReadOwner);
                p->find<QAbstractButton>("pbt_launch")->click();
                QFile::setPermissions(ws.path(kPrograms[1]), QFile::ReadOwner | QFile::ExeOwner);
                p->find<QAbstractButton>("pbt_launch")->click();
                p->find<QAbstractButton>("pbt_launch")->click();
            },
            {3, 2, 2});
        QCOMPARE(p->boxes,
                 QStringList("Launch Failed | The engine program " + ws.path(kPrograms[1])
                             + " could not be started:\r\nexecvp: Permission denied"));
        const QString s = "source engine started", v = "visual engine started";
        QCOMPARE(p->debug.filter("engine started"),
                 QStringList({s, s, v, "query engine started", s, v, "query engine started"}));
        QVERIFY(pids.size() == 7 && std::all_of(pids.begin(), pids.end(), running));
        QTest::qWait(100); // what the engines print is discarded, never kept by the panel
        for (QProcess *engine : p->window->findChildren<QProcess *>())
            QVERIFY(engine->readAllStandardOutput().isEmpty()
                    && engine->readAllStandardError().isEmpty());
        p.reset();
        QVERIFY(std::none_of(pids.begin(), pids.end(), running));
    }

    void panelKilled()
    {
        for (const int signal : {SIGTERM, SIGKILL}) {
            TestWorkspace ws;
            QProcess panel;
            panel.setWorkingDirectory(ws.path("panel"));
            const QList<qint64> pids = started(
                ws, [&] { panel.start(QCoreApplication::applicationFilePath(), {"--panel"}); },
                {1, 1, 1});
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
