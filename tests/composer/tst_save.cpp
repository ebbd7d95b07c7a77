// Save through the real window: the plan file's bytes, the boxes, and what
// every refusal or failure leaves on disk.

#include "app/mainwin.h"
#include "app/messages.h"
#include "testsupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDirIterator>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QStringListModel>
#include <QtTest>

#include <cerrno>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

const QString startName = QStringLiteral("ORCL_no_Evo_no_Sum.txt");

// A window with its boxes and debug lines caught from the start.
struct Session
{
    BoxCatcher boxes;
    DebugCapture debug;
    MainWin window;

    template<typename T> T *widget(const char *name)
    {
        return window.findChild<T *>(QLatin1String(name));
    }
    void save() { widget<QPushButton>("pbt_save")->click(); }
    void saveAs(const QString &name)
    {
        widget<QLineEdit>("lEditSaveFileName")->setText(name);
        save();
    }
    // Each box as "title | text", marked unless critical, parentless, OK alone.
    QStringList seen() const
    {
        QStringList lines;
        for (const SeenBox &box : boxes.boxes()) {
            const bool plain = box.icon == QMessageBox::Critical && box.buttons == QMessageBox::Ok
                && !box.hadParent;
            lines << box.title + QStringLiteral(" | ") + box.text + (plain ? "" : " [odd box]");
        }
        return lines;
    }
    // One box alone, as given; a box ending in "| " stands for any text.
    bool showedOnly(const QString &box) const
    {
        const QStringList lines = seen();
        if (lines.size() != 1)
            return false;
        return box.endsWith(QLatin1String("| ")) ? lines.first().startsWith(box)
                                                 : lines.first() == box;
    }
};

QString boxLine(const QString &title, const QString &text = {})
{
    return title + QStringLiteral(" | ") + text;
}

// Every entry below root, links not followed: bytes, link target or kind.
QMap<QString, QByteArray> snapshot(const QString &root)
{
    QMap<QString, QByteArray> entries;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info = it.fileInfo();
        QByteArray &entry = entries[QDir(root).relativeFilePath(path)];
        if (info.isSymLink())
            entry = "link to " + info.symLinkTarget().toUtf8();
        else if (info.isDir())
            entry = "folder";
        else if (info.isFile() && info.size() < 1024 * 1024)
            entry = readBytes(path);
        else
            entry = "other of size " + QByteArray::number(info.size());
    }
    return entries;
}

QStringList changes(const QMap<QString, QByteArray> &before, const QString &root)
{
    const auto after = snapshot(root);
    QStringList keys = before.keys() + after.keys();
    keys.removeDuplicates();
    keys.sort();
    keys.removeIf([&](const QString &key) { return before.value(key) == after.value(key); });
    return keys;
}

// The demo template with each placeholder replaced by hand; the first three
// values are given, the parameters are the form's defaults.
QByteArray expectedPlan(const QString &templateName, const QStringList &firstValues)
{
    const QStringList values = firstValues + QStringList{"1000", "100", "0.02", "10"};
    const QList<QByteArray> placeholders{"??SourceName",    "??SchemaId",  "??outputmode",
                                         "??windowSize",    "??slideSize", "??rangeThreshold",
                                         "??countThreshold"};
    QByteArray plan =
        readBytes(PANEL_DEMO_DIR "/torvik_stream_query_engine/template/" + templateName);
    for (int i = 0; i < placeholders.size(); ++i) {
        if (plan.count(placeholders[i]) != 1)
            return "demo template lacks " + placeholders[i];
        plan.replace(placeholders[i], values[i].toLatin1());
    }
    return plan;
}

QByteArray startPlan()
{
    return expectedPlan(QStringLiteral("dim_3_no_sum.txt"), {"data/ORCL.txt", "1", "0"});
}

QString debugForm(const QByteArray &bytes)
{
    QString line;
    QDebug(&line) << bytes;
    return line.trimmed();
}

} // namespace

class TestSave : public QObject
{
    Q_OBJECT

private slots:
    void startState();
    void templateChoice_data();
    void templateChoice();
    void names_data();
    void names();
    void failures_data();
    void failures();
    void writeFailure();
};

void TestSave::startState()
{
    Workspace ws;
    QVERIFY(ws.isValid());
    Session s;
    s.debug.clear();
    s.save();

    QCOMPARE(s.seen(), QStringList());
    QCOMPARE(ws.planFiles(), QStringList{startName});
    QCOMPARE(readBytes(ws.planPath(startName)), startPlan());
    QCOMPARE(s.widget<QLineEdit>("lEditSaveFileName")->text(), startName);

    QByteArray afterSource = readBytes(ws.templatePath("dim_3_no_sum.txt"));
    afterSource.replace("??SourceName", "data/ORCL.txt");
    const QStringList lines = s.debug.lines();
    const qsizetype first =
        lines.indexOf(debugForm("../torvik_stream_query_engine/template/dim_3_no_sum.txt"));
    QVERIFY2(first >= 0, qPrintable(lines.join(u'\n')));
    QCOMPARE(lines.mid(first, 4),
             (QStringList{lines[first], QStringLiteral("templateFile exists  true"),
                          debugForm(afterSource), debugForm(startPlan()) + " \ntest"}));

    // Registered: listed last in the file and the list view.
    QVERIFY2(ws.libraryBytes().endsWith("NumberOfQueriesInLibrary=1\r\n" + startName.toLatin1()),
             ws.libraryBytes().constData());
    const auto *model = qobject_cast<QStringListModel *>(s.widget<QListView>("listView")->model());
    QVERIFY(model);
    QCOMPARE(model->stringList(), QStringList{startName});

    // A second Save never overwrites and changes nothing.
    const auto before = snapshot(ws.root());
    s.boxes.clear();
    s.save();
    QCOMPARE(s.seen(), QStringList{boxLine(Msg::fileExistsTitle, Msg::fileExistsText)});
    QCOMPARE(changes(before, ws.root()), QStringList());
    QCOMPARE(model->rowCount(), 1);
}

void TestSave::templateChoice_data()
{
    QTest::addColumn<int>("source");
    QTest::addColumn<int>("sum"); // 1 clicked, 2 checked without a click
    QTest::addColumn<bool>("evo");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("templateName");
    QTest::addColumn<QStringList>("values");

    QTest::newRow("ORCL, sum") << 0 << 1 << false << "ORCL_no_Evo_with_Sum.txt"
                               << "dim_3_sum.txt" << QStringList{"data/ORCL.txt", "1", "0"};
    QTest::newRow("Traffic") << 1 << 0 << false << "Traffic_no_Evo_no_Sum.txt"
                             << "dim_3_no_sum.txt" << QStringList{"RealTraffic", "20", "0"};
    QTest::newRow("Traffic, sum, evo") << 1 << 1 << true << "Traffic_Evo_with_Sum.txt"
                                       << "dim_3_sum.txt" << QStringList{"RealTraffic", "20", "1"};
    QTest::newRow("Earthquake") << 2 << 0 << false << "Earthquake_no_Evo_no_Sum.txt"
                                << "dim_4_no_sum.txt" << QStringList{"RealEarthquake", "23", "0"};
    QTest::newRow("Earthquake, sum, evo")
        << 2 << 1 << true << "Earthquake_Evo_with_Sum.txt"
        << "dim_4_sum.txt" << QStringList{"RealEarthquake", "23", "1"};
    // The template follows the check box itself, not the suggested name.
    QTest::newRow("box checked quietly") << 0 << 2 << false << startName << "dim_3_sum.txt"
                                         << QStringList{"data/ORCL.txt", "1", "0"};
}

void TestSave::templateChoice()
{
    QFETCH(int, source);
    QFETCH(int, sum);
    QFETCH(bool, evo);
    QFETCH(QString, name);
    QFETCH(QString, templateName);
    QFETCH(QStringList, values);
    Workspace ws;
    QVERIFY(ws.isValid());
    Session s;
    s.widget<QComboBox>("dataSourceComBox")->setCurrentIndex(source);
    if (sum == 1)
        s.widget<QCheckBox>("cbox_sum")->click();
    else if (sum == 2)
        s.widget<QCheckBox>("cbox_sum")->setChecked(true);
    if (evo)
        s.widget<QRadioButton>("rbt_evo")->click();
    s.save();

    QCOMPARE(s.seen(), QStringList());
    QCOMPARE(ws.planFiles(), QStringList{name});
    QCOMPARE(readBytes(ws.planPath(name)), expectedPlan(templateName, values));
}

void TestSave::names_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("box"); // empty: saved; ending in "| ": any text

    const QString special = boxLine(Msg::namingErrorTitle, Msg::namingErrorText);
    const QString plain = boxLine(Msg::namingErrorTitle, Msg::plainNameText);
    const QString exists = boxLine(Msg::fileExistsTitle, Msg::fileExistsText);

    QTest::newRow("blank") << "my plan.txt" << special;
    QTest::newRow("parent folder") << "../x" << plain;
    QTest::newRow("parent folder, backslash") << "..\\x" << plain;
    QTest::newRow("absolute") << "ROOT/outside/new.txt" << plain;
    QTest::newRow("Cyrillic") << QStringLiteral("\u043f\u043b\u0430\u043d.txt") << plain;
    QTest::newRow("NUL") << QStringLiteral("plan") + QChar(0) + QStringLiteral(".txt") << plain;
    QTest::newRow("empty: the plan folder") << "" << exists;
    QTest::newRow("dot") << "." << exists;
    QTest::newRow("dot dot") << ".." << exists;
    QTest::newRow("existing plan") << "old.txt" << exists;
    QTest::newRow("link to a file outside") << "link" << exists;
    QTest::newRow("dangling link outside") << "dangling" << exists;
    QTest::newRow("too long") << QString(300, u'a') << boxLine(Msg::fileOpenFailedTitle);
    QTest::newRow("no extension") << "myplan" << QString();
    QTest::newRow("control character") << QStringLiteral("my\x01plan") << QString();
    QTest::newRow("Latin-1") << QStringLiteral("caf\u00e9.txt") << QString();
}

// Whatever the name, nothing outside the plan folder is written.
void TestSave::names()
{
    QFETCH(QString, name);
    QFETCH(QString, box);
    Workspace ws;
    QVERIFY(ws.isValid());
    name.replace(QStringLiteral("ROOT"), ws.root());
    const QString outside = ws.root() + QStringLiteral("/outside/");
    QVERIFY(QDir().mkpath(outside));
    writeBytes(outside + QStringLiteral("file.txt"), "outside");
    writeBytes(ws.planPath("old.txt"), "an older plan");
    QVERIFY(QFile::link(outside + QStringLiteral("file.txt"), ws.planPath("link")));
    QVERIFY(QFile::link(outside + QStringLiteral("new.txt"), ws.planPath("dangling")));
    Session s;
    const auto before = snapshot(ws.root());
    s.debug.clear();
    s.saveAs(name);

    if (box.isEmpty()) {
        QCOMPARE(s.seen(), QStringList());
        QCOMPARE(readBytes(ws.planPath(name)), startPlan());
        QCOMPARE(changes(before, ws.root()),
                 (QStringList{"torvik_stream_query_engine/demo.qe_config",
                              "torvik_stream_query_engine/queryplan/" + name}));
        QVERIFY(ws.libraryBytes().endsWith("\r\n" + name.toLatin1()));
        return;
    }
    QVERIFY2(s.showedOnly(box), qPrintable(s.seen().join(u'\n')));
    QCOMPARE(changes(before, ws.root()), QStringList());
    QCOMPARE(s.widget<QLineEdit>("lEditSaveFileName")->text(), name);
    if (box.startsWith(Msg::namingErrorTitle)) // refused before any template is read
        QVERIFY(!s.debug.lines().join(u'\n').contains(QLatin1String("templateFile exists")));
}

void TestSave::failures_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("box"); // ending in "| ": any text
    const QString notRegular =
        boxLine(Msg::fileMissingTitle, Msg::templateOpenFailedText + Msg::notRegularFileText);

    QTest::newRow("template missing")
        << "missing" << boxLine(Msg::fileMissingTitle, Msg::templateMissingText);
    QTest::newRow("template empty") << "empty" << boxLine(Msg::fileReadingErrorTitle);
    QTest::newRow("template a folder") << "folder" << notRegular;
    QTest::newRow("template a named pipe") << "pipe" << notRegular;
    QTest::newRow("template a link to /dev/zero") << "zero" << notRegular;
    QTest::newRow("template huge")
        << "huge" << boxLine(Msg::fileReadingErrorTitle, Msg::templateTooLargeText);
    QTest::newRow("template lacking a placeholder")
        << "lacking"
        << boxLine(Msg::fileReadingErrorTitle,
                   Msg::placeholderMissingText(
                       "??slideSize", "../torvik_stream_query_engine/template/dim_3_no_sum.txt"));
    QTest::newRow("template unreadable") << "unreadable" << boxLine(Msg::fileMissingTitle);
    QTest::newRow("count above window")
        << "count" << boxLine(Msg::parameterErrorTitle, Msg::countBelowWindowText);
    QTest::newRow("plan folder missing") << "no plan folder" << boxLine(Msg::fileOpenFailedTitle);
    QTest::newRow("library not loaded")
        << "no library" << boxLine(Msg::libraryOpenErrorTitle, Msg::libraryNotLoadedText);
}

// Each failure shows its box and leaves the disk as it was.
void TestSave::failures()
{
    QFETCH(QString, kind);
    QFETCH(QString, box);
    Workspace ws;
    QVERIFY(ws.isValid());
    const QString path = ws.templatePath("dim_3_no_sum.txt");
    const QByteArray bytes = readBytes(path);
    if (QStringList{"missing", "empty", "folder", "pipe", "zero", "huge"}.contains(kind))
        QVERIFY(QFile::remove(path));
    if (kind == "empty") {
        writeBytes(path, {});
    } else if (kind == "folder") {
        QVERIFY(QDir().mkdir(path));
    } else if (kind == "zero") {
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
    } else if (kind == "huge") {
        QFile huge(path);
        QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(16 * 1024 * 1024 + 1));
    } else if (kind == "lacking") {
        writeBytes(path, QByteArray(bytes).replace("??slideSize", "100"));
    } else if (kind == "no plan folder") {
        QVERIFY(QDir(ws.planPath({})).removeRecursively());
    } else if (kind == "no library") {
        QVERIFY(QFile::remove(ws.libraryPath()));
    } else if (kind == "pipe" || kind == "unreadable") {
#ifdef Q_OS_UNIX
        if (kind == "pipe")
            QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else if (geteuid() == 0)
            QSKIP("permissions do not bind root");
        else
            QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));
#else
        QSKIP("needs a Unix file system");
#endif
    }
    Session s;
    if (kind == "count")
        s.widget<QLineEdit>("editCountThres")->setText(QStringLiteral("1001"));
    s.boxes.clear(); // the failed load's own box
    const auto before = snapshot(ws.root());
    s.save();

    QVERIFY2(s.showedOnly(box), qPrintable(s.seen().join(u'\n')));
    QCOMPARE(changes(before, ws.root()), QStringList());
}

// A write that fails part way, as on a full disk, leaves no plan behind.
void TestSave::writeFailure()
{
#ifdef Q_OS_UNIX
    Workspace ws;
    QVERIFY(ws.isValid());
    Session s;
    const auto before = snapshot(ws.root());
    rlimit saved{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 100; // below the plan's size
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    s.save();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    // The system's reason, not Qt's "Unknown error" for a write cut short.
    QCOMPARE(s.seen(), QStringList{boxLine(Msg::fileWriteFailedTitle, qt_error_string(EFBIG))});
    QCOMPARE(changes(before, ws.root()), QStringList());

    // The same name saves now.
    s.boxes.clear();
    s.save();
    QCOMPARE(s.seen(), QStringList());
    QCOMPARE(readBytes(ws.planPath(startName)), startPlan());
#else
    QSKIP("needs a file-size limit");
#endif
}

QTEST_MAIN(TestSave)
#include "tst_save.moc"
