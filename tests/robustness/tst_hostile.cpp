// Hostile files and names: pipes, devices and huge files where the panel
// expects a template or its library, and plan names that try to leave the
// plan folder. Nothing may hang, eat memory, or touch a file outside the
// plan folder and the library file.

#include "robustness.h"
#include "testsupport.h"

#include "app/mainwin.h"
#include "app/messages.h"

#include <QDir>
#include <QtTest>

#include <sys/stat.h>

using namespace Robust;

namespace {

const QString kPlanFolder = QStringLiteral("torvik_stream_query_engine/queryplan");
const QString kLibrary = QStringLiteral("torvik_stream_query_engine/demo.qe_config");
const qint64 kCap = 16 * 1024 * 1024;
const QByteArray kLibraryHead = QByteArrayLiteral("# library\r\nNumberOfQueriesInLibrary=");

// Stand-ins for paths only known once the workspace exists.
const QString kRootMark = QStringLiteral("<root>");
// Expected outcome: no box, the plan saved and listed.
const QString kSaved = QStringLiteral("<saved>");

enum class Hostile { OverCap, Huge, Pipe, DevZero };

} // namespace

Q_DECLARE_METATYPE(Hostile)

namespace {

void makeHostile(const QString &path, Hostile kind)
{
    QFile::remove(path);
    switch (kind) {
    case Hostile::OverCap:
    case Hostile::Huge: {
        // Sparse, so that it costs no disk.
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(kind == Hostile::OverCap ? kCap + 1 : 4LL * 1024 * 1024 * 1024));
        break;
    }
    case Hostile::Pipe:
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        break;
    case Hostile::DevZero:
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
        break;
    }
}

void addHostileRows()
{
    QTest::addColumn<Hostile>("kind");
    QTest::newRow("one byte over the cap") << Hostile::OverCap;
    QTest::newRow("huge") << Hostile::Huge;
    QTest::newRow("named pipe") << Hostile::Pipe;
    QTest::newRow("link to /dev/zero") << Hostile::DevZero;
}

void checkOutsideUnchanged(const TreeImage &before, const QString &root)
{
    const QStringList changed = treeDifferences(without(before, {kPlanFolder, kLibrary}),
                                                without(treeImage(root), {kPlanFolder, kLibrary}));
    QVERIFY2(changed.isEmpty(), qPrintable(changed.join(u'\n')));
}

// The library is well formed, kept its head, and every name it lists is a
// file directly in the plan folder.
void checkLibrary(const Workspace &ws)
{
    const LibraryImage library = parseLibrary(ws.libraryBytes());
    QVERIFY2(library.wellFormed, qPrintable(library.problem));
    QCOMPARE(library.head, kLibraryHead);
    const QStringList planFiles = ws.planFiles();
    for (const QByteArray &name : library.names)
        QVERIFY2(planFiles.contains(QString::fromLatin1(name)), name.constData());
}

} // namespace

class TestHostile : public QObject
{
    Q_OBJECT

private slots:
    void hostileTemplate_data() { addHostileRows(); }
    void hostileTemplate();
    void hostileLibrary_data() { addHostileRows(); }
    void hostileLibrary();
    void largeLibraryWithinCap();
    void hostileOperatorName_data();
    void hostileOperatorName();
    void hostileNamesInLibrary();
};

void TestHostile::hostileTemplate()
{
    QFETCH(Hostile, kind);
    Workspace ws;
    QVERIFY(ws.isValid());
    makeHostile(ws.templatePath(QStringLiteral("dim_3_no_sum.txt")), kind);
    const TreeImage before = treeImage(ws.root());

    BoxCatcher boxes;
    MainWin window;
    {
        Watchdog watchdog(QStringLiteral("save with a hostile template"), 15, 512 * 1024 * 1024);
        Panel(window).save(QStringLiteral("plan.txt"));
    }
    QCOMPARE(boxes.boxes().size(), 1);
    const QString title = boxes.boxes().at(0).title;
    QVERIFY2(title == Msg::fileMissingTitle || title == Msg::fileReadingErrorTitle,
             qPrintable(title));
    QCOMPARE(treeDifferences(before, treeImage(ws.root())), QStringList());
}

void TestHostile::hostileLibrary()
{
    QFETCH(Hostile, kind);
    Workspace ws;
    QVERIFY(ws.isValid());
    makeHostile(ws.libraryPath(), kind);
    const TreeImage before = treeImage(ws.root());

    BoxCatcher boxes;
    Watchdog watchdog(QStringLiteral("start with a hostile library"), 15, 512 * 1024 * 1024);
    MainWin window;
    Panel panel(window);
    QCOMPARE(boxes.boxes().size(), 1);
    QCOMPARE(boxes.boxes().at(0).title, Msg::libraryOpenErrorTitle);
    QVERIFY(panel.listed().isEmpty());
    panel.save(QStringLiteral("plan.txt"));
    QCOMPARE(boxes.boxes().size(), 2);
    QCOMPARE(boxes.boxes().at(1).text, Msg::libraryNotLoadedText);
    QCOMPARE(treeDifferences(before, treeImage(ws.root())), QStringList());
}

// The cap keeps out hostile files, not big real ones.
void TestHostile::largeLibraryWithinCap()
{
    const QByteArray preamble = QByteArray(kCap / 2, '#') + "\r\n";
    Workspace ws(preamble + "NumberOfQueriesInLibrary=0");
    QVERIFY(ws.isValid());
    BoxCatcher boxes;
    MainWin window;
    Panel(window).save(QStringLiteral("plan.txt"));
    QVERIFY(boxes.boxes().isEmpty());
    QCOMPARE(ws.libraryBytes(), preamble + "NumberOfQueriesInLibrary=1\r\nplan.txt");
}

void TestHostile::hostileOperatorName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("title"); // the box expected, or kSaved
    QTest::addColumn<QString>("text");  // its text, or empty: not checked

    const QString naming = Msg::namingErrorTitle;
    const QString plain = Msg::plainNameText;
    QTest::newRow("parent") << "../x" << naming << plain;
    QTest::newRow("parent, backslash") << "..\\x" << naming << plain;
    QTest::newRow("up to the library") << "../demo.qe_config" << naming << plain;
    QTest::newRow("two up") << "../../outside/victim" << naming << plain;
    QTest::newRow("absolute") << kRootMark + "/outside/absolute" << naming << plain;
    QTest::newRow("Cyrillic") << QStringLiteral("план.txt") << naming << plain;
    QTest::newRow("ideograph") << QStringLiteral("計画.txt") << naming << plain;
    QTest::newRow("emoji") << QStringLiteral("plan\U0001F600.txt") << naming << plain;
    QTest::newRow("dot") << "." << Msg::fileExistsTitle << "";
    QTest::newRow("dot dot") << ".." << Msg::fileExistsTitle << "";
    QTest::newRow("empty") << "" << Msg::fileExistsTitle << "";
    QTest::newRow("link out of the folder") << "escape" << Msg::fileExistsTitle << "";
    QTest::newRow("dangling link out") << "dangling" << Msg::fileExistsTitle << "";
    QTest::newRow("too long") << QString(300, u'a') << Msg::fileOpenFailedTitle << "";
    QTest::newRow("longest allowed") << QString(255, u'b') << kSaved << "";
    QTest::newRow("control character") << QStringLiteral("a\x01z.txt") << kSaved << "";
    QTest::newRow("escape sequence") << QStringLiteral("\x1b[2Jplan") << kSaved << "";
    QTest::newRow("delete character") << QStringLiteral("a\x7fz") << kSaved << "";
    QTest::newRow("line end") << QStringLiteral("a\r\nb") << naming << Msg::namingErrorText;
    QTest::newRow("NUL") << QString::fromLatin1("a\0b", 3) << naming << plain;
    QTest::newRow("Latin-1") << QStringLiteral("café.txt") << kSaved << "";
}

// Each name is tried once in a fresh workspace that has a victim outside the
// plan folder and links inside it pointing out.
void TestHostile::hostileOperatorName()
{
    QFETCH(QString, name);
    QFETCH(QString, title);
    QFETCH(QString, text);
    Workspace ws;
    QVERIFY(ws.isValid());
    name.replace(kRootMark, ws.root());
    QVERIFY(QDir(ws.root()).mkdir(QStringLiteral("outside")));
    writeBytes(ws.root() + QStringLiteral("/outside/victim"), "victim");
    QVERIFY(QFile::link(ws.root() + QStringLiteral("/outside/victim"), ws.planPath("escape")));
    QVERIFY(QFile::link(ws.root() + QStringLiteral("/outside/new"), ws.planPath("dangling")));
    const TreeImage before = treeImage(ws.root());

    BoxCatcher boxes;
    MainWin window;
    Panel panel(window);
    panel.save(name);
    if (title == kSaved) {
        QVERIFY(boxes.boxes().isEmpty());
        QCOMPARE(panel.listed(), QStringList{name});
        QVERIFY(QFile::exists(ws.planPath(name)));
    } else {
        QCOMPARE(boxes.boxes().size(), 1);
        QCOMPARE(boxes.boxes().at(0).title, title);
        if (!text.isEmpty())
            QCOMPARE(boxes.boxes().at(0).text, text);
    }
    checkOutsideUnchanged(before, ws.root());
    checkLibrary(ws);
    // Whatever was created lies directly in the plan folder.
    const TreeImage plans = treeImage(ws.root() + u'/' + kPlanFolder);
    for (auto it = plans.cbegin(); it != plans.cend(); ++it)
        QVERIFY2(!it.key().contains(u'/'), qPrintable(it.key()));
    QCOMPARE(plans.value(QStringLiteral("escape")), before.value(kPlanFolder + "/escape"));
}

// Names in a hand-edited library are never paths: removing every row deletes
// nothing outside the plan folder, whatever the names say.
void TestHostile::hostileNamesInLibrary()
{
    Workspace ws;
    QVERIFY(ws.isValid());
    QVERIFY(QDir(ws.root()).mkdir(QStringLiteral("outside")));
    const QStringList victims{QStringLiteral("outside/a"), QStringLiteral("outside/b"),
                              QStringLiteral("outside/c")};
    for (const QString &victim : victims)
        writeBytes(ws.root() + u'/' + victim, "victim");
    QVERIFY(QFile::link(ws.root() + QStringLiteral("/outside/a"), ws.planPath("escape")));
    const QList<QByteArray> names{"../demo.qe_config",
                                  "../template/dim_3_no_sum.txt",
                                  "../../outside/a",
                                  "..\\..\\outside\\b",
                                  (ws.root() + QStringLiteral("/outside/c")).toLatin1(),
                                  ".",
                                  "..",
                                  "   ",
                                  "",
                                  "escape",
                                  "\x01\x1b",
                                  QByteArray(300, 'x'),
                                  "plain.txt"};
    QByteArray library = kLibraryHead + QByteArray::number(names.size());
    for (const QByteArray &name : names)
        library += "\r\n" + name;
    writeBytes(ws.libraryPath(), library);
    writeBytes(ws.planPath("plain.txt"), "plain");
    const TreeImage before = treeImage(ws.root());

    BoxCatcher boxes;
    MainWin window;
    Panel panel(window);
    QCOMPARE(panel.listed().size(), names.size());
    for (int left = names.size(); left > 0; --left) {
        QVERIFY(panel.select(left - 1));
        panel.remove();
        QCOMPARE(panel.listed().size(), left - 1);
    }
    QVERIFY(boxes.boxes().isEmpty());
    QCOMPARE(ws.libraryBytes(), kLibraryHead + "0");
    checkOutsideUnchanged(before, ws.root());
    QVERIFY(!QFile::exists(ws.planPath("plain.txt")));
}

int main(int argc, char **argv)
{
    TestHostile test;
    return runUnprivileged(test, argc, argv);
}

#include "tst_hostile.moc"
