// The panel's window, driven as an operator drives it. A row is a workspace,
// the steps taken in the window, the boxes they show and what lies on disk
// afterwards.

#include "testsupport.h"

#include <csignal>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

const QString kQuery = "torvik_stream_query_engine/";
const QByteArray kEmpty = "# library\r\nNumberOfQueriesInLibrary=0";
const QString kStart = "ORCL_no_Evo_no_Sum.txt";
const QByteArray kStartPlan = "dim_3_no_sum\r\ndata/ORCL.txt 1 0 1000 100 0.02 10";

// Lays a file in the query engine's folder: the bytes, or <rm>, <dir>,
// <size N>, <link TARGET> or <mode HEX> in QFile's permission flags (4000
// read, 5000 read and enter).
void lay(const QString &path, const QString &bytes)
{
    QString arg = bytes.section(' ', 1); // what follows the word, less the ">"
    arg.chop(1);
    if (bytes.startsWith("<mode"))
        QFile::setPermissions(path, QFile::Permissions(arg.toInt(nullptr, 16)));
    else if (!QFile::remove(path))
        QDir(path).removeRecursively();
    if (bytes == "<dir>")
        QDir().mkpath(path);
    else if (bytes.startsWith("<link"))
        QFile::link(arg, path);
    else if (!bytes.startsWith('<') || bytes.startsWith("<size"))
        writeBytes(path, bytes.startsWith('<') ? QByteArray() : bytes.toLatin1());
    if (bytes.startsWith("<size"))
        QFile::resize(path, arg.toLongLong());
}

// Steps: "@path=bytes" lays a file (see lay()), before the window starts if
// it comes first. "sum", "evo", "noevo", "save" and "remove" click; "w=",
// "s=", "r=", "c=" and "name=" fill a field (percent-encoded); "src=N" chooses
// a data source (-1: none) and "quietsum" checks summarization without a
// click; "sel=N" selects a row; "limit=N" caps the size of every file written
// afterwards.
void run(const Panel *p, const TestWorkspace &ws, const QStringList &steps)
{
    const std::map<QString, const char *> widgets{
        {"w", "editWindowSize"},  {"s", "editSlideSize"},        {"r", "editRangeThres"},
        {"c", "editCountThres"},  {"name", "lEditSaveFileName"}, {"save", "pbt_save"},
        {"remove", "pbt_remove"}, {"sum", "cbox_sum"},           {"evo", "rbt_evo"},
        {"noevo", "rbt_noEvo"},   {"quietsum", "cbox_sum"}};
    rlimit unlimited{};
    getrlimit(RLIMIT_FSIZE, &unlimited);
    for (const QString &step : steps) {
        const QString key = step.section('=', 0, 0);
        const QString value = QUrl::fromPercentEncoding(step.section('=', 1).toUtf8());
        QObject *widget = p && widgets.count(key) ? p->find(widgets.at(key)) : nullptr;
        const rlimit lowered{value.toULong(), unlimited.rlim_max};
        if (step.startsWith('@'))
            lay(ws.path(kQuery + key.mid(1)), value);
        else if (auto *field = qobject_cast<QLineEdit *>(widget))
            field->setText(value);
        else if (auto *button = qobject_cast<QAbstractButton *>(widget))
            key == "quietsum" ? button->setChecked(true) : button->click();
        else if (key == "src")
            p->find<QComboBox>()->setCurrentIndex(value.toInt());
        else if (key == "sel")
            p->find<QListView>()->setCurrentIndex(
                p->find<QListView>()->model()->index(value.toInt(), 0));
        else if (key == "limit")
            setrlimit(RLIMIT_FSIZE, &lowered);
    }
    setrlimit(RLIMIT_FSIZE, &unlimited);
}

// The data sources' words in the debug output, the list, the plan files with
// their bytes, and the library.
QString state(const Panel &p, const TestWorkspace &ws)
{
    const auto *listed = qobject_cast<QStringListModel *>(p.find<QListView>()->model());
    QStringList plans;
    const QDir folder(ws.path(kQuery + "queryplan"));
    for (const QString &name :
         folder.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System, QDir::Name))
        plans << name + "=" + readBytes(folder.filePath(name));
    return p.debug.filter(QRegularExpression("^[A-Za-z]+ $")).join('|')
        + (listed ? listed->stringList().join('|') : QString()) + " / " + plans.join(' ') + " / "
        + readBytes(ws.path(kQuery + "demo.qe_config"));
}

} // namespace

class TestMainWin : public QObject
{
    Q_OBJECT

private slots:
    void window_data()
    {
        QTest::addColumn<QByteArray>("library");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<QString>("state"); // see state()
        const auto row = [](const char *tag, const QByteArray &library, const QString &steps,
                            const QStringList &boxes, const QString &state) {
            QTest::newRow(tag) << library << steps << boxes << state;
        };
        // The suggested name follows every choice and replaces a typed one.
        // Only the first of each placeholder is filled.
        row("saved", kEmpty,
            "@template/dim_4_no_sum.txt=??SourceName??SchemaId??outputmode??windowSize??windowSize"
            "??slideSize??rangeThreshold??countThreshold save src=1 sum evo save src=2 name=x sum "
            "w=2 s=1 r=0 c=1 save src=0 quietsum save src=1 noevo save",
            {},
            "traffic |earthquake |ORCL |traffic " + kStart
                + "|Traffic_Evo_with_Sum.txt|Earthquake_Evo_no_Sum.txt|ORCL_Evo_no_Sum.txt"
                  "|Traffic_no_Evo_no_Sum.txt / Earthquake_Evo_no_Sum.txt=RealEarthquake2312"
                  "??windowSize101 ORCL_Evo_no_Sum.txt=dim_3_sum\r\ndata/ORCL.txt 1 1 2 1 0 1 "
                + kStart + "=" + kStartPlan
                + " Traffic_Evo_with_Sum.txt=dim_3_sum\r\nRealTraffic 20 1 1000 100 0.02 10"
                  " Traffic_no_Evo_no_Sum.txt=dim_3_sum\r\nRealTraffic 20 0 2 1 0 1 / # library"
                  "\r\nNumberOfQueriesInLibrary=5\r\n"
                + kStart
                + "\r\nTraffic_Evo_with_Sum.txt\r\nEarthquake_Evo_no_Sum.txt\r\n"
                  "ORCL_Evo_no_Sum.txt\r\nTraffic_no_Evo_no_Sum.txt");
        const QString nothing = " /  / " + kEmpty;
        const QString exists = "File Exists | File already exists";
        const QString reading = "File Reading Error | ";
        const QString missing = "File Missing | cannot locate installed file";
        const QString inT = "plan template ../torvik_stream_query_engine/template/dim_3_no_sum.txt";
        row("names and numbers", kEmpty,
            "name=my%20plan save name=caf%C3%A9 save name= save w=abc save src=2 src=-1 save",
            {"File Naming Error! | Please remove special characters !@#$%^&* and white spaces!",
             "File Naming Error! | Please use a plain file name: no / or \\ and only ASCII "
             "characters!",
             exists, "Parameter Setting Error | Only numbers are allowed", missing + "."},
            "earthquake " + nothing);
        row("templates", kEmpty,
            QString("@T=<rm> save @T=<dir> save "
                    "@T=<link%20/proc/self/mem> save @T=??SourceName??SchemaId??outputmode save "
                    "@T=??SchemaI??SourceName??SchemaId??outputmode??windowSize??slideSize"
                    "??rangeThreshold??countThreshold save @T=<size%2016777216> save "
                    "@T=<size%2016777217> save")
                .replace("@T", "@template/dim_3_no_sum.txt"),
            {missing + ".", missing + ":\r\nnot a regular file", reading + "Input/output error",
             reading + "The " + inT + " lacks the placeholder ??windowSize.",
             reading + "In the " + inT
                 + " a filled-in value joins the text beside it into another "
                   "??SchemaId, so the template cannot be filled in safely.",
             reading + "The " + inT + " lacks the placeholder ??SourceName.",
             reading + "The plan template is larger than 16 MiB and cannot be a plan template."},
            nothing);
        row("plan file", kEmpty, "@queryplan=<rm> save @queryplan=<dir> limit=10 save",
            {"File Open Failed | No such file or directory", "File write Failed | File too large"},
            nothing);

        // The library refused at start: Remove does nothing, Save writes nothing
        const QString notLoaded = "File Open Error! | The library configuration file could not be "
                                  "read when the panel started, so no plan can be registered. Fix "
                                  "the file and restart the panel.";
        row("library missing", kEmpty, "@demo.qe_config=<rm> remove save",
            {"File Open Error! | No such file or directory", notLoaded}, " /  / ");
        const QString noKey =
            "The library configuration file has no NumberOfQueriesInLibrary line.";
        row("no key", "NumberOfQueries=1", "remove save",
            {"File Open Error! | " + noKey, notLoaded}, " /  / NumberOfQueries=1");
        const QString abc = "@queryplan/a=a @queryplan/b=b @queryplan/c=c ";
        const QByteArray abcLibrary = "# library\r\nNumberOfQueriesInLibrary=3\r\na\r\n b \r\nc";
        const QString start = kStart + "=" + kStartPlan;
        row("in a read-only engine folder", abcLibrary,
            abc + "@=<mode%205000> remove sel=1 remove save save sel=0 remove @=<mode%207000>",
            {exists},
            "c|" + kStart + " / " + start
                + " c=c / # library\r\nNumberOfQueriesInLibrary=2\r\nc\r\n" + kStart);
        const QByteArray pre = "# one\r\n#=\r\nNumberOfQueriesInLibrary =";
        row("hand-edited", pre + " x \r\n a \r\na\r\n../demo.qe_config\r\n..",
            abc + "sel=1 remove sel=2 remove sel=1 remove save", {},
            " a |" + kStart + " / " + start + " b=b c=c / " + pre + "2\r\na\r\n" + kStart);
        const QByteArray big = QByteArray(300, '#') + "\r\nNumberOfQueriesInLibrary=1\r\na";
        row("library write cut short", big, "@queryplan/a=a limit=200 save",
            {"File Write Error! | File too large"}, "a / " + start + " a=a / " + big);
        // The library gone or replaced behind the panel's back: Remove keeps the
        // plan file without a word, Save writes the plan and says why it is not
        // listed.
        row("library replaced", abcLibrary,
            abc + "sel=0 @demo.qe_config=<rm> remove @demo.qe_config=<dir> save",
            {"File Open Error! | The library configuration file is not a regular file."},
            " b |c / " + start + " a=a b=b c=c / ");
    }

    void window()
    {
        QFETCH(QByteArray, library);
        QFETCH(QString, steps);
        TestWorkspace ws(library);
        const QStringList all = steps.split(' ', Qt::SkipEmptyParts);
        const int first = all.indexOf(QRegularExpression("[^@].*"));
        run(nullptr, ws, all.mid(0, first));
        Panel p;
        run(&p, ws, all.mid(first));
        QTEST(p.boxes, "boxes");
        QTEST(state(p, ws), "state");
    }
};

// Root writes every file, so the tests run as an ordinary user.
int main(int argc, char **argv)
{
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
        return 2;
    prctl(PR_SET_DUMPABLE, 1, 0, 0, 0); // the leak checker reads its own threads
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication app(argc, argv);
    TestMainWin test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mainwin.moc"
