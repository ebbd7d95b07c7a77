// Failing disks and broken installations, met through the real window: every
// case checks the boxes the operator sees and the bytes left on disk.

#include "robustness.h"
#include "testsupport.h"

#include "app/mainwin.h"
#include "app/messages.h"
#include "launcher/enginepaths.h"

#include <QDir>
#include <QtTest>

#include <unistd.h>

using namespace Robust;

namespace {

const QString kPlanFolder = QStringLiteral("torvik_stream_query_engine/queryplan");
const QString kLibrary = QStringLiteral("torvik_stream_query_engine/demo.qe_config");
const QString kDefaultPlan = QStringLiteral("ORCL_no_Evo_no_Sum.txt");

bool privileged()
{
    return geteuid() == 0;
}

// One critical box, no parent, OK alone, with this title and a text that
// starts with textStart.
void checkBox(const SeenBox &box, const QString &title, const QString &textStart = QString())
{
    QCOMPARE(box.title, title);
    QVERIFY2(box.text.startsWith(textStart), qPrintable(box.text));
    QCOMPARE(box.icon, QMessageBox::Critical);
    QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QVERIFY(!box.hadParent);
}

void checkUnchanged(const TreeImage &before, const QString &root,
                    const QStringList &allowedToChange = {})
{
    const QStringList changed = treeDifferences(without(before, allowedToChange),
                                                without(treeImage(root), allowedToChange));
    QVERIFY2(changed.isEmpty(), qPrintable(changed.join(u'\n')));
}

void setMode(const QString &path, QFile::Permissions mode)
{
    QVERIFY(QFile::setPermissions(path, mode));
}

const QFile::Permissions kReadOnlyFile = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
const QFile::Permissions kReadOnlyFolder =
    kReadOnlyFile | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;

} // namespace

class TestFailures : public QObject
{
    Q_OBJECT

private slots:
    void libraryUnreadableAtStart_data();
    void libraryUnreadableAtStart();
    void libraryDeletedWhileRunning();
    void libraryNotWritable_data();
    void libraryNotWritable();
    void planWriteCutShort();
    void libraryWriteCutShort();
    void planFolderUnusable_data();
    void planFolderUnusable();
    void templateUnusable_data();
    void templateUnusable();
    void engineProgramUnusable_data();
    void engineProgramUnusable();
};

void TestFailures::libraryUnreadableAtStart_data()
{
    QTest::addColumn<QString>("damage");
    QTest::addColumn<QString>("textStart");
    QTest::newRow("missing") << "missing"
                             << "No such file or directory";
    QTest::newRow("folder in its place") << "folder"
                                         << "";
    QTest::newRow("unreadable") << "unreadable"
                                << "";
}

// The window still opens, Save writes nothing, Remove does nothing, and the
// library is never created or replaced.
void TestFailures::libraryUnreadableAtStart()
{
    QFETCH(QString, damage);
    QFETCH(QString, textStart);
    if (damage == QLatin1String("unreadable") && privileged())
        QSKIP("root reads every file");
    Workspace ws;
    QVERIFY(ws.isValid());
    if (damage == QLatin1String("unreadable")) {
        setMode(ws.libraryPath(), QFile::WriteOwner);
    } else {
        QVERIFY(QFile::remove(ws.libraryPath()));
        if (damage == QLatin1String("folder"))
            QVERIFY(QDir().mkdir(ws.libraryPath()));
    }
    const TreeImage before = treeImage(ws.root());

    BoxCatcher boxes;
    MainWin window;
    Panel panel(window);
    QCOMPARE(boxes.boxes().size(), 1);
    checkBox(boxes.boxes().at(0), Msg::libraryOpenErrorTitle, textStart);
    QVERIFY(panel.listed().isEmpty());

    boxes.clear();
    panel.save(kDefaultPlan);
    QCOMPARE(boxes.boxes().size(), 1);
    checkBox(boxes.boxes().at(0), Msg::libraryOpenErrorTitle, Msg::libraryNotLoadedText);
    panel.remove();
    QCOMPARE(boxes.boxes().size(), 1);
    checkUnchanged(before, ws.root());
}

// Deleted behind the panel's back: never created again, and a removal that
// cannot reach it deletes no plan file.
void TestFailures::libraryDeletedWhileRunning()
{
    Workspace ws(QByteArrayLiteral("# library\r\nNumberOfQueriesInLibrary=1\r\nold.txt"));
    QVERIFY(ws.isValid());
    writeBytes(ws.planPath(QStringLiteral("old.txt")), QByteArrayLiteral("old plan"));
    BoxCatcher boxes;
    MainWin window;
    Panel panel(window);
    QVERIFY(QFile::remove(ws.libraryPath()));
    const TreeImage before = treeImage(ws.root());

    panel.save(kDefaultPlan);
    QCOMPARE(boxes.boxes().size(), 1);
    checkBox(boxes.boxes().at(0), Msg::libraryOpenErrorTitle, QStringLiteral("No such file"));
    QVERIFY(panel.select(0));
    panel.remove();
    QCOMPARE(boxes.boxes().size(), 1);
    checkUnchanged(before, ws.root(), {kPlanFolder + u'/' + kDefaultPlan});
}

void TestFailures::libraryNotWritable_data()
{
    QTest::addColumn<bool>("folderReadOnly");
    QTest::newRow("read-only file") << false;
    QTest::newRow("read-only engine folder") << true;
}

// The plan is written but not registered; the library keeps its bytes, and a
// removal that cannot reach the library keeps the plan's file.
void TestFailures::libraryNotWritable()
{
    QFETCH(bool, folderReadOnly);
    if (privileged())
        QSKIP("root writes every file");
    const QByteArray library =
        QByteArrayLiteral("# library\r\nNumberOfQueriesInLibrary=1\r\nold.txt");
    Workspace ws(library);
    QVERIFY(ws.isValid());
    writeBytes(ws.planPath(QStringLiteral("old.txt")), QByteArrayLiteral("old plan"));
    if (folderReadOnly)
        setMode(ws.queryEngineDir(), kReadOnlyFolder);
    else
        setMode(ws.libraryPath(), kReadOnlyFile);
    const TreeImage before = treeImage(ws.root());

    BoxCatcher boxes;
    MainWin window;
    Panel panel(window);
    QVERIFY(boxes.boxes().isEmpty());
    panel.save(kDefaultPlan);
    QCOMPARE(boxes.boxes().size(), 1);
    const QString title = boxes.boxes().at(0).title;
    QVERIFY2(title == Msg::libraryOpenErrorTitle || title == Msg::libraryWriteErrorTitle,
             qPrintable(title));
    checkBox(boxes.boxes().at(0), title);
    QCOMPARE(panel.listed(), QStringList{QStringLiteral("old.txt")});
    QCOMPARE(ws.libraryBytes(), library);
    QCOMPARE(ws.planFiles(), QStringList({kDefaultPlan, QStringLiteral("old.txt")}));

    QVERIFY(panel.select(0));
    panel.remove();
    QCOMPARE(boxes.boxes().size(), 1);
    QCOMPARE(ws.libraryBytes(), library);
    QVERIFY(QFile::exists(ws.planPath(QStringLiteral("old.txt"))));
    checkUnchanged(before, ws.root(), {kPlanFolder + u'/' + kDefaultPlan});
}

// A full disk stops the plan write: no partial plan file stays behind, the
// library is untouched, and the same name saves once there is room again.
void TestFailures::planWriteCutShort()
{
    Workspace ws;
    QVERIFY(ws.isValid());
    const TreeImage before = treeImage(ws.root());
    BoxCatcher boxes;
    MainWin window;
    Panel panel(window);
    {
        FileSizeLimit limit(5);
        panel.save(kDefaultPlan);
    }
    QCOMPARE(boxes.boxes().size(), 1);
    // A write cut short part way leaves Qt without the system's reason, so
    // the text may be no more than "Unknown error".
    checkBox(boxes.boxes().at(0), Msg::fileWriteFailedTitle);
    checkUnchanged(before, ws.root());

    boxes.clear();
    panel.save(kDefaultPlan);
    QVERIFY(boxes.boxes().isEmpty());
    QCOMPARE(ws.planFiles(), QStringList{kDefaultPlan});
    QCOMPARE(panel.listed(), QStringList{kDefaultPlan});
}

// The library is larger than the room left, the plan is not: registration and
// removal fail to write, and the old library file stays whole each time.
void TestFailures::libraryWriteCutShort()
{
    const QByteArray preamble = QByteArray(8192, '#') + "\r\n";
    const QByteArray library = preamble + "NumberOfQueriesInLibrary=1\r\nold.txt";
    Workspace ws(library);
    QVERIFY(ws.isValid());
    writeBytes(ws.planPath(QStringLiteral("old.txt")), QByteArrayLiteral("old plan"));
    const TreeImage before = treeImage(ws.root());

    BoxCatcher boxes;
    DebugCapture debug;
    MainWin window;
    Panel panel(window);
    {
        FileSizeLimit limit(4096);
        panel.save(kDefaultPlan);
        QCOMPARE(boxes.boxes().size(), 1);
        checkBox(boxes.boxes().at(0), Msg::libraryWriteErrorTitle);
        QCOMPARE(ws.libraryBytes(), library);
        QCOMPARE(panel.listed(), QStringList{QStringLiteral("old.txt")});

        QVERIFY(panel.select(0));
        panel.remove();
        QCOMPARE(boxes.boxes().size(), 1);
        QCOMPARE(ws.libraryBytes(), library);
        QVERIFY(QFile::exists(ws.planPath(QStringLiteral("old.txt"))));
    }
    checkUnchanged(before, ws.root(), {kPlanFolder + u'/' + kDefaultPlan});

    // The next write that succeeds stores what memory held: the first plan,
    // without the removed one.
    panel.save(QStringLiteral("second.txt"));
    QCOMPARE(boxes.boxes().size(), 1);
    const LibraryImage after = parseLibrary(ws.libraryBytes());
    QVERIFY2(after.wellFormed, qPrintable(after.problem));
    QCOMPARE(after.head, preamble + "NumberOfQueriesInLibrary=");
    QCOMPARE(after.names, QList<QByteArray>({kDefaultPlan.toLatin1(), "second.txt"}));
}

void TestFailures::planFolderUnusable_data()
{
    QTest::addColumn<bool>("missing");
    QTest::newRow("missing") << true;
    QTest::newRow("read-only") << false;
}

void TestFailures::planFolderUnusable()
{
    QFETCH(bool, missing);
    if (!missing && privileged())
        QSKIP("root writes into every folder");
    Workspace ws;
    QVERIFY(ws.isValid());
    const QString planFolder = ws.root() + u'/' + kPlanFolder;
    if (missing)
        QVERIFY(QDir(planFolder).removeRecursively());
    else
        setMode(planFolder, kReadOnlyFolder);
    const TreeImage before = treeImage(ws.root());

    BoxCatcher boxes;
    MainWin window;
    Panel(window).save(kDefaultPlan);
    QCOMPARE(boxes.boxes().size(), 1);
    checkBox(boxes.boxes().at(0), Msg::fileOpenFailedTitle);
    checkUnchanged(before, ws.root());
}

void TestFailures::templateUnusable_data()
{
    QTest::addColumn<QString>("damage");
    QTest::addColumn<QStringList>("titles"); // either is the template's own box
    const QStringList missing{Msg::fileMissingTitle};
    const QStringList unreadable{Msg::fileMissingTitle, Msg::fileReadingErrorTitle};
    QTest::newRow("missing") << "missing" << missing;
    QTest::newRow("empty") << "empty" << QStringList{Msg::fileReadingErrorTitle};
    QTest::newRow("unreadable") << "unreadable" << unreadable;
    QTest::newRow("folder in its place") << "folder" << unreadable;
}

void TestFailures::templateUnusable()
{
    QFETCH(QString, damage);
    QFETCH(QStringList, titles);
    if (damage == QLatin1String("unreadable") && privileged())
        QSKIP("root reads every file");
    Workspace ws;
    QVERIFY(ws.isValid());
    const QString path = ws.templatePath(QStringLiteral("dim_3_no_sum.txt"));
    if (damage == QLatin1String("empty")) {
        writeBytes(path, QByteArray());
    } else if (damage == QLatin1String("unreadable")) {
        setMode(path, QFile::WriteOwner);
    } else {
        QVERIFY(QFile::remove(path));
        if (damage == QLatin1String("folder"))
            QVERIFY(QDir().mkdir(path));
    }
    const TreeImage before = treeImage(ws.root());

    BoxCatcher boxes;
    MainWin window;
    Panel(window).save(kDefaultPlan);
    QCOMPARE(boxes.boxes().size(), 1);
    QVERIFY2(titles.contains(boxes.boxes().at(0).title), qPrintable(boxes.boxes().at(0).title));
    checkBox(boxes.boxes().at(0), boxes.boxes().at(0).title);
    checkUnchanged(before, ws.root());
}

void TestFailures::engineProgramUnusable_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<bool>("missing");
    QTest::newRow("first not executable") << 0 << false;
    QTest::newRow("last missing") << 2 << true;
}

// The launch stops at the broken engine, promptly, with its box, and starts
// nothing after it; the query engine's folder is left as it was.
void TestFailures::engineProgramUnusable()
{
    QFETCH(int, position);
    QFETCH(bool, missing);
    Workspace ws;
    QVERIFY(ws.isValid());
    QVERIFY(ws.installStandInEngines());
    const QString program =
        QDir(ws.panelDir()).absoluteFilePath(engineTable().at(position).program);
    if (missing)
        QVERIFY(QFile::remove(program));
    else
        setMode(program, QFile::ReadOwner | QFile::WriteOwner);
    const QString queryFolder = QStringLiteral("torvik_stream_query_engine");
    const TreeImage before = treeImage(ws.root() + u'/' + queryFolder);

    BoxCatcher boxes;
    {
        MainWin window;
        Watchdog watchdog(QStringLiteral("launch with a broken engine"), 20);
        Panel(window).launch();
        QCOMPARE(boxes.boxes().size(), 1);
        checkBox(boxes.boxes().at(0), Msg::launchFailedTitle);
    }
    checkUnchanged(before, ws.root() + u'/' + queryFolder);
}

int main(int argc, char **argv)
{
    TestFailures test;
    return runUnprivileged(test, argc, argv);
}

#include "tst_failures.moc"
