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

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

const QString templateDir = QStringLiteral("../torvik_stream_query_engine/template/");

// A test's window with its boxes and debug lines caught from the start.
struct Session
{
    BoxCatcher boxes;
    DebugCapture debug;
    MainWin window;

    template<typename T>
    T *widget(const char *name) { return window.findChild<T *>(QLatin1String(name)); }
    QString planName() { return widget<QLineEdit>("lEditSaveFileName")->text(); }
    void save() { widget<QPushButton>("pbt_save")->click(); }
    void saveAs(const QString &name)
    {
        widget<QLineEdit>("lEditSaveFileName")->setText(name);
        save();
    }
};

// Each box as "title | text", marked when it is not a plain critical box.
QStringList seenBoxes(const BoxCatcher &boxes)
{
    QStringList seen;
    for (const SeenBox &box : boxes.boxes()) {
        QString line = box.title + QStringLiteral(" | ") + box.text;
        if (box.icon != QMessageBox::Critical || box.buttons != QMessageBox::Ok || box.hadParent)
            line += QStringLiteral(" [not a parentless critical box with OK alone]");
        seen << line;
    }
    return seen;
}

QStringList oneBox(const QString &title, const QString &text)
{
    return {title + QStringLiteral(" | ") + text};
}

// Every entry below a folder, without following links: file bytes, link
// targets, or the kind of entry.
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

QStringList changedEntries(const QMap<QString, QByteArray> &before,
                           const QMap<QString, QByteArray> &after)
{
    QStringList changed;
    QStringList keys = before.keys() + after.keys();
    keys.removeDuplicates();
    keys.sort();
    for (const QString &key : keys) {
        if (before.value(key, "(none)") != after.value(key, "(none)"))
            changed << key;
    }
    return changed;
}

// The demo template with each placeholder replaced by hand.
QByteArray expectedPlan(const QString &templateName, const QStringList &values)
{
    static const QList<QByteArray> placeholders{"??SourceName",   "??SchemaId",
                                                "??outputmode",   "??windowSize",
                                                "??slideSize",    "??rangeThreshold",
                                                "??countThreshold"};
    QByteArray plan = readBytes(QStringLiteral(PANEL_DEMO_DIR "/torvik_stream_query_engine/template/")
                                + templateName);
    for (int i = 0; i < placeholders.size(); ++i) {
        if (plan.count(placeholders[i]) != 1)
            return "demo template " + templateName.toLatin1() + " lacks " + placeholders[i];
        plan.replace(placeholders[i], values[i].toLatin1());
    }
    return plan;
}

QByteArray startPlan()
{
    return expectedPlan(QStringLiteral("dim_3_no_sum.txt"),
                        {"data/ORCL.txt", "1", "0", "1000", "100", "0.02", "10"});
}

QString debugForm(const QByteArray &bytes)
{
    QString line;
    QDebug(&line) << bytes;
    return line.trimmed();
}

bool hasLinesInOrder(const QStringList &lines, const QStringList &wanted)
{
    qsizetype from = 0;
    for (const QString &line : wanted) {
        from = lines.indexOf(line, from);
        if (from < 0)
            return false;
        ++from;
    }
    return true;
}

} // namespace

class TestSave : public QObject
{
    Q_OBJECT

private slots:
    void startState();
    void templateChoice_data();
    void templateChoice();
    void refusedNames_data();
    void refusedNames();
    void takenNames_data();
    void takenNames();
    void acceptedOddNames_data();
    void acceptedOddNames();
    void openFailures();
    void writeFailure();
    void badTemplates_data();
    void badTemplates();
    void refusedParameters();
    void libraryNotLoaded();
};

void TestSave::startState()
{
    Workspace ws;
    QVERIFY(ws.isValid());
    Session s;
    s.debug.clear();
    s.save();

    QCOMPARE(seenBoxes(s.boxes), QStringList());
    QCOMPARE(ws.planFiles(), QStringList{"ORCL_no_Evo_no_Sum.txt"});
    QCOMPARE(readBytes(ws.planPath("ORCL_no_Evo_no_Sum.txt")), startPlan());
    QCOMPARE(s.planName(), QStringLiteral("ORCL_no_Evo_no_Sum.txt"));

    QByteArray afterSource = readBytes(ws.templatePath("dim_3_no_sum.txt"));
    afterSource.replace("??SourceName", "data/ORCL.txt");
    QVERIFY2(hasLinesInOrder(s.debug.lines(),
                             {debugForm(templateDir.toLatin1() + "dim_3_no_sum.txt"),
                              QStringLiteral("templateFile exists  true"), debugForm(afterSource),
                              debugForm(startPlan()) + QStringLiteral(" \ntest")}),
             qPrintable(s.debug.lines().join(u'\n')));

    // Registration lists the plan last.
    QVERIFY2(ws.libraryBytes().endsWith("NumberOfQueriesInLibrary=1\r\nORCL_no_Evo_no_Sum.txt"),
             ws.libraryBytes().constData());
    const auto *model = qobject_cast<QStringListModel *>(s.widget<QListView>("listView")->model());
    QVERIFY(model);
    QCOMPARE(model->stringList().value(model->rowCount() - 1),
             QStringLiteral("ORCL_no_Evo_no_Sum.txt"));

    // A second Save never overwrites and changes nothing.
    const auto before = snapshot(ws.root());
    s.boxes.clear();
    s.save();
    QCOMPARE(seenBoxes(s.boxes), oneBox(Msg::fileExistsTitle, Msg::fileExistsText));
    QCOMPARE(changedEntries(before, snapshot(ws.root())), QStringList());
    QCOMPARE(model->rowCount(), 1);
}

void TestSave::templateChoice_data()
{
    QTest::addColumn<int>("source");
    QTest::addColumn<bool>("clickSum");
    QTest::addColumn<bool>("checkSumQuietly");
    QTest::addColumn<bool>("clickEvo");
    QTest::addColumn<QString>("planName");
    QTest::addColumn<QString>("templateName");
    QTest::addColumn<QStringList>("firstValues");

    QTest::newRow("ORCL with sum") << 0 << true << false << false << "ORCL_no_Evo_with_Sum.txt"
                                   << "dim_3_sum.txt" << QStringList{"data/ORCL.txt", "1", "0"};
    QTest::newRow("Traffic") << 1 << false << false << false << "Traffic_no_Evo_no_Sum.txt"
                             << "dim_3_no_sum.txt" << QStringList{"RealTraffic", "20", "0"};
    QTest::newRow("Traffic with sum and evolution")
        << 1 << true << false << true << "Traffic_Evo_with_Sum.txt" << "dim_3_sum.txt"
        << QStringList{"RealTraffic", "20", "1"};
    QTest::newRow("Earthquake") << 2 << false << false << false << "Earthquake_no_Evo_no_Sum.txt"
                                << "dim_4_no_sum.txt" << QStringList{"RealEarthquake", "23", "0"};
    QTest::newRow("Earthquake with sum and evolution")
        << 2 << true << false << true << "Earthquake_Evo_with_Sum.txt" << "dim_4_sum.txt"
        << QStringList{"RealEarthquake", "23", "1"};
    // The template follows the check box itself, not the suggested name.
    QTest::newRow("box checked without a click")
        << 0 << false << true << false << "ORCL_no_Evo_no_Sum.txt" << "dim_3_sum.txt"
        << QStringList{"data/ORCL.txt", "1", "0"};
}

void TestSave::templateChoice()
{
    QFETCH(int, source);
    QFETCH(bool, clickSum);
    QFETCH(bool, checkSumQuietly);
    QFETCH(bool, clickEvo);
    QFETCH(QString, planName);
    QFETCH(QString, templateName);
    QFETCH(QStringList, firstValues);

    Workspace ws;
    QVERIFY(ws.isValid());
    Session s;
    s.widget<QComboBox>("dataSourceComBox")->setCurrentIndex(source);
    if (clickSum)
        s.widget<QCheckBox>("cbox_sum")->click();
    if (checkSumQuietly)
        s.widget<QCheckBox>("cbox_sum")->setChecked(true);
    if (clickEvo)
        s.widget<QRadioButton>("rbt_evo")->click();
    QCOMPARE(s.planName(), planName);
    s.save();

    QCOMPARE(seenBoxes(s.boxes), QStringList());
    QCOMPARE(ws.planFiles(), QStringList{planName});
    QCOMPARE(readBytes(ws.planPath(planName)),
             expectedPlan(templateName, firstValues + QStringList{"1000", "100", "0.02", "10"}));
}

void TestSave::refusedNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    const QString special = Msg::namingErrorText;
    const QString plain = Msg::plainNameText;

    QTest::newRow("blank") << "my plan.txt" << special;
    QTest::newRow("parent folder") << "../x" << plain;
    QTest::newRow("parent folder, backslash") << "..\\x" << plain;
    QTest::newRow("absolute") << "ABSOLUTE/outside.txt" << plain;
    QTest::newRow("Cyrillic") << QStringLiteral("\u043f\u043b\u0430\u043d.txt") << plain;
    QTest::newRow("NUL") << QStringLiteral("plan") + QChar(0) + QStringLiteral(".txt") << plain;
}

void TestSave::refusedNames()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    Workspace ws;
    QVERIFY(ws.isValid());
    name.replace(QStringLiteral("ABSOLUTE"), ws.root());
    Session s;
    const auto before = snapshot(ws.root());
    s.debug.clear();
    s.saveAs(name);

    QCOMPARE(seenBoxes(s.boxes), oneBox(Msg::namingErrorTitle, text));
    QVERIFY(!s.debug.lines().join(u'\n').contains(QStringLiteral("templateFile exists")));
    QCOMPARE(changedEntries(before, snapshot(ws.root())), QStringList());
    QCOMPARE(s.planName(), name);
}

void TestSave::takenNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("empty: the plan folder itself") << "";
    QTest::newRow("dot") << ".";
    QTest::newRow("dot dot") << "..";
    QTest::newRow("existing plan") << "old.txt";
    QTest::newRow("link to a file outside") << "link-to-file";
    QTest::newRow("dangling link outside") << "dangling-link";
}

void TestSave::takenNames()
{
    QFETCH(QString, name);
    Workspace ws;
    QVERIFY(ws.isValid());
    const QString outside = ws.root() + QStringLiteral("/outside");
    QVERIFY(QDir().mkpath(outside));
    writeBytes(outside + QStringLiteral("/file.txt"), "outside");
    writeBytes(ws.planPath("old.txt"), "an older plan");
    QVERIFY(QFile::link(outside + QStringLiteral("/file.txt"), ws.planPath("link-to-file")));
    QVERIFY(QFile::link(outside + QStringLiteral("/new.txt"), ws.planPath("dangling-link")));
    Session s;
    const auto before = snapshot(ws.root());
    s.saveAs(name);

    QCOMPARE(seenBoxes(s.boxes), oneBox(Msg::fileExistsTitle, Msg::fileExistsText));
    QCOMPARE(changedEntries(before, snapshot(ws.root())), QStringList());
}

void TestSave::acceptedOddNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("no extension") << "myplan";
    QTest::newRow("control character") << QStringLiteral("my\x01plan");
    QTest::newRow("Latin-1") << QStringLiteral("caf\u00e9.txt");
    QTest::newRow("leading dots") << "..plan";
}

void TestSave::acceptedOddNames()
{
    QFETCH(QString, name);
    Workspace ws;
    QVERIFY(ws.isValid());
    Session s;
    const auto before = snapshot(ws.root());
    s.saveAs(name);

    QCOMPARE(seenBoxes(s.boxes), QStringList());
    QCOMPARE(ws.planFiles(), QStringList{name});
    QCOMPARE(readBytes(ws.planPath(name)), startPlan());
    const QString planEntry = QStringLiteral("torvik_stream_query_engine/queryplan/") + name;
    QCOMPARE(changedEntries(before, snapshot(ws.root())),
             (QStringList{"torvik_stream_query_engine/demo.qe_config", planEntry}));
    QVERIFY(ws.libraryBytes().endsWith("\r\n" + name.toLatin1()));
}

void TestSave::openFailures()
{
    Workspace ws;
    QVERIFY(ws.isValid());
    Session s;

    // Longer than any file system takes.
    auto before = snapshot(ws.root());
    s.saveAs(QString(300, u'a'));
    QCOMPARE(s.boxes.boxes().size(), 1);
    QCOMPARE(s.boxes.boxes().first().title, Msg::fileOpenFailedTitle);
    QVERIFY(!s.boxes.boxes().first().text.isEmpty());
    QCOMPARE(changedEntries(before, snapshot(ws.root())), QStringList());

    // The plan folder is never created.
    QVERIFY(QDir(ws.planPath(QString())).removeRecursively());
    before = snapshot(ws.root());
    s.boxes.clear();
    s.saveAs(QStringLiteral("plan.txt"));
    QCOMPARE(s.boxes.boxes().size(), 1);
    QCOMPARE(s.boxes.boxes().first().title, Msg::fileOpenFailedTitle);
    QCOMPARE(changedEntries(before, snapshot(ws.root())), QStringList());
}

void TestSave::writeFailure()
{
#ifdef Q_OS_UNIX
    Workspace ws;
    QVERIFY(ws.isValid());
    Session s;
    const auto before = snapshot(ws.root());

    // A file-size limit below the plan's size makes the write fail part way,
    // as a full disk would.
    rlimit saved{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 100;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    s.save();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    QCOMPARE(s.boxes.boxes().size(), 1);
    QCOMPARE(s.boxes.boxes().first().title, Msg::fileWriteFailedTitle);
    QVERIFY(!s.boxes.boxes().first().text.isEmpty());
    QCOMPARE(changedEntries(before, snapshot(ws.root())), QStringList());

    // Nothing was left behind, so the same name saves now.
    s.boxes.clear();
    s.save();
    QCOMPARE(seenBoxes(s.boxes), QStringList());
    QCOMPARE(readBytes(ws.planPath("ORCL_no_Evo_no_Sum.txt")), startPlan());
#else
    QSKIP("needs a file-size limit");
#endif
}

void TestSave::badTemplates_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text"); // empty: the file's error string, not checked
    const QString notRegular = Msg::templateOpenFailedText + Msg::notRegularFileText;

    QTest::newRow("missing") << "missing" << Msg::fileMissingTitle << Msg::templateMissingText;
    QTest::newRow("empty") << "empty" << Msg::fileReadingErrorTitle << QString();
    QTest::newRow("folder") << "folder" << Msg::fileMissingTitle << notRegular;
    QTest::newRow("named pipe") << "pipe" << Msg::fileMissingTitle << notRegular;
    QTest::newRow("link to /dev/zero") << "zero" << Msg::fileMissingTitle << notRegular;
    QTest::newRow("huge") << "huge" << Msg::fileReadingErrorTitle << Msg::templateTooLargeText;
    QTest::newRow("lacking a placeholder")
        << "lacking" << Msg::fileReadingErrorTitle
        << Msg::placeholderMissingText(QStringLiteral("??slideSize"),
                                       templateDir + QStringLiteral("dim_3_no_sum.txt"));
    QTest::newRow("unreadable") << "unreadable" << Msg::fileMissingTitle << QString();
}

void TestSave::badTemplates()
{
    QFETCH(QString, kind);
    QFETCH(QString, title);
    QFETCH(QString, text);
    Workspace ws;
    QVERIFY(ws.isValid());
    const QString path = ws.templatePath("dim_3_no_sum.txt");
    const QByteArray bytes = readBytes(path);
    if (kind != QLatin1String("lacking") && kind != QLatin1String("unreadable"))
        QVERIFY(QFile::remove(path));

    if (kind == QLatin1String("empty")) {
        writeBytes(path, {});
    } else if (kind == QLatin1String("folder")) {
        QVERIFY(QDir().mkdir(path));
    } else if (kind == QLatin1String("zero")) {
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
    } else if (kind == QLatin1String("huge")) {
        QFile huge(path);
        QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(16 * 1024 * 1024 + 1));
    } else if (kind == QLatin1String("lacking")) {
        writeBytes(path, QByteArray(bytes).replace("??slideSize", "100"));
    } else if (kind == QLatin1String("pipe") || kind == QLatin1String("unreadable")) {
#ifdef Q_OS_UNIX
        if (kind == QLatin1String("pipe"))
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
    const auto before = snapshot(ws.root());
    s.save();
    QCOMPARE(s.boxes.boxes().size(), 1);
    QCOMPARE(s.boxes.boxes().first().title, title);
    if (!text.isEmpty())
        QCOMPARE(seenBoxes(s.boxes), oneBox(title, text));
    QCOMPARE(changedEntries(before, snapshot(ws.root())), QStringList());
}

void TestSave::refusedParameters()
{
    Workspace ws;
    QVERIFY(ws.isValid());
    Session s;
    s.widget<QLineEdit>("editCountThres")->setText(QStringLiteral("1001"));
    const auto before = snapshot(ws.root());
    s.save();

    QCOMPARE(seenBoxes(s.boxes), oneBox(Msg::parameterErrorTitle, Msg::countBelowWindowText));
    QCOMPARE(changedEntries(before, snapshot(ws.root())), QStringList());
}

// Without a loaded library, no plan is written, since none could be listed.
void TestSave::libraryNotLoaded()
{
    Workspace ws;
    QVERIFY(ws.isValid());
    QVERIFY(QFile::remove(ws.libraryPath()));
    Session s;
    s.boxes.clear();
    const auto before = snapshot(ws.root());
    s.save();

    QCOMPARE(seenBoxes(s.boxes), oneBox(Msg::libraryOpenErrorTitle, Msg::libraryNotLoadedText));
    QCOMPARE(changedEntries(before, snapshot(ws.root())), QStringList());
}

QTEST_MAIN(TestSave)
#include "tst_save.moc"
