// The panel's window, driven as an operator drives it. Each row of a table is
// a workspace, the steps taken in the window, the boxes they must show and
// what lies on disk afterwards.

#include "testsupport.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListView>
#include <QUrl>
#include <QtTest>

#include <csignal>
#include <grp.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

const QByteArray kEmpty = "# library\r\nNumberOfQueriesInLibrary=0";
const QByteArray kOne = "# library\r\nNumberOfQueriesInLibrary=1\r\n";
const QString kQuery = "torvik_stream_query_engine/";
const QString kStart = "ORCL_no_Evo_no_Sum.txt";
const QByteArray kStartPlan = "dim_3_no_sum\r\ndata/ORCL.txt 1 0 1000 100 0.02 10";

// Puts "path=bytes" files in the query engine's folder before the window
// starts; the bytes may instead be <rm>, <dir>, <size N>, <link TARGET> or
// <mode HEX> with QFile's permission flags (4000 read, 5000 read and enter).
void lay(const TestWorkspace &ws, const QStringList &files)
{
    for (const QString &file : files) {
        const QString path = ws.path(kQuery + file.section('=', 0, 0));
        const QString bytes = file.section('=', 1);
        const QString arg = bytes.section(' ', 1).chopped(bytes.endsWith('>'));
        if (bytes.startsWith("<mode")) {
            QFile::setPermissions(path, QFile::Permissions(arg.toInt(nullptr, 16)));
            continue;
        }
        if (!QFile::remove(path))
            QDir(path).removeRecursively();
        if (bytes == "<dir>")
            QDir().mkpath(path);
        else if (bytes.startsWith("<link"))
            QFile::link(arg, path);
        else if (bytes != "<rm>")
            writeBytes(path, bytes.startsWith("<size") ? QByteArray() : bytes.toLatin1());
        if (bytes.startsWith("<size"))
            QFile::resize(path, arg.toLongLong());
    }
}

// Steps, blank apart: "src=N" chooses a data source and "clear" empties the
// box; "sum", "evo", "noevo", "save" and "remove" click; "quietsum" checks
// summarization without a click; "w=", "s=", "r=", "c=" and "name=" fill a
// field (percent-encoded); "sel=N" selects a row; "rmlib" deletes the
// library file; "limit=N" caps the size of every file written afterwards.
void run(const Panel &p, const TestWorkspace &ws, const QString &steps)
{
    const std::map<QString, const char *> widgets{
        {"w", "editWindowSize"},  {"s", "editSlideSize"},        {"r", "editRangeThres"},
        {"c", "editCountThres"},  {"name", "lEditSaveFileName"}, {"save", "pbt_save"},
        {"remove", "pbt_remove"}, {"sum", "cbox_sum"},           {"evo", "rbt_evo"},
        {"noevo", "rbt_noEvo"}};
    auto *sources = p.window->findChild<QComboBox *>();
    rlimit unlimited{};
    getrlimit(RLIMIT_FSIZE, &unlimited);
    for (const QString &step : steps.split(' ', Qt::SkipEmptyParts)) {
        const QString key = step.section('=', 0, 0);
        const QString value = QUrl::fromPercentEncoding(step.section('=', 1).toUtf8());
        QObject *widget =
            widgets.count(key) ? p.window->findChild<QObject *>(widgets.at(key)) : nullptr;
        if (auto *field = qobject_cast<QLineEdit *>(widget))
            field->setText(value);
        else if (auto *button = qobject_cast<QAbstractButton *>(widget))
            button->click();
        else if (key == "src")
            sources->setCurrentIndex(value.toInt());
        else if (key == "clear")
            sources->clear();
        else if (key == "quietsum")
            p.window->findChild<QAbstractButton *>("cbox_sum")->setChecked(true);
        else if (key == "sel")
            p.window->findChild<QListView *>()->setCurrentIndex(
                p.window->findChild<QListView *>()->model()->index(value.toInt(), 0));
        else if (key == "rmlib")
            QFile::remove(ws.path(kQuery + "demo.qe_config"));
        else if (key == "limit") {
            const rlimit lowered{value.toULong(), unlimited.rlim_max};
            setrlimit(RLIMIT_FSIZE, &lowered);
        }
    }
    setrlimit(RLIMIT_FSIZE, &unlimited);
}

} // namespace

class TestMainWin : public QObject
{
    Q_OBJECT

private slots:
    void planOptions_data();
    void planOptions();
    void window_data();
    void window();
};

void TestMainWin::planOptions_data()
{
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("words");
    const auto row = [](const char *steps, const char *name, const QStringList &words = {}) {
        QTest::newRow(steps) << steps << name << words;
    };
    row("", "ORCL_no_Evo_no_Sum.txt");
    row("src=1", "Traffic_no_Evo_no_Sum.txt", {"traffic "});
    row("src=2 evo sum", "Earthquake_Evo_with_Sum.txt", {"earthquake "});
    row("src=1 src=0", "ORCL_no_Evo_no_Sum.txt", {"traffic ", "ORCL "});
    row("evo sum sum noevo", "ORCL_no_Evo_no_Sum.txt");
    row("evo name=mine evo", "ORCL_Evo_no_Sum.txt");
    row("src=2 name=mine clear", "Earthquake_no_Evo_no_Sum.txt", {"earthquake "});
    row("quietsum s=5", "ORCL_no_Evo_no_Sum.txt");
}

// The suggested name follows every choice and replaces a typed one; the
// parameters stay as they are.
void TestMainWin::planOptions()
{
    QFETCH(QString, steps);
    TestWorkspace ws;
    Panel p;
    p.debug.clear();
    run(p, ws, steps);
    QTEST(p.window->findChild<QLineEdit *>("lEditSaveFileName")->text(), "name");
    QTEST(p.debug, "words");
    QCOMPARE(p.window->findChild<QLineEdit *>("editWindowSize")->text(), QString("1000"));
}

void TestMainWin::window_data()
{
    QTest::addColumn<QByteArray>("library");
    QTest::addColumn<QStringList>("files"); // laid before the start
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QString>("listed");       // rows, "|" apart
    QTest::addColumn<QStringList>("plans");    // files in the plan folder
    QTest::addColumn<QByteArray>("planBytes"); // of the plan the name field names
    QTest::addColumn<QByteArray>("after");     // the library file
    const auto row = [](const char *tag, const QByteArray &library, const QStringList &files,
                        const char *steps, const QStringList &boxes, const char *listed,
                        const QStringList &plans, const QByteArray &planBytes,
                        const QByteArray &after) {
        QTest::newRow(tag) << library << files << steps << boxes << listed << plans << planBytes
                           << after;
    };
    // Saved in an empty library
    const auto saved = [&](const char *steps, const QString &name, const QByteArray &plan) {
        row(steps, kEmpty, {}, steps, {}, qPrintable(name), {name}, plan, kOne + name.toUtf8());
    };
    saved("save", kStart, kStartPlan);
    saved("src=1 sum evo save", "Traffic_Evo_with_Sum.txt",
          "dim_3_sum\r\nRealTraffic 20 1 1000 100 0.02 10");
    saved("src=2 w=100 s=99 r=1 c=99 save", "Earthquake_no_Evo_no_Sum.txt",
          "dim_4_no_sum\r\nRealEarthquake 23 0 100 99 1 99");
    saved("src=2 sum w=2 s=1 r=0 c=1 save", "Earthquake_no_Evo_with_Sum.txt",
          "dim_4_sum\r\nRealEarthquake 23 0 2 1 0 1");
    saved("quietsum save", kStart, "dim_3_sum\r\ndata/ORCL.txt 1 0 1000 100 0.02 10");
    saved("name=myplan save", "myplan", kStartPlan);
    // Refused: nothing is written
    const auto refused = [&](const char *tag, const QStringList &files, const char *steps,
                             const QString &box) {
        row(tag, kEmpty, files, steps, {box}, "", {}, {}, kEmpty);
    };
    const QString exists = "File Exists | File already exists";
    const QString param = "Parameter Setting Error | ";
    const QString reading = "File Reading Error | ";
    const QString missing = "File Missing | cannot locate installed file";
    const QString t = "template/dim_3_no_sum.txt";
    const QString tPath = "The plan template ../torvik_stream_query_engine/" + t;
    refused("blank", {}, "name=my%20plan save",
            "File Naming Error! | Please remove special characters !@#$%^&* and white spaces!");
    refused("separator", {}, "name=..%2Fx save",
            "File Naming Error! | Please use a plain file name: no / or \\ and only ASCII "
            "characters!");
    refused("empty name", {}, "name= save", exists);
    row("dangling link", kEmpty, {"queryplan/x=<link /none>"}, "name=x save", {exists}, "", {"x"},
        {}, kEmpty);
    refused("letters", {}, "w=abc save", param + "Only numbers are allowed");
    refused("slide = window", {}, "w=100 s=100 save",
            param + "Slide size must be smaller than window size");
    refused("slide 0", {}, "w=5 s=0 save",
            param + "window and slide size must be positive numbers");
    refused("range 1.5", {}, "r=1.5 save", param + "Range can only be numbers between [0,1]");
    refused("count = window", {}, "c=1000 save", param + "Count must be smaller than window size");
    refused("count 0", {}, "c=0 save", param + "Count must be a positive number");
    refused("template missing", {t + "=<rm>"}, "save", missing + ".");
    refused("template empty", {t + "="}, "save", reading + "Unknown error");
    refused("template a folder", {t + "=<dir>"}, "save", missing + ":\r\nnot a regular file");
    refused("template unreadable", {t + "=<mode 0>"}, "save", missing + ":\r\nPermission denied");
    refused("template read fails", {t + "=<link /proc/self/mem>"}, "save",
            reading + "Input/output error");
    refused("template lacks one",
            {t
             + "=??SourceName ??SchemaId ??outputmode ??windowSize ??rangeThreshold "
               "??countThreshold"},
            "save", reading + tPath + " lacks the placeholder ??slideSize.");
    refused("template joins two",
            {t
             + "=??SchemaI??SourceName ??SchemaId ??outputmode ??windowSize ??slideSize "
               "??rangeThreshold ??countThreshold"},
            "save",
            reading + "In the plan template ../torvik_stream_query_engine/" + t
                + " a filled-in value joins the text beside it into another ??SchemaId, so the "
                  "template cannot be filled in safely.");
    refused("template at the cap is read", {t + "=<size 16777216>"}, "save",
            reading + tPath + " lacks the placeholder ??SourceName.");
    refused("template over the cap", {t + "=<size 16777217>"}, "save",
            reading + "The plan template is larger than 16 MiB and cannot be a plan template.");
    refused("plan folder missing", {"queryplan=<rm>"}, "save",
            "File Open Failed | No such file or directory");
    refused("plan folder read-only", {"queryplan=<mode 5000>"}, "save",
            "File Open Failed | Permission denied");
    refused("plan write cut short", {}, "limit=10 save", "File write Failed | File too large");
    // The library refused at start: Remove does nothing, Save writes nothing
    const QString notLoaded = "File Open Error! | The library configuration file could not be "
                              "read when the panel started, so no plan can be registered. Fix "
                              "the file and restart the panel.";
    const auto unloaded = [&](const char *tag, const QByteArray &library, const QStringList &files,
                              const QString &text, const QByteArray &after = {}) {
        row(tag, library, files, "remove save", {"File Open Error! | " + text, notLoaded}, "", {},
            {}, files.isEmpty() ? library : after);
    };
    unloaded("library missing", {}, {"demo.qe_config=<rm>"}, "No such file or directory");
    unloaded("library a folder", {}, {"demo.qe_config=<dir>"},
             "The library configuration file is not a regular file.");
    unloaded("library over the cap", {}, {"demo.qe_config=<size 16777217>"},
             "The library configuration file is larger than 16 MiB.", QByteArray(16777217, 0));
    unloaded("library unreadable", {}, {"demo.qe_config=<mode 0>"}, "Permission denied");
    unloaded("no key", "NumberOfQueries=1\r\na", {},
             "The library configuration file has no NumberOfQueriesInLibrary line.");
    unloaded("no separator", "NumberOfQueriesInLibrary 1\r\na", {},
             "The NumberOfQueriesInLibrary line of the library configuration file has no \"=\".");
    unloaded("edited on Linux", "NumberOfQueriesInLibrary=2\na\nb", {},
             "The lines of the library configuration file from NumberOfQueriesInLibrary on must "
             "end in a carriage return and a line feed; some end in a line feed alone.");
    // Registration and removal
    const QByteArray pre = "# one\r\n#=\r\nNumberOfQueriesInLibrary =";
    row("preamble kept", pre + " x \r\n a \r\n", {}, "save", {}, " a ||" + kStart.toLatin1(),
        {kStart}, kStartPlan, pre + "3\r\na\r\n\r\n" + kStart.toLatin1());
    row("saved twice", kEmpty, {}, "save save", {exists}, qPrintable(kStart), {kStart}, kStartPlan,
        kOne + kStart.toLatin1());
    row("library deleted after the start", kEmpty, {}, "rmlib save",
        {"File Open Error! | No such file or directory"}, "", {kStart}, kStartPlan, {});
    row("library read-only", kEmpty, {"demo.qe_config=<mode 4000>"}, "save",
        {"File Open Error! | Existing file ../torvik_stream_query_engine/demo.qe_config is not "
         "writable"},
        "", {kStart}, kStartPlan, kEmpty);
    row("engine folder read-only", kEmpty, {"=<mode 5000>"}, "save", {}, qPrintable(kStart),
        {kStart}, kStartPlan, kOne + kStart.toLatin1());
    const QByteArray big = QByteArray(300, '#') + "\r\nNumberOfQueriesInLibrary=1\r\na";
    row("library write cut short", big, {"queryplan/a=plan"}, "limit=200 save sel=0 remove",
        {"File Write Error! | File too large"}, qPrintable(kStart), {kStart, "a"}, kStartPlan, big);
    const QByteArray abc = "# library\r\nNumberOfQueriesInLibrary=3\r\na\r\n b \r\nc";
    const QStringList abcFiles{"queryplan/a=1", "queryplan/b=2", "queryplan/c=3"};
    row("remove the middle", abc, abcFiles, "sel=1 remove", {}, "a|c", {"a", "c"}, {},
        "# library\r\nNumberOfQueriesInLibrary=2\r\na\r\nc");
    row("remove all", abc, abcFiles, "sel=2 remove sel=0 remove sel=0 remove", {}, "", {}, {},
        kEmpty);
    row("remove without a row", abc, abcFiles, "remove sel=0 save remove", {},
        "a| b |c|" + kStart.toLatin1(), {kStart, "a", "b", "c"}, kStartPlan,
        "# library\r\nNumberOfQueriesInLibrary=4\r\na\r\nb\r\nc\r\n" + kStart.toLatin1());
    row("remove one of two", kOne + "a\r\na", {"queryplan/a=1"}, "sel=1 remove", {}, "a", {}, {},
        kOne + "a");
    row("remove without the library", abc, abcFiles, "rmlib sel=0 remove", {}, " b |c",
        {"a", "b", "c"}, {}, {});
    row("names that are no paths", kOne + "../demo.qe_config\r\n..", {},
        "sel=0 remove sel=0 remove", {}, "", {}, {}, kEmpty);
}

void TestMainWin::window()
{
    QFETCH(QByteArray, library);
    QFETCH(QStringList, files);
    QFETCH(QString, steps);
    QFETCH(QByteArray, planBytes);
    TestWorkspace ws(library);
    lay(ws, files);
    Panel p;
    run(p, ws, steps);
    QTEST(p.boxes, "boxes");
    QTEST(p.listed().join('|'), "listed");
    QTEST(ws.plans(), "plans");
    const QString name = p.window->findChild<QLineEdit *>("lEditSaveFileName")->text();
    if (!planBytes.isEmpty())
        QCOMPARE(readBytes(ws.path(kQuery + "queryplan/" + name)), planBytes);
    QTEST(readBytes(ws.path(kQuery + "demo.qe_config")), "after");
}

// Root writes every file, so the tests run as an ordinary user.
int main(int argc, char **argv)
{
    if (geteuid() == 0) {
        if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)
            return 2;
        prctl(PR_SET_DUMPABLE, 1, 0, 0, 0); // the leak checker reads its own threads
    }
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication app(argc, argv);
    TestMainWin test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mainwin.moc"
