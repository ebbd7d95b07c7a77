// The engine launch: order, folders, a failing engine, and no engine left
// however the panel ends. The stand-in engines log
// "<program> pid <pid> cwd <folder>" to engine.log in their folder.

#include "testsupport.h"

#include <csignal>

namespace {

const QByteArray kLibrary = "NumberOfQueriesInLibrary=0";

const QStringList kPrograms{"torvik_stream_gen_engine/torvik_stream_source_engine",
                            "plotmir_qt_stream/Plotmir",
                            "torvik_stream_query_engine/torvik_stream_query_engine"};

// The pids that the engines logged, each from its own program and folder.
QList<qint64> logged(const TestWorkspace &ws)
{
    QList<qint64> pids;
    for (const QString &program : kPrograms) {
        const QFileInfo at(ws.path(program));
        for (const QString &line : QString(readBytes(at.path() + "/engine.log")).split('\n'))
            if (line.startsWith(at.fileName() + " pid ")
                && line.endsWith(" cwd " + at.canonicalPath()))
                pids << line.section(' ', 2, 2).toLongLong();
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
        const TestWorkspace ws(kLibrary, kPrograms);
        auto p = std::make_unique<Panel>();
        QFile::setPermissions(ws.path(kPrograms[1]), QFile::ReadOwner);
        p->find<QAbstractButton>("pbt_launch")->click();
        QFile::setPermissions(ws.path(kPrograms[1]), QFile::ReadOwner | QFile::ExeOwner);
        p->find<QAbstractButton>("pbt_launch")->click();
        QCOMPARE(p->boxes,
                 QStringList("Launch Failed | The engine program " + ws.path(kPrograms[1])
                             + " could not be started:\r\nexecvp: Permission denied"));
        const QString s = "source engine started", v = "visual engine started";
        QCOMPARE(p->debug.filter("engine started"), QStringList({s, s, v, "query engine started"}));
        QList<qint64> pids;
        QTRY_COMPARE((pids = logged(ws)).size(), 4);
        QVERIFY(std::all_of(pids.begin(), pids.end(), running));
        QTest::qWait(100); // what the engines print is discarded, never kept by the panel
        for (QProcess *engine : p->window->findChildren<QProcess *>())
            QVERIFY((engine->readAllStandardOutput() + engine->readAllStandardError()).isEmpty());
        p.reset();
        QVERIFY(std::none_of(pids.begin(), pids.end(), running));
    }

    void panelKilled()
    {
        for (const int signal : {SIGTERM, SIGKILL}) {
            const TestWorkspace ws(kLibrary, kPrograms);
            QProcess panel;
            panel.setWorkingDirectory(ws.path("panel"));
            panel.start(QCoreApplication::applicationFilePath(), {"--panel"});
            QList<qint64> pids;
            QTRY_COMPARE((pids = logged(ws)).size(), 3);
            QVERIFY(::kill(pid_t(panel.processId()), signal) == 0 && panel.waitForFinished());
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
