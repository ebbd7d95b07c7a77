// The panel's window, driven as an operator drives it. A row lays files in
// the query engine's folder, starts the window, takes steps in it and states
// what follows: the boxes shown, the data sources' debug words, the names
// listed, the plan files with their bytes and the library file's bytes.

#include "testsupport.h"

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif
#ifdef Q_OS_LINUX
#include <sys/prctl.h>
#endif

namespace {

// One thing done to the window (none before it starts) or in the query
// engine's folder; false when it cannot be done, so that a row never passes
// by skipping a step.
struct Step
{
    QString what;
    std::function<bool(Panel *, const QString &folder)> run;
};
using Steps = QList<Step>;
using Files = QMap<QString, QByteArray>;

// Clicks the widget of that object name, or sets its property and sees the
// value taken (a click the window hears; a value set without one).
Step on(const char *name, const char *property = nullptr, const QVariant &value = {})
{
    return {QString("%1 %2 %3").arg(name, property, value.toString()),
            [=](Panel *p, const QString &) {
                QObject *w = p ? p->find(name) : nullptr;
                return w
                    && (property ? w->setProperty(property, value) && w->property(property) == value
                                 : QMetaObject::invokeMethod(w, "click"));
            }};
}

// Selects the list row of that text.
Step pick(const QString &text)
{
    return {"pick " + text, [=](Panel *p, const QString &) {
                auto *list = p ? p->find<QListView>() : nullptr;
                const auto *rows = list ? qobject_cast<QStringListModel *>(list->model()) : nullptr;
                const int row = rows ? int(rows->stringList().indexOf(text)) : -1;
                if (row >= 0)
                    list->setCurrentIndex(rows->index(row));
                return row >= 0;
            }};
}

// Lays the path in the query engine's folder anew: whatever was there goes,
// and make, if given, puts the new thing there.
Step lay(const QString &path, const std::function<bool(const QString &)> &make = {})
{
    return {"lay " + path, [=](Panel *, const QString &folder) {
                const QString at = folder + path;
                return (QFile::remove(at) || QDir(at).removeRecursively()) && (!make || make(at));
            }};
}

Step file(const QString &path, const QByteArray &bytes)
{
    return lay(path, [=](const QString &at) { return writeBytes(at, bytes); });
}

const QString kLibrary = "demo.qe_config";
const QString kTemplate = "template/dim_3_no_sum.txt";
const QString kStart = "ORCL_no_Evo_no_Sum.txt";
const QByteArray kStartPlan = "dim_3_no_sum\r\ndata/ORCL.txt 1 0 1000 100 0.02 10";

// The library file as the panel writes it after the test workspace's preamble.
QByteArray libraryWith(const QStringList &names)
{
    return "# library\r\nNumberOfQueriesInLibrary=" + QByteArray::number(names.size())
        + (QStringList{""} + names).join("\r\n").toLatin1();
}

// The plan files given, and the start's plan saved beside them.
Files andStart(Files plans)
{
    plans.insert(kStart, kStartPlan);
    return plans;
}

void row(const char *tag, const Steps &before, const Steps &steps, const QStringList &boxes,
         const QStringList &words, const QStringList &listed, const Files &plans,
         const QByteArray &library)
{
    QTest::newRow(tag) << before << steps << boxes << words << listed << plans << library;
}

// The one plan saved into the test workspace's empty library.
void saved(const char *tag, const Steps &steps, const QStringList &words, const QString &name,
           const QByteArray &bytes)
{
    row(tag, {}, steps, {}, words, {name}, {{name, bytes}}, libraryWith({name}));
}

#ifdef Q_OS_UNIX
// One box, and the library, the list and the plan folder as they were.
void refused(const char *tag, const Steps &before, const Steps &steps, const QString &box)
{
    row(tag, before, steps, {box}, {}, {}, {}, libraryWith({}));
}

// Every file written from now until the row ends stops at that size.
Step limit(rlim_t size)
{
    return {"limit", [=](Panel *, const QString &) {
                rlimit limit{};
                getrlimit(RLIMIT_FSIZE, &limit);
                limit.rlim_cur = size;
                return setrlimit(RLIMIT_FSIZE, &limit) == 0;
            }};
}

Step readOnly(const QString &path)
{
    return {"read-only " + path, [=](Panel *, const QString &folder) {
                return QFile::setPermissions(folder + path, QFile::ReadOwner | QFile::ExeOwner);
            }};
}
#endif

} // namespace

class TestMainWin : public QObject
{
    Q_OBJECT

private slots:
    void window_data()
    {
        QTest::addColumn<Steps>("before"); // laid before the window starts
        QTest::addColumn<Steps>("steps");
        QTest::addColumn<QStringList>("boxes"); // "title | text"
        QTest::addColumn<QStringList>("words"); // the data sources' debug words
        QTest::addColumn<QStringList>("listed");
        QTest::addColumn<Files>("plans");
        QTest::addColumn<QByteArray>("library");
        const Step save = on("pbt_save"), remove = on("pbt_remove");
        const auto type = [](const char *field, const QString &t) { return on(field, "text", t); };
        const auto name = [](const QString &t) { return on("lEditSaveFileName", "text", t); };
        const auto source = [](const QString &t) {
            return on("dataSourceComBox", "currentText", t);
        };
        const auto mkdir = [](const QString &at) { return QDir().mkpath(at); };

        saved("the start state saves the ORCL plan", {save}, {}, kStart, kStartPlan);
        saved("Traffic with evolution and summarization fills the sum template",
              {source("Traffic"), on("cbox_sum"), on("rbt_evo"), save}, {"traffic "},
              "Traffic_Evo_with_Sum.txt", "dim_3_sum\r\nRealTraffic 20 1 1000 100 0.02 10");
        saved("ORCL and No Evolution chosen again give the start's plan",
              {source("Earthquake"), on("rbt_evo"), source("ORCL"), on("rbt_noEvo"), save},
              {"earthquake ", "ORCL "}, kStart, kStartPlan);
        const QByteArray sumPlan = "dim_3_sum\r\ndata/ORCL.txt 1 0 1000 100 0.02 10";
        saved("a changed option replaces a typed name with the suggested one",
              {name("x"), on("cbox_sum"), save}, {}, "ORCL_no_Evo_with_Sum.txt", sumPlan);
        saved("summarization checked without a click chooses the template but not the name",
              {on("cbox_sum", "checked", true), save}, {}, kStart, sumPlan);
        const QString quake = "Earthquake_no_Evo_no_Sum.txt";
        row("Earthquake fills only the first of a repeated placeholder with the typed parameters",
            {file("template/dim_4_no_sum.txt",
                  "??SourceName??SchemaId??outputmode??windowSize??windowSize??slideSize"
                  "??rangeThreshold??countThreshold")},
            {source("Earthquake"), type("editWindowSize", "2"), type("editSlideSize", "1"),
             type("editRangeThres", "0"), type("editCountThres", "1"), save},
            {}, {"earthquake "}, {quake}, {{quake, "RealEarthquake2302??windowSize101"}},
            libraryWith({quake}));
        const QString exists = "File Exists | File already exists";
        row("a second save under the same name is refused as an existing file", {}, {save, save},
            {exists}, {}, {kStart}, andStart({}), libraryWith({kStart}));

        // Names and parameters refused, each with its own box; Save writes nothing
        const QString param = "Parameter Setting Error | ";
#ifdef Q_OS_WIN
        const Step notPlainName = name("a?b");
        const QString plainOnly = "Latin-1 characters!";
#else
        const Step notPlainName = name("caf\u00e9");
        const QString plainOnly = "ASCII characters!";
#endif
        row("refused names and parameters each show their own box", {},
            // One attempt a line: its fields, then Save.
            // clang-format off
            {name(""), save,
             name("my plan"), save,
             notPlainName, save,
             name(kStart), type("editWindowSize", "abc"), save,
             type("editWindowSize", "1000"), type("editSlideSize", "1000"), save,
             type("editSlideSize", "0"), save,
             type("editSlideSize", "100"), type("editRangeThres", "1.5"), save,
             type("editRangeThres", "0"), type("editCountThres", "1000"), save,
             type("editCountThres", "0"), save},
            // clang-format on
            {exists,
             "File Naming Error! | Please remove special characters !@#$%^&* and white spaces!",
             "File Naming Error! | Please use a plain file name: no / or \\ and only " + plainOnly,
             param + "Only numbers are allowed",
             param + "Slide size must be smaller than window size",
             param + "window and slide size must be positive numbers",
             param + "Range can only be numbers between [0,1]",
             param + "Count must be smaller than window size",
             param + "Count must be a positive number"},
            {}, {}, {}, libraryWith({}));

        // Templates that cannot be filled in, each with its own box
        const QString missing = "File Missing | cannot locate installed file";
        const QString reading = "File Reading Error | ";
        const QString in = "plan template ../torvik_stream_query_engine/template/dim_3_no_sum.txt";
        row("templates that cannot be filled in each show their own box", {},
            {on("dataSourceComBox", "currentIndex", -1), save,
             on("dataSourceComBox", "currentIndex", 0), lay(kTemplate), save, lay(kTemplate, mkdir),
             save, file(kTemplate, "??SourceName ??SchemaId ??outputmode"), save,
             file(kTemplate,
                  "??SchemaI??SourceName??SchemaId??outputmode??windowSize??slideSize"
                  "??rangeThreshold??countThreshold"),
             save, file(kTemplate, QByteArray(16 << 20, '\0')), save,
             file(kTemplate, QByteArray((16 << 20) + 1, '\0')), save},
            {missing + ".", missing + ".", missing + ":\r\nnot a regular file",
             reading + "The " + in + " lacks the placeholder ??windowSize.",
             reading + "In the " + in
                 + " a filled-in value joins the text beside it into another ??SchemaId, so the "
                   "template cannot be filled in safely.",
             // 16 MiB is read; a byte more is not
             reading + "The " + in + " lacks the placeholder ??SourceName.",
             reading + "The plan template is larger than 16 MiB and cannot be a plan template."},
            {"ORCL "}, {}, {}, libraryWith({}));

        // Libraries refused at start: Remove does nothing, Save writes nothing
        const QString library = "File Open Error! | ";
        row("a missing library is reported and no plan is saved", {lay(kLibrary)}, {remove, save},
            {library + "No such file or directory",
             library
                 + "The library configuration file could not be read when the panel started, "
                   "so no plan can be registered. Fix the file and restart the panel."},
            {}, {}, {}, "");
        const auto layout = [&](const char *tag, const QByteArray &bytes, const QString &why) {
            row(tag, {file(kLibrary, bytes)}, {}, {library + why}, {}, {}, {}, bytes);
        };
        layout("a library without the count's key is refused", "NumberOfQueries=1",
               "The library configuration file has no NumberOfQueriesInLibrary line.");
        layout("a library without = on the key's line is refused", "NumberOfQueriesInLibrary\r\n=1",
               "The NumberOfQueriesInLibrary line of the library configuration file has no \"=\".");
        const QString lineEnds = "The lines of the library configuration file from "
                                 "NumberOfQueriesInLibrary on must end in a carriage return and a "
                                 "line feed; some end in a ";
        layout("a library with a line feed alone is refused", "NumberOfQueriesInLibrary=2\r\na\nb",
               lineEnds + "line feed alone.");
        layout("a library with a carriage return alone is refused",
               "NumberOfQueriesInLibrary=2\ra\rb", lineEnds + "carriage return alone.");
        const QByteArray full = QByteArray((16 << 20) - 27, '#') + "\nNumberOfQueriesInLibrary=0";
        row("a Save that would grow a library of 16 MiB past it is refused", {file(kLibrary, full)},
            {save},
            {"File Write Error! | The library configuration file would grow past 16 MiB, which "
             "the panel cannot read. Remove plans first."},
            {}, {}, {}, full);

        // Removing, and the library changed behind the panel's back
        const Steps abc{file(kLibrary, libraryWith({"a", " b ", "c"})), file("queryplan/a", "a"),
                        file("queryplan/b", "b"), file("queryplan/c", "c")};
        const Files ac{{"a", "a"}, {"c", "c"}}, all{{"a", "a"}, {"b", "b"}, {"c", "c"}};
        row("Remove takes the selected row out and deletes its plan file by the trimmed name", abc,
            {pick(" b "), remove}, {}, {}, {"a", "c"}, ac, libraryWith({"a", "c"}));
        row("Remove without a selection changes nothing", abc, {remove}, {}, {}, {"a", " b ", "c"},
            all, libraryWith({"a", " b ", "c"}));
        row("Remove deletes nothing for a name that names no plan file",
            {file(kLibrary, "NumberOfQueriesInLibrary=2\r\n..\r\n../demo.qe_config")},
            {pick("../demo.qe_config"), remove, pick(".."), remove}, {}, {}, {}, {},
            "NumberOfQueriesInLibrary=0");
        const QByteArray edited = "# one\r\n#=\r\nNumberOfQueriesInLibrary =";
        row("a hand-edited library keeps its preamble and gets its names trimmed and counted",
            {file(kLibrary, edited + " x \r\n a ")}, {save}, {}, {}, {" a ", kStart}, andStart({}),
            edited + "2\r\na\r\n" + kStart.toLatin1());
        const QString changed = library
            + "The library configuration file was changed outside the panel after the "
              "panel read it, so the panel does not overwrite it. Restart the panel to "
              "see the change.";
        const QByteArray other = "NumberOfQueriesInLibrary=1\r\nx";
        row("a library changed since the start is not overwritten at Save, nor a plan written", {},
            {file(kLibrary, other), save}, {changed}, {}, {}, {}, other);
        row("a library changed since the start is not overwritten at Remove, nor a plan deleted",
            abc, {pick("a"), file(kLibrary, other), remove}, {changed}, {}, {"a", " b ", "c"}, all,
            other);
        row("Save refuses a name the library lists with blanks around it",
            {file(kLibrary, libraryWith({" " + kStart}))}, {save},
            {"File Exists | The library already lists a plan of this name."}, {}, {" " + kStart},
            {}, libraryWith({" " + kStart}));
        row("Remove keeps the plan file that another row names",
            {file(kLibrary, libraryWith({"a", " a "})), file("queryplan/a", "a")},
            {pick("a"), remove}, {}, {}, {" a "}, {{"a", "a"}}, libraryWith({"a"}));
        row("a library gone behind the panel's back keeps the plan file at Remove", abc,
            {pick("a"), lay(kLibrary), remove}, {}, {}, {" b ", "c"}, all, "");
        row("a library replaced by a folder gets the plan saved and the reason it is not listed",
            {}, {lay(kLibrary, mkdir), save},
            {library + "The library configuration file is not a regular file."}, {}, {},
            andStart({}), "");

#ifdef Q_OS_UNIX
        // Linux only: these rows need the system's error texts, /proc, file
        // permissions, hard links or a file-size limit.
        refused(
            "a template that cannot be read gives the system's reason",
            {lay(kTemplate, [](const QString &at) { return QFile::link("/proc/self/mem", at); })},
            {save}, reading + "Input/output error");
        refused("a missing plan folder fails the plan's open with the system's reason",
                {lay("queryplan")}, {save}, "File Open Failed | No such file or directory");
        refused("a plan write cut short leaves no plan file", {}, {limit(10), save},
                "File write Failed | File too large");
        const Files planA{{ "a", "a" }};
        const QByteArray big = QByteArray(300, '#') + "\r\nNumberOfQueriesInLibrary=1\r\na";
        const QString tooLarge = "File Write Error! | File too large";
        row("a library write cut short leaves the library as it was",
            {file(kLibrary, big), file("queryplan/a", "a")}, {limit(200), save}, {tooLarge}, {},
            {"a"}, andStart(planA), big);
        row("in a read-only engine folder the library is written in place",
            abc + Steps{readOnly("")}, {pick(" b "), remove, save}, {}, {}, {"a", "c", kStart},
            andStart(ac), libraryWith({"a", "c", kStart}));
        const QString undeleted = "cannot delete the plan file "
                                  "../torvik_stream_query_engine/queryplan/a - Permission denied";
        const Step warned{"see the warning",
                          [=](Panel *p, const QString &) { return p->debug.contains(undeleted); }};
        row("a plan file Remove cannot delete is named in a warning with the reason",
            abc + Steps{readOnly("queryplan")}, {pick("a"), remove, warned}, {}, {}, {" b ", "c"},
            all, libraryWith({"b", "c"}));
        const auto hardLink = [](const QString &at) {
            return link(QFile::encodeName(QFileInfo(at).path() + "/demo.qe_config"),
                        QFile::encodeName(at))
                == 0;
        };
        const Step linkFollows{"see the link", [](Panel *, const QString &folder) {
                                   return readBytes(folder + "link")
                                       == readBytes(folder + kLibrary);
                               }};
        row("a hard-linked library keeps its link", {lay("link", hardLink)}, {save, linkFollows},
            {}, {}, {kStart}, andStart({}), libraryWith({kStart}));
        row("a write in place cut short is the panel's own, which the next Save writes over",
            {file(kLibrary, big), lay("link", hardLink)},
            {limit(200), save, limit(RLIM_INFINITY), name("x"), save}, {tooLarge}, {},
            {"a", kStart, "x"},
            andStart(
                {{ "x",
                   kStartPlan }}),
            QByteArray(big).replace("=1", "=3") + "\r\n" + kStart.toLatin1() + "\r\nx");
        // Sets the library's mode, or sees that it has it.
        const auto mode = [](mode_t bits, bool set) {
            return Step{"mode", [=](Panel *, const QString &folder) {
                            const QByteArray path = QFile::encodeName(folder + kLibrary);
                            struct stat file;
                            return set ? chmod(path, bits) == 0
                                       : stat(path, &file) == 0 && (file.st_mode & 07777) == bits;
                        }};
        };
        row("a library keeps its set-group-id bit", {mode(02640, true)}, {save, mode(02640, false)},
            {}, {}, {kStart}, andStart({}), libraryWith({kStart}));
#endif
    }

    void window()
    {
        QFETCH(Steps, before);
        QFETCH(Steps, steps);
        QFETCH(Files, plans);
        const TestWorkspace ws;
        const QString folder = ws.path("torvik_stream_query_engine/");
        for (const Step &step : before)
            if (!step.run(nullptr, folder))
                QFAIL(qPrintable("before the start, cannot: " + step.what));
#ifdef Q_OS_UNIX
        rlimit unlimited{}; // a row's file-size limit lasts until it ends
        getrlimit(RLIMIT_FSIZE, &unlimited);
        const auto restore = qScopeGuard([&] { setrlimit(RLIMIT_FSIZE, &unlimited); });
#endif
        Panel p;
        for (const Step &step : steps)
            if (!step.run(&p, folder))
                QFAIL(qPrintable("cannot: " + step.what));
        QTEST(p.boxes, "boxes");
        QTEST(p.debug.filter(QRegularExpression("^[A-Za-z]+ $")), "words");
        const auto *listed = qobject_cast<QStringListModel *>(p.find<QListView>()->model());
        QTEST(listed ? listed->stringList() : QStringList(), "listed");
        const QDir planFolder(folder + "queryplan");
        QCOMPARE(planFolder.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System,
                                      QDir::Name),
                 plans.keys());
        for (auto plan = plans.cbegin(); plan != plans.cend(); ++plan)
            QCOMPARE(readBytes(planFolder.filePath(plan.key())), plan.value());
        QTEST(readBytes(folder + kLibrary), "library");
    }
};

int main(int argc, char **argv)
{
#ifdef Q_OS_UNIX
    // Root writes every file, so the tests run as an ordinary user; a file
    // that grows past its limit fails its write instead of ending the test.
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
        return 2;
    std::signal(SIGXFSZ, SIG_IGN);
#endif
#ifdef Q_OS_LINUX
    prctl(PR_SET_DUMPABLE, 1, 0, 0, 0); // the leak checker reads its own threads
#endif
    QApplication app(argc, argv);
    TestMainWin test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mainwin.moc"
