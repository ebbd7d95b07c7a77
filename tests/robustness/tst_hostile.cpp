// Hostile files and names: pipes, devices, huge and unreadable files where
// the panel expects a template or its library, and plan names that try to
// leave the plan folder. Nothing may hang, eat memory, or touch a file other
// than the new plan and the library file; every refusal shows its own box.

#include "testsupport.h"

#include "app/messages.h"

#include <QDir>
#include <QLineEdit>
#include <QtTest>

#include <sys/stat.h>

namespace {

const QString kPlanFolder = QStringLiteral("torvik_stream_query_engine/queryplan/");
const QString kLibrary = QStringLiteral("torvik_stream_query_engine/demo.qe_config");
const QString kTemplate = QStringLiteral("dim_3_no_sum.txt");
const qint64 kCap = 16 * 1024 * 1024;
const QByteArray kLibraryHead = QByteArrayLiteral("# library\r\nNumberOfQueriesInLibrary=");
const QString kRootMark = QStringLiteral("<root>"); // the workspace, once it exists

// Puts a hostile file of the given kind at path; empty kinds leave it be.
void makeHostile(const QString &path, const QString &kind)
{
    if (kind == "unreadable")
        QVERIFY(QFile::setPermissions(path, QFile::WriteOwner));
    if (kind == "unreadable" || kind == "lacking") {
        if (kind == "lacking")
            writeBytes(path, readBytes(path).replace("??slideSize", "100"));
        return;
    }
    QFile::remove(path);
    if (kind == "empty") {
        writeBytes(path, {});
    } else if (kind == "over cap" || kind == "huge") {
        // Sparse, so that it costs no disk.
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(kind == "huge" ? 4LL * 1024 * 1024 * 1024 : kCap + 1));
    } else if (kind == "pipe") {
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else if (kind == "zero") {
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
    } else if (kind == "folder") {
        QVERIFY(QDir().mkdir(path));
    }
}

// The hostile files that both readers refuse with a box of their own.
void addFileRows(const char *reader, const QString &notRegular, const QString &tooLarge)
{
    const auto row = [reader](const char *tag, const char *kind, const QString &box) {
        QTest::newRow(qPrintable(QStringLiteral("%1 %2").arg(reader, tag)))
            << (reader == QLatin1String("library")) << kind << box;
    };
    row("folder", "folder", notRegular);
    row("named pipe", "pipe", notRegular);
    row("link to /dev/zero", "zero", notRegular);
    row("one byte over the cap", "over cap", tooLarge);
    row("huge", "huge", tooLarge);
}

} // namespace

class TestHostile : public QObject
{
    Q_OBJECT

private slots:
    void hostileFile_data();
    void hostileFile();
    void largeLibraryWithinCap();
    void hostileOperatorName_data();
    void hostileOperatorName();
    void hostileNamesInLibrary();
};

void TestHostile::hostileFile_data()
{
    QTest::addColumn<bool>("library"); // else the template
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("box");
    const QString path = QStringLiteral("../torvik_stream_query_engine/template/") + kTemplate;
    addFileRows(
        "template",
        boxLine(Msg::fileMissingTitle, Msg::templateOpenFailedText + Msg::notRegularFileText),
        boxLine(Msg::fileReadingErrorTitle, Msg::templateTooLargeText));
    QTest::newRow("template missing")
        << false << "missing" << boxLine(Msg::fileMissingTitle, Msg::templateMissingText);
    QTest::newRow("template empty")
        << false << "empty" << boxLine(Msg::fileReadingErrorTitle, "Unknown error");
    QTest::newRow("template unreadable")
        << false << "unreadable"
        << boxLine(Msg::fileMissingTitle, Msg::templateOpenFailedText + "Permission denied");
    QTest::newRow("template lacking a placeholder")
        << false << "lacking"
        << boxLine(Msg::fileReadingErrorTitle, Msg::placeholderMissingText("??slideSize", path));
    const QString open = Msg::libraryOpenErrorTitle;
    addFileRows("library", boxLine(open, Msg::libraryNotRegularText),
                boxLine(open, Msg::libraryTooLargeText));
    QTest::newRow("library missing")
        << true << "missing" << boxLine(open, "No such file or directory");
    QTest::newRow("library unreadable")
        << true << "unreadable" << boxLine(open, "Permission denied");
}

// Promptly refused with the reader's own box, and nothing written. A library
// refused at start leaves an empty list: Save writes no plan, Remove does
// nothing, and the library is never created or replaced.
void TestHostile::hostileFile()
{
    QFETCH(bool, library);
    QFETCH(QString, kind);
    QFETCH(QString, box);
    if (kind == "unreadable" && privileged())
        QSKIP("root reads every file");
    Workspace ws;
    QVERIFY(ws.isValid());
    makeHostile(library ? ws.libraryPath() : ws.templatePath(kTemplate), kind);
    const TreeImage before = treeImage(ws.root());

    Watchdog watchdog(QStringLiteral("a hostile file"), 15, 512 * 1024 * 1024);
    Panel panel;
    if (library) {
        QCOMPARE(panel.seen(), QStringList{box});
        QVERIFY(panel.debug.lines().contains("file open error!"));
        QVERIFY(panel.listed().isEmpty());
        panel.boxes.clear();
        panel.remove();
        box = boxLine(Msg::libraryOpenErrorTitle, Msg::libraryNotLoadedText);
    }
    panel.save(QStringLiteral("plan.txt"));
    QCOMPARE(panel.seen(), QStringList{box});
    QCOMPARE(treeDifferences(before, treeImage(ws.root())), QStringList());
}

// The cap keeps out hostile files, not big real ones.
void TestHostile::largeLibraryWithinCap()
{
    const QByteArray preamble = QByteArray(kCap / 2, '#') + "\r\n";
    Workspace ws(preamble + "NumberOfQueriesInLibrary=0");
    QVERIFY(ws.isValid());
    Panel panel;
    panel.save(QStringLiteral("plan.txt"));
    QCOMPARE(panel.seen(), QStringList());
    QCOMPARE(ws.libraryBytes(), preamble + "NumberOfQueriesInLibrary=1\r\nplan.txt");
}

void TestHostile::hostileOperatorName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("box"); // empty: saved; ending in "| ": any text

    const QString special = boxLine(Msg::namingErrorTitle, Msg::namingErrorText);
    const QString plain = boxLine(Msg::namingErrorTitle, Msg::plainNameText);
    const QString exists = boxLine(Msg::fileExistsTitle, Msg::fileExistsText);
    QTest::newRow("blank") << "my plan.txt" << special;
    QTest::newRow("line end") << QStringLiteral("a\r\nb") << special;
    QTest::newRow("parent") << "../x" << plain;
    QTest::newRow("parent, backslash") << "..\\x" << plain;
    QTest::newRow("absolute") << kRootMark + "/outside/absolute" << plain;
    QTest::newRow("Cyrillic") << QStringLiteral("\u043f\u043b\u0430\u043d.txt") << plain;
    QTest::newRow("emoji") << QStringLiteral("plan\U0001F600.txt") << plain;
    QTest::newRow("NUL") << QString::fromLatin1("a\0b", 3) << plain;
    QTest::newRow("empty: the plan folder") << "" << exists;
    QTest::newRow("dot") << "." << exists;
    QTest::newRow("dot dot") << ".." << exists;
    QTest::newRow("existing plan") << "old.txt" << exists;
    QTest::newRow("link out of the folder") << "escape" << exists;
    QTest::newRow("dangling link out") << "dangling" << exists;
    QTest::newRow("too long") << QString(300, u'a')
                              << boxLine(Msg::fileOpenFailedTitle, "File name too long");
    QTest::newRow("longest allowed") << QString(255, u'b') << QString();
    QTest::newRow("no extension") << "myplan" << QString();
    QTest::newRow("control character") << QStringLiteral("a\x01z.txt") << QString();
    QTest::newRow("delete character") << QStringLiteral("a\x7fz") << QString();
    QTest::newRow("Latin-1") << QStringLiteral("caf\u00e9.txt") << QString();
}

// Each name is tried once in a fresh workspace with an older plan, a victim
// outside the plan folder and links inside it pointing out.
void TestHostile::hostileOperatorName()
{
    QFETCH(QString, name);
    QFETCH(QString, box);
    Workspace ws;
    QVERIFY(ws.isValid());
    name.replace(kRootMark, ws.root());
    QVERIFY(QDir(ws.root()).mkdir(QStringLiteral("outside")));
    writeBytes(ws.root() + QStringLiteral("/outside/victim"), "victim");
    writeBytes(ws.planPath("old.txt"), "an older plan");
    QVERIFY(QFile::link(ws.root() + QStringLiteral("/outside/victim"), ws.planPath("escape")));
    QVERIFY(QFile::link(ws.root() + QStringLiteral("/outside/new"), ws.planPath("dangling")));
    const TreeImage before = treeImage(ws.root());

    Panel panel;
    panel.debug.clear();
    panel.save(name);
    const QStringList changed = treeDifferences(before, treeImage(ws.root()));
    if (box.isEmpty()) {
        QCOMPARE(panel.seen(), QStringList());
        QCOMPARE(panel.listed(), QStringList{name});
        QCOMPARE(changed, (QStringList{"changed: " + kLibrary, "new: " + kPlanFolder + name}));
        QCOMPARE(ws.libraryBytes(), kLibraryHead + "1\r\n" + name.toLatin1());
        return;
    }
    QCOMPARE(panel.seen(), QStringList{box});
    QCOMPARE(changed, QStringList());
    QCOMPARE(panel.widget<QLineEdit>("lEditSaveFileName")->text(), name);
    if (box.startsWith(Msg::namingErrorTitle)) // refused before any template is read
        QVERIFY(!panel.debug.lines().join(u'\n').contains(QLatin1String("templateFile exists")));
}

// Names in a hand-edited library are never paths: removing every row deletes
// only the files directly in the plan folder that plain names give.
void TestHostile::hostileNamesInLibrary()
{
    Workspace ws;
    QVERIFY(ws.isValid());
    QVERIFY(QDir(ws.root()).mkdir(QStringLiteral("outside")));
    for (const char *victim : {"outside/a", "outside/b", "outside/c"})
        writeBytes(ws.root() + u'/' + QLatin1String(victim), "victim");
    QVERIFY(QFile::link(ws.root() + QStringLiteral("/outside/a"), ws.planPath("escape")));
    const QList<QByteArray> names =
        QByteArray("../demo.qe_config|../template/dim_3_no_sum.txt|../../outside/a|"
                   "..\\..\\outside\\b|"
                   + ws.root().toLatin1()
                   + "/outside/c|.|..|   ||"
                     "escape|..\\victim|\x01\x1b|"
                   + QByteArray(300, 'x') + "| caf\xe9 |plain.txt")
            .split('|');
    QByteArray library = kLibraryHead + QByteArray::number(names.size());
    for (const QByteArray &name : names)
        library += "\r\n" + name;
    writeBytes(ws.libraryPath(), library);
    for (const char *plan : {"plain.txt", "caf\xe9", "\x01\x1b", "..\\victim"})
        writeBytes(ws.planPath(QString::fromLatin1(plan)), "plan");
    const TreeImage before = treeImage(ws.root());

    Panel panel;
    QCOMPARE(panel.listed().size(), names.size());
    for (int left = names.size(); left > 0; --left) {
        QVERIFY(panel.select(left - 1));
        panel.remove();
        QCOMPARE(panel.listed().size(), left - 1);
    }
    QCOMPARE(panel.seen(), QStringList());
    QCOMPARE(ws.libraryBytes(), kLibraryHead + "0");
    // The escaping link goes, never its target; a name with a backslash is no
    // path, so its file stays.
    QCOMPARE(treeDifferences(before, treeImage(ws.root())),
             (QStringList{"changed: " + kLibrary, "gone: " + kPlanFolder + "\x01\x1b",
                          "gone: " + kPlanFolder + "caf\u00e9", "gone: " + kPlanFolder + "escape",
                          "gone: " + kPlanFolder + "plain.txt"}));
}

int main(int argc, char **argv)
{
    TestHostile test;
    return runUnprivileged(test, argc, argv);
}

#include "tst_hostile.moc"
