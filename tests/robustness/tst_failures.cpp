// Failing disks and broken installations, met through the real window: every
// case checks the exact box the operator sees and the bytes left on disk.

#include "testsupport.h"

#include "app/messages.h"

#include <QDir>
#include <QtTest>

#include <cerrno>
#include <optional>

namespace {

const QString kPlanFolder = QStringLiteral("torvik_stream_query_engine/queryplan/");
const QString kDefaultPlan = QStringLiteral("ORCL_no_Evo_no_Sum.txt");
const QFile::Permissions kReadOnlyFolder = QFile::ReadOwner | QFile::ExeOwner;

} // namespace

class TestFailures : public QObject
{
    Q_OBJECT

private slots:
    void libraryFailsAfterLoad_data();
    void libraryFailsAfterLoad();
    void planWriteCutShort();
    void planFolderUnusable_data();
    void planFolderUnusable();
};

void TestFailures::libraryFailsAfterLoad_data()
{
    QTest::addColumn<QString>("damage");
    QTest::addColumn<QString>("box");
    QTest::newRow("deleted") << "deleted"
                             << boxLine(Msg::libraryOpenErrorTitle, "No such file or directory");
    QTest::newRow("read-only file")
        << "file"
        << boxLine(Msg::libraryOpenErrorTitle,
                   "Existing file ../torvik_stream_query_engine/demo.qe_config is not writable");
    QTest::newRow("read-only engine folder")
        << "folder" << boxLine(Msg::libraryOpenErrorTitle, "Permission denied");
    QTest::newRow("write cut short")
        << "cut" << boxLine(Msg::libraryWriteErrorTitle, qt_error_string(EFBIG));
}

// The library goes bad after the load. Save writes the plan but cannot
// register it, Remove keeps the plan's file, the library keeps its bytes and
// no copy is left beside it; memory keeps both changes for the next write.
void TestFailures::libraryFailsAfterLoad()
{
    QFETCH(QString, damage);
    QFETCH(QString, box);
    if (damage != "deleted" && damage != "cut" && privileged())
        QSKIP("root writes every file");
    // Larger than the room a cut write leaves, unlike a plan.
    const QByteArray preamble = QByteArray(8192, '#') + "\r\n";
    Workspace ws(preamble + "NumberOfQueriesInLibrary=1\r\nold.txt");
    QVERIFY(ws.isValid());
    writeBytes(ws.planPath(QStringLiteral("old.txt")), QByteArrayLiteral("old plan"));
    Panel panel;
    std::optional<FileSizeLimit> limit;
    if (damage == "deleted")
        QVERIFY(QFile::remove(ws.libraryPath()));
    else if (damage == "file")
        QVERIFY(QFile::setPermissions(ws.libraryPath(), QFile::ReadOwner));
    else if (damage == "folder")
        QVERIFY(QFile::setPermissions(ws.queryEngineDir(), kReadOnlyFolder));
    else
        limit.emplace(4096);
    const TreeImage before = treeImage(ws.root());

    panel.save(kDefaultPlan);
    QCOMPARE(panel.seen(), QStringList{box});
    QCOMPARE(panel.listed(), QStringList{QStringLiteral("old.txt")});
    QVERIFY(panel.select(0));
    panel.remove();
    QCOMPARE(panel.seen(), QStringList{box});
    QVERIFY(panel.debug.lines().contains(QStringLiteral("plan file kept: old.txt")));
    QCOMPARE(treeDifferences(before, treeImage(ws.root())),
             QStringList{"new: " + kPlanFolder + kDefaultPlan});
    if (damage == "deleted")
        return; // never created again

    limit.reset();
    QVERIFY(QFile::setPermissions(ws.queryEngineDir(), kReadOnlyFolder | QFile::WriteOwner));
    QVERIFY(QFile::setPermissions(ws.libraryPath(), QFile::ReadOwner | QFile::WriteOwner));
    panel.save(QStringLiteral("second.txt"));
    QCOMPARE(panel.seen(), QStringList{box});
    QCOMPARE(ws.libraryBytes(),
             preamble + "NumberOfQueriesInLibrary=2\r\n" + kDefaultPlan.toLatin1()
                 + "\r\nsecond.txt");
}

// A full disk stops the plan write: the system's reason is shown, no partial
// plan stays behind, and the same name saves once there is room again.
void TestFailures::planWriteCutShort()
{
    Workspace ws;
    QVERIFY(ws.isValid());
    const TreeImage before = treeImage(ws.root());
    Panel panel;
    {
        FileSizeLimit limit(100); // below the plan's size
        panel.save(kDefaultPlan);
    }
    QCOMPARE(panel.seen(), QStringList{boxLine(Msg::fileWriteFailedTitle, qt_error_string(EFBIG))});
    QCOMPARE(treeDifferences(before, treeImage(ws.root())), QStringList());

    panel.boxes.clear();
    panel.save(kDefaultPlan);
    QCOMPARE(panel.seen(), QStringList());
    QCOMPARE(ws.planFiles(), QStringList{kDefaultPlan});
    QCOMPARE(panel.listed(), QStringList{kDefaultPlan});
}

void TestFailures::planFolderUnusable_data()
{
    QTest::addColumn<bool>("missing");
    QTest::addColumn<QString>("text");
    QTest::newRow("missing") << true << "No such file or directory";
    QTest::newRow("read-only") << false << "Permission denied";
}

void TestFailures::planFolderUnusable()
{
    QFETCH(bool, missing);
    QFETCH(QString, text);
    if (!missing && privileged())
        QSKIP("root writes into every folder");
    Workspace ws;
    QVERIFY(ws.isValid());
    const QString planFolder = ws.root() + u'/' + kPlanFolder;
    if (missing)
        QVERIFY(QDir(planFolder).removeRecursively());
    else
        QVERIFY(QFile::setPermissions(planFolder, kReadOnlyFolder));
    const TreeImage before = treeImage(ws.root());

    Panel panel;
    panel.save(kDefaultPlan);
    QCOMPARE(panel.seen(), QStringList{boxLine(Msg::fileOpenFailedTitle, text)});
    QCOMPARE(treeDifferences(before, treeImage(ws.root())), QStringList());
}

int main(int argc, char **argv)
{
    TestFailures test;
    return runUnprivileged(test, argc, argv);
}

#include "tst_failures.moc"
