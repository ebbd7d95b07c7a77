// The plan library through the real window: the list at start, Save's
// registration and Remove, with the library file's bytes checked after each.

#include "testsupport.h"

#include "app/mainwin.h"
#include "app/messages.h"

#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QStringListModel>
#include <QtTest>

#include <algorithm>
#include <csignal>
#include <ftw.h>
#include <optional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray key = "NumberOfQueriesInLibrary=";

QByteArray libraryOf(const QStringList &names, const QByteArray &preamble = "# plans\r\n")
{
    QByteArray text = preamble + key + QByteArray::number(names.size());
    for (const QString &name : names)
        text += "\r\n" + name.toLatin1();
    return text;
}

QListView *listOf(const MainWin &w)
{
    return w.findChild<QListView *>(QStringLiteral("listView"));
}

QStringList rows(const MainWin &w)
{
    const auto *model = qobject_cast<QStringListModel *>(listOf(w)->model());
    return model ? model->stringList() : QStringList();
}

void removeRow(MainWin &w, int row)
{
    QListView *view = listOf(w);
    view->selectionModel()->select(view->model()->index(row, 0),
                                   QItemSelectionModel::ClearAndSelect);
    w.findChild<QPushButton *>(QStringLiteral("pbt_remove"))->click();
}

void save(MainWin &w, const QString &name)
{
    w.findChild<QLineEdit *>(QStringLiteral("lEditSaveFileName"))->setText(name);
    w.findChild<QPushButton *>(QStringLiteral("pbt_save"))->click();
}

void makePlanFiles(const Workspace &ws, const QStringList &names)
{
    for (const QString &name : names)
        writeBytes(ws.planPath(name.trimmed()), "plan");
}

// Root passes every permission check, so the cases that permissions must
// fail run as an ordinary user. The saved id stays root to come back.
class AsOrdinaryUser
{
public:
    explicit AsOrdinaryUser(const QString &root)
    {
        if (geteuid() != 0)
            return;
        nftw(
            root.toLocal8Bit().constData(),
            [](const char *path, const struct stat *, int, FTW *) {
                return lchown(path, nobody, nobody);
            },
            16, FTW_PHYS);
        switched = setresgid(nobody, nobody, 0) == 0 && setresuid(nobody, nobody, 0) == 0;
    }
    ~AsOrdinaryUser()
    {
        if (switched && setresuid(0, 0, 0) == 0)
            setresgid(0, 0, 0);
    }

private:
    static constexpr uid_t nobody = 65534;
    bool switched = false;
};

// Writes beyond the limit fail with EFBIG instead of killing the process.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
        : previousHandler(std::signal(SIGXFSZ, SIG_IGN))
    {
        getrlimit(RLIMIT_FSIZE, &previous);
        rlimit limited = previous;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &previous);
        std::signal(SIGXFSZ, previousHandler);
    }

private:
    void (*previousHandler)(int);
    rlimit previous{};
};

enum class Failure { Missing, ReadOnlyFile, ReadOnlyFolder, WriteFails };

// The library file as an operator's machine may spoil it after the load.
struct SpoiltLibrary
{
    SpoiltLibrary(Failure failure, const Workspace &ws)
    {
        if (failure == Failure::Missing)
            QFile::remove(ws.libraryPath());
        if (failure == Failure::ReadOnlyFile || failure == Failure::ReadOnlyFolder)
            user.emplace(ws.root());
        if (failure == Failure::ReadOnlyFile)
            QFile::setPermissions(ws.libraryPath(), QFile::ReadOwner);
        if (failure == Failure::ReadOnlyFolder)
            QFile::setPermissions(ws.queryEngineDir(), QFile::ReadOwner | QFile::ExeOwner);
        if (failure == Failure::WriteFails)
            limit.emplace(1024); // a plan fits, the padded library does not
    }
    std::optional<AsOrdinaryUser> user;
    std::optional<FileSizeLimit> limit;
};

void addFailureRows()
{
    QTest::addColumn<Failure>("failure");
    QTest::newRow("missing") << Failure::Missing;
    QTest::newRow("read-only file") << Failure::ReadOnlyFile;
    QTest::newRow("read-only folder") << Failure::ReadOnlyFolder;
    QTest::newRow("write fails") << Failure::WriteFails;
}

const QByteArray paddedPreamble = "# " + QByteArray(4000, 'x') + "\r\n";

} // namespace

class TestLibraryWindow : public QObject
{
    Q_OBJECT

private slots:
    void loadListsTheNames();
    void failedLoad_data();
    void failedLoad();
    void registration_data();
    void registration();
    void removal_data();
    void removal();
    void removeWithoutRowDoesNothing();
    void hostileNamesNeverLeaveThePlanFolder();
    void registrationFailures_data() { addFailureRows(); }
    void registrationFailures();
    void removalFailures_data() { addFailureRows(); }
    void removalFailures();
};

void TestLibraryWindow::loadListsTheNames()
{
    Workspace ws("# a\r\n# b\r\n" + key + "2\r\n a \r\ncaf\xe9");
    BoxCatcher boxes;
    DebugCapture log;
    MainWin w;
    QCOMPARE(rows(w), (QStringList{" a ", "caf\u00e9"}));
    QVERIFY(log.lines().contains(" current number:  2"));
    QVERIFY(log.lines().contains("names  QList(\" a \", \"caf\u00e9\")"));
    QVERIFY(boxes.boxes().isEmpty());
}

void TestLibraryWindow::failedLoad_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("text");
    QTest::newRow("missing") << "missing"
                             << "No such file or directory";
    QTest::newRow("unreadable") << "unreadable"
                                << "Permission denied";
    QTest::newRow("folder") << "folder" << Msg::libraryNotRegularText;
    QTest::newRow("named pipe") << "fifo" << Msg::libraryNotRegularText;
    QTest::newRow("link to /dev/zero") << "zero" << Msg::libraryNotRegularText;
    QTest::newRow("over 16 MiB") << "huge" << Msg::libraryTooLargeText;
    QTest::newRow("no key") << "NumberOfQueries=1\r\na" << Msg::libraryNoKeyText;
    QTest::newRow("no separator") << "NumberOfQueriesInLibrary 1\r\na"
                                  << Msg::libraryNoSeparatorText;
    QTest::newRow("edited on Linux")
        << "NumberOfQueriesInLibrary=2\na\nb" << Msg::libraryBareLineFeedText;
}

void TestLibraryWindow::failedLoad()
{
    QFETCH(QString, kind);
    QFETCH(QString, text);
    // Rows whose kind starts with the key give the file's bytes; the others
    // replace the file below.
    Workspace ws(kind.toLatin1());
    const QString path = ws.libraryPath();
    if (kind != "huge" && !kind.startsWith("Number"))
        QFile::remove(path);
    if (kind == "folder")
        QDir().mkdir(path);
    if (kind == "fifo")
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    if (kind == "zero")
        QVERIFY(QFile::link("/dev/zero", path));
    if (kind == "huge")
        QVERIFY(QFile::resize(path, (16 << 20) + 1));
    std::optional<AsOrdinaryUser> user;
    if (kind == "unreadable") {
        writeBytes(path, libraryOf({"a"}));
        user.emplace(ws.root());
        if (geteuid() == 0)
            QSKIP("cannot run as an ordinary user here, so permissions never fail");
        QFile::setPermissions(path, {});
    }
    const bool regular = QFileInfo(path).isFile();
    const QByteArray before = regular ? ws.libraryBytes() : QByteArray();

    BoxCatcher boxes;
    DebugCapture log;
    MainWin w;
    QCOMPARE(boxes.boxes().size(), 1);
    QCOMPARE(boxes.boxes().at(0).title, Msg::libraryOpenErrorTitle);
    QCOMPARE(boxes.boxes().at(0).text, text);
    QCOMPARE(boxes.boxes().at(0).icon, QMessageBox::Critical);
    QVERIFY(!boxes.boxes().at(0).hadParent);
    QVERIFY(log.lines().contains("file open error!"));
    QVERIFY(!listOf(w)->model());

    // Nothing that was never read is ever written, and no plan is saved.
    w.findChild<QPushButton *>(QStringLiteral("pbt_remove"))->click();
    save(w, "plan.txt");
    QTRY_COMPARE_WITH_TIMEOUT(boxes.boxes().size(), 2, 5000);
    QCOMPARE(boxes.boxes().at(1).text, Msg::libraryNotLoadedText);
    QVERIFY(ws.planFiles().isEmpty());
    QCOMPARE(QFileInfo(path).isFile(), regular);
    if (regular && kind != "unreadable")
        QCOMPARE(ws.libraryBytes(), before);
}

void TestLibraryWindow::registration_data()
{
    QTest::addColumn<QByteArray>("library");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<QStringList>("expectedRows");
    QTest::addColumn<bool>("countDisagrees");

    const QByteArray preamble = "# one\r\n# two\r\nNumberOfQueriesInLibrary =";
    QTest::newRow("preamble and blanks kept")
        << preamble + "  2 \r\na\r\nb" << preamble + "3\r\na\r\nb\r\nnew"
        << QStringList{"a", "b", "new"} << false;
    QTest::newRow("ends after the count")
        << key + "0" << key + "1\r\nnew" << QStringList{"new"} << false;
    QTest::newRow("count not a number, written as the names' number")
        << key + "many\r\na\r\nb\r\nc" << key + "4\r\na\r\nb\r\nc\r\nnew"
        << QStringList{"a", "b", "c", "new"} << true;
    QTest::newRow("blanks and trailing line end, Latin-1 kept")
        << key + "1\r\n caf\xe9 \r\n"
        << key + "3\r\ncaf\xe9\r\n\r\nnew" << QStringList{" caf\u00e9 ", "", "new"} << true;
}

void TestLibraryWindow::registration()
{
    QFETCH(QByteArray, library);
    Workspace ws(library);
    BoxCatcher boxes;
    DebugCapture log;
    MainWin w;
    const QStringList lines = log.lines();
    const bool warned = std::any_of(lines.cbegin(), lines.cend(),
                                    [](const QString &line) { return line.contains("differs"); });
    QTEST(warned, "countDisagrees");
    save(w, "new");
    QTEST(ws.libraryBytes(), "expected");
    QTEST(rows(w), "expectedRows");
    QVERIFY(ws.planFiles().contains("new"));
    QVERIFY(boxes.boxes().isEmpty());
}

void TestLibraryWindow::removal_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<int>("row");
    QTest::addColumn<QStringList>("expectedRows");
    QTest::addColumn<QStringList>("expectedPlanFiles");

    const QStringList abc{"a", "b", "c"};
    QTest::newRow("first") << abc << 0 << QStringList{"b", "c"} << QStringList{"b", "c"};
    QTest::newRow("middle") << abc << 1 << QStringList{"a", "c"} << QStringList{"a", "c"};
    QTest::newRow("last") << abc << 2 << QStringList{"a", "b"} << QStringList{"a", "b"};
    QTest::newRow("only") << QStringList{"a"} << 0 << QStringList{} << QStringList{};
    QTest::newRow("duplicated name")
        << QStringList{"a", "b", "a"} << 2 << QStringList{"a", "b"} << QStringList{"b"};
    QTest::newRow("blanks around, Latin-1") << QStringList{" b ", "caf\u00e9"} << 0
                                            << QStringList{"caf\u00e9"} << QStringList{"caf\u00e9"};
}

void TestLibraryWindow::removal()
{
    QFETCH(QStringList, names);
    QFETCH(int, row);
    QFETCH(QStringList, expectedRows);
    Workspace ws(libraryOf(names));
    makePlanFiles(ws, names);
    BoxCatcher boxes;
    DebugCapture log;
    MainWin w;
    log.clear();
    removeRow(w, row);
    QCOMPARE(rows(w), expectedRows);
    QCOMPARE(ws.libraryBytes(), libraryOf(expectedRows));
    QTEST(ws.planFiles(), "expectedPlanFiles");
    QCOMPARE(log.lines(),
             (QStringList{"num before remove:  " + QString::number(names.size()),
                          "after  " + QString::number(names.size() - 1)}));
    QVERIFY(boxes.boxes().isEmpty());
}

void TestLibraryWindow::removeWithoutRowDoesNothing()
{
    const QStringList names{"a", "b"};
    Workspace ws(libraryOf(names));
    makePlanFiles(ws, names);
    BoxCatcher boxes;
    DebugCapture log;
    MainWin w;
    auto *remove = w.findChild<QPushButton *>(QStringLiteral("pbt_remove"));
    remove->click();
    // A registration replaces the list, which clears the selection made before.
    listOf(w)->setCurrentIndex(listOf(w)->model()->index(0, 0));
    save(w, "c");
    log.clear();
    remove->click();
    QCOMPARE(rows(w), (QStringList{"a", "b", "c"}));
    QCOMPARE(ws.libraryBytes(), libraryOf({"a", "b", "c"}));
    QCOMPARE(ws.planFiles(), (QStringList{"a", "b", "c"}));
    QVERIFY(log.lines().isEmpty());
    QVERIFY(boxes.boxes().isEmpty());
}

void TestLibraryWindow::hostileNamesNeverLeaveThePlanFolder()
{
    Workspace probe;
    const QString outside = probe.root() + "/outside";
    const QStringList names{"../victim", "..\\victim", outside,           ".",    "..",       "",
                            "   ",       "ctl\x01",    QString(300, 'n'), "link", "caf\u00e9"};
    Workspace ws(libraryOf(names));
    writeBytes(outside, "keep");
    writeBytes(ws.queryEngineDir() + "/victim", "keep");
    writeBytes(ws.planPath("..\\victim"), "kept: never used as a path");
    makePlanFiles(ws, {"ctl\x01", "caf\u00e9"});
    QVERIFY(QFile::link(outside, ws.planPath("link")));
    BoxCatcher boxes;
    MainWin w;
    QCOMPARE(rows(w), names);
    for (int i = 0; i < names.size(); ++i)
        removeRow(w, 0);
    QVERIFY(rows(w).isEmpty());
    QCOMPARE(ws.libraryBytes(), libraryOf({}));
    QCOMPARE(readBytes(outside), QByteArray("keep"));
    QCOMPARE(readBytes(ws.queryEngineDir() + "/victim"), QByteArray("keep"));
    QCOMPARE(ws.planFiles(), QStringList{"..\\victim"});
    QVERIFY(QFileInfo(ws.planPath({})).isDir());
    QVERIFY(boxes.boxes().isEmpty());
}

void TestLibraryWindow::registrationFailures()
{
    QFETCH(Failure, failure);
    Workspace ws(libraryOf({"a"}, paddedPreamble));
    const QByteArray before = ws.libraryBytes();
    BoxCatcher boxes;
    MainWin w;
    {
        SpoiltLibrary spoilt(failure, ws);
        if (spoilt.user && geteuid() == 0)
            QSKIP("cannot run as an ordinary user here, so permissions never fail");
        save(w, "new");
    }
    QCOMPARE(boxes.boxes().size(), 1);
    const SeenBox box = boxes.boxes().at(0);
    QCOMPARE(box.title,
             failure == Failure::WriteFails ? Msg::libraryWriteErrorTitle
                                            : Msg::libraryOpenErrorTitle);
    if (failure == Failure::Missing)
        QCOMPARE(box.text, QStringLiteral("No such file or directory"));
    if (failure == Failure::WriteFails)
        QCOMPARE(box.text, QStringLiteral("File too large"));
    QVERIFY2(!box.text.isEmpty() && box.text != "Unknown error", qPrintable(box.text));
    QCOMPARE(rows(w), QStringList{"a"});
    QVERIFY(ws.planFiles().contains("new"));
    const QStringList left = QDir(ws.queryEngineDir()).entryList(QDir::Files | QDir::Hidden);
    if (failure == Failure::Missing) {
        QVERIFY(left.isEmpty());
        return;
    }
    QCOMPARE(left, QStringList{"demo.qe_config"});
    QCOMPARE(ws.libraryBytes(), before);

    // The memory kept the plan; the next write that succeeds stores it.
    QFile::setPermissions(ws.libraryPath(), QFile::ReadOwner | QFile::WriteOwner);
    removeRow(w, 0);
    QCOMPARE(ws.libraryBytes(), libraryOf({"new"}, paddedPreamble));
    QCOMPARE(rows(w), QStringList{"new"});
}

void TestLibraryWindow::removalFailures()
{
    QFETCH(Failure, failure);
    Workspace ws(libraryOf({"a", "b"}, paddedPreamble));
    makePlanFiles(ws, {"a", "b"});
    const QByteArray before = ws.libraryBytes();
    BoxCatcher boxes;
    DebugCapture log;
    MainWin w;
    {
        SpoiltLibrary spoilt(failure, ws);
        if (spoilt.user && geteuid() == 0)
            QSKIP("cannot run as an ordinary user here, so permissions never fail");
        removeRow(w, 0);
    }
    QCOMPARE(rows(w), QStringList{"b"});
    QCOMPARE(ws.planFiles(), (QStringList{"a", "b"}));
    QVERIFY(log.lines().contains("plan file kept: a"));
    QVERIFY(boxes.boxes().isEmpty());
    if (failure == Failure::Missing)
        QVERIFY(!QFile::exists(ws.libraryPath()));
    else
        QCOMPARE(ws.libraryBytes(), before);
}

QTEST_MAIN(TestLibraryWindow)
#include "tst_librarywindow.moc"
