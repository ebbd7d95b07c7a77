// The panel's window, driven as an operator drives it. A row takes steps in
// the query engine's folder and in the window, which starts at the first step
// that needs it, and states what follows: the boxes shown, the data sources'
// debug words, the names listed, the plan files with their bytes and the
// library file's bytes.

#include "testsupport.h"

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace {

// A row under way: the query engine's folder and, once started, the window,
// with the boxes of the windows it replaced.
struct Run
{
    QString folder;
    std::unique_ptr<Panel> panel;
    QStringList boxes;
    Panel &started()
    {
        if (!panel)
            panel = std::make_unique<Panel>();
        return *panel;
    }
};

// One thing done; false when it cannot be done, so that a row never passes
// by skipping a step.
using Step = std::pair<QString, std::function<bool(Run &)>>; // what is done, and doing it
using Steps = QList<Step>;
using Files = QMap<QString, QByteArray>;

// Clicks the widget of that object name, or sets its property and sees the
// value taken (a click the window hears; a value set without one).
Step on(const char *name, const char *property = nullptr, const QVariant &value = {})
{
    return {QString("%1 %2 %3").arg(name, property, value.toString()), [=](Run &r) {
                QObject *w = r.started().window->findChild<QObject *>(name);
                return w
                    && (property ? w->setProperty(property, value) && w->property(property) == value
                                 : QMetaObject::invokeMethod(w, "click"));
            }};
}

// Selects the list row of that text.
Step pick(const QString &text)
{
    return {"pick " + text, [=](Run &r) {
                auto *list = r.started().window->findChild<QListView *>();
                const QModelIndexList rows = list->model()->match(
                    list->model()->index(0, 0), Qt::DisplayRole, text, 1, Qt::MatchExactly);
                list->setCurrentIndex(rows.value(0));
                return !rows.isEmpty();
            }};
}

// Lays the path in the query engine's folder anew: whatever was there goes,
// and make, if given, puts the new thing there.
Step lay(const QString &path, const std::function<bool(const QString &)> &make = {})
{
    return {"lay " + path, [=](Run &r) {
                const QString at = r.folder + path;
                return (QFile::remove(at) || QDir(at).removeRecursively()) && (!make || make(at));
            }};
}

Step file(const QString &path, const QByteArray &bytes)
{
    return lay(path, [=](const QString &at) { return writeBytes(at, bytes); });
}

// The window started, or started anew with the boxes of the old one kept;
// starting cannot fail, so both steps are taken when a window stands.
const Step start{"start", [](Run &r) { return &r.started(); }};
const Step restart{"restart", [](Run &r) {
                       r.boxes += r.started().boxes;
                       r.panel.reset();
                       return &r.started();
                   }};

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

// The start's plan, saved as the only plan file.
const Files kStartOnly{{kStart, kStartPlan}};

void row(const char *tag, const Steps &steps, const QStringList &boxes, const QStringList &words,
         const QStringList &listed, const Files &plans, const QByteArray &library)
{
    QTest::newRow(tag) << steps << boxes << words << listed << plans << library;
}

#ifdef Q_OS_UNIX
// A system call on the library's path, done when it returns 0.
Step call(const QString &what, const std::function<int(const QByteArray &library)> &system)
{
    return {what, [=](Run &r) { return system(QFile::encodeName(r.folder + kLibrary)) == 0; }};
}

// Every file written from now until the row ends stops at that size.
Step limit(rlim_t size)
{
    const rlimit limit{size, RLIM_INFINITY};
    return call("limit", [=](const QByteArray &) { return setrlimit(RLIMIT_FSIZE, &limit); });
}
#endif

} // namespace

class TestMainWin : public QObject
{
    Q_OBJECT

private slots:
    void window_data()
    {
        QTest::addColumn<Steps>("steps");
        QTest::addColumn<QStringList>("boxes"); // "title | text"
        QTest::addColumn<QStringList>("words"); // the data sources' debug words
        QTest::addColumn<QStringList>("listed");
        QTest::addColumn<Files>("plans");
        QTest::addColumn<QByteArray>("library");
        const Step save = on("pbt_save"), remove = on("pbt_remove");
        const auto type = [](const char *field, const QString &t) { return on(field, "text", t); };
        const auto name = [](const QString &t) { return on("lEditSaveFileName", "text", t); };
        const auto source = [](const char *t) { return on("dataSourceComBox", "currentText", t); };
        const auto mkdir = [](const QString &at) { return QDir().mkpath(at); };

        const QString exists = "File Exists | File already exists";
        row("ORCL without evolution, from the start or chosen again, saves the start's plan, and "
            "a second save of its name is refused",
            {source("Earthquake"), on("rbt_evo"), source("ORCL"), on("rbt_noEvo"), save, save},
            {exists}, {"earthquake ", "ORCL "}, {kStart}, kStartOnly, libraryWith({kStart}));
        const QString traffic = "Traffic_Evo_with_Sum.txt", quake = "Earthquake_no_Evo_no_Sum.txt";
        row("Traffic with evolution and summarization fills the sum template, and the last "
            "option clicked replaces a typed name with the suggested one",
            {source("Traffic"), on("rbt_evo"), name("x"), on("cbox_sum"), save}, {}, {"traffic "},
            {traffic}, {{traffic, "dim_3_sum\r\nRealTraffic 20 1 1000 100 0.02 10"}},
            libraryWith({traffic}));
        row("Earthquake fills only the first of a repeated placeholder with the typed parameters",
            {file("template/dim_4_no_sum.txt",
                  "??SourceName??SchemaId??outputmode??windowSize??windowSize??slideSize"
                  "??rangeThreshold??countThreshold"),
             source("Earthquake"), type("editWindowSize", "2"), type("editSlideSize", "1"),
             type("editRangeThres", "0"), type("editCountThres", "1"), save},
            {}, {"earthquake "}, {quake}, {{quake, "RealEarthquake2302??windowSize101"}},
            libraryWith({quake}));

        const QString param = "Parameter Setting Error | ";
        const QString plainOnly =
            QSysInfo::productType() == "windows" ? "Latin-1 characters!" : "ASCII characters!";
        row("refused names and parameters each show their own box, and Save writes nothing",
            // One attempt a line: its fields, then Save.
            // clang-format off
            {name(""), save,
             name("my plan"), save,
             name("p\U0001F600"), save,
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

        const QString missing = "File Missing | cannot locate installed file";
        const QString reading = "File Reading Error | ";
        const QString in = "plan template ../torvik_stream_query_engine/template/dim_3_no_sum.txt";
        row("templates that cannot be filled in each show their own box",
            {on("dataSourceComBox", "currentIndex", -1), save,
             on("dataSourceComBox", "currentIndex", 0), lay(kTemplate), save, lay(kTemplate, mkdir),
             save, file(kTemplate, "??SourceName ??SchemaId ??outputmode"), save,
             file(kTemplate,
                  "??SchemaI??SourceName??SchemaId??outputmode??windowSize??slideSize"
                  "??rangeThreshold??countThreshold"),
             save, file(kTemplate, QByteArray((16 << 20) + 1, '\0')), save},
            {missing + ".", missing + ".", missing + ":\r\nnot a regular file",
             reading + "The " + in + " lacks the placeholder ??windowSize.",
             reading + "In the " + in
                 + " a filled-in value joins the text beside it into another ??SchemaId, so the "
                   "template cannot be filled in safely.",
             reading + "The plan template is larger than 16 MiB and cannot be a plan template."},
            {"ORCL "}, {}, {}, libraryWith({}));

        // Each layout is refused at the start; the last window's Remove does
        // nothing and its Save writes nothing.
        const QString library = "File Open Error! | ";
        const QString lineEnds = library
            + "The lines of the library configuration file from NumberOfQueriesInLibrary on must "
              "end in a carriage return and a line feed; some end in a ";
        row("a library the panel cannot read is refused at the start with its reason",
            {file(kLibrary, "NumberOfQueries=1"), start,
             file(kLibrary, "NumberOfQueriesInLibrary\r\n=1"), restart,
             file(kLibrary, "NumberOfQueriesInLibrary=2\r\na\nb"), restart,
             file(kLibrary, "NumberOfQueriesInLibrary=2\ra\rb"), restart, lay(kLibrary), restart,
             remove, save},
            {library + "The library configuration file has no NumberOfQueriesInLibrary line.",
             library
                 + "The NumberOfQueriesInLibrary line of the library configuration file has no "
                   "\"=\".",
             lineEnds + "line feed alone.", lineEnds + "carriage return alone.",
             library + "No such file or directory",
             library
                 + "The library configuration file could not be read when the panel started, "
                   "so no plan can be registered. Fix the file and restart the panel."},
            {}, {}, {}, "");
        // A name it lists with blanks around it, and a name that would grow it
        // past the size the panel reads.
        const QByteArray full = QByteArray((16 << 20) - 27, '#') + "\nNumberOfQueriesInLibrary=0";
        row("Save refuses a plan that the library cannot take",
            {file(kLibrary, libraryWith({" " + kStart})), save, file(kLibrary, full), restart,
             save},
            {"File Exists | The library already lists a plan of this name.",
             "File Write Error! | The library configuration file would grow past 16 MiB, which "
             "the panel cannot read. Remove plans first."},
            {}, {}, {}, full);

        // The key is the first word of its line, and the lines before it stay
        // as they are. Names are written trimmed, and a line end that closes
        // the file adds none. "%" stands for the key.
        const auto key = [](const char *t) {
            return QByteArray(t).replace('%', "NumberOfQueriesInLibrary");
        };
        const QByteArray startName = kStart.toLatin1(),
                         kept = key("Max%=5\n# %=9\r\n# % is kept\n \t%  =");
        row("a hand-edited library keeps what comes before its count and gets its names trimmed",
            {file(kLibrary, kept + " x \r\n a b \r\n\r\ncaf\xe9\r\n" + key("%=5\r\n")), save}, {},
            {}, {" a b ", "", "caf\u00e9", "NumberOfQueriesInLibrary=5", kStart}, kStartOnly,
            kept + "5\r\na b\r\n\r\ncaf\xe9\r\n" + key("%=5\r\n") + startName);
        row("a count that ends the file holds no name", {file(kLibrary, key(" %=10")), save}, {},
            {}, {kStart}, kStartOnly, key(" %=1\r\n") + startName);
        row("a line end after the count adds no name", {file(kLibrary, key("%=0\r\n")), save}, {},
            {}, {kStart}, kStartOnly, key("%=1\r\n") + startName);

        // Removing, and the library changed behind the panel's back
        const Steps abc{file(kLibrary, libraryWith({"a", " b ", "c", " a "})),
                        file("queryplan/a", "a"), file("queryplan/b", "b"),
                        file("queryplan/c", "c")};
        const Files ac{{"a", "a"}, {"c", "c"}}, all{{"a", "a"}, {"b", "b"}, {"c", "c"}};
        row("Remove takes out the selected row and deletes its plan file by the trimmed name, "
            "unless another row names it",
            abc + Steps{remove, pick(" b "), remove, pick(" a "), remove}, {}, {}, {"a", "c"}, ac,
            libraryWith({"a", "c"}));
        // A folder where a plan file should be cannot be deleted as one; the
        // warning gives the system's reason after the path.
        const QString undeleted =
            "cannot delete the plan file ../torvik_stream_query_engine/queryplan/d - ";
        row("Remove deletes nothing outside the plan folder, and names in a warning a plan file it "
            "cannot delete",
            {file(kLibrary, "NumberOfQueriesInLibrary=3\r\n..\r\n../demo.qe_config\r\nd"),
             lay("queryplan/d", mkdir),
             pick("../demo.qe_config"),
             remove,
             pick(".."),
             remove,
             pick("d"),
             remove,
             {"see the warning",
              [=](Run &r) { return r.started().debug.join('\n').contains(undeleted); }}},
            {}, {}, {}, {{"d", ""}}, "NumberOfQueriesInLibrary=0");
        const QString changed = library
            + "The library configuration file was changed outside the panel after the panel read "
              "it, so the panel does not overwrite it. Restart the panel to see the change.";
        const QByteArray other = "NumberOfQueriesInLibrary=1\r\nx";
        row("a library changed since the start is overwritten by neither Remove nor Save",
            abc + Steps{pick("a"), file(kLibrary, other), remove, save}, {changed, changed}, {},
            {"a", " b ", "c", " a "}, all, other);
        row("a library gone behind the panel's back keeps the plan file at Remove",
            abc + Steps{pick("c"), lay(kLibrary), remove}, {}, {}, {"a", " b ", " a "}, all, "");

#ifdef Q_OS_UNIX
        // Unix only: these rows need the system's words, a file-size limit
        // and hard links.
        const QByteArray big = QByteArray(300, '#') + "\r\nNumberOfQueriesInLibrary=1\r\na";
        const QString tooLarge = "File Write Error! | File too large";
        row("a missing plan folder fails the plan's open with the system's reason",
            {lay("queryplan"), save}, {"File Open Failed | No such file or directory"}, {}, {}, {},
            libraryWith({}));
        row("writes cut short leave no partial plan, and the library as it was",
            {file(kLibrary, big), limit(10), save, limit(200), save},
            {"File write Failed | File too large", tooLarge}, {}, {"a"}, kStartOnly, big);
        // The link is the library's other name, and takes its place at the
        // end: the library's bytes are then the link's.
        row("a hard-linked library keeps its link, and a write in place cut short is the panel's "
            "own, which the next Save writes over",
            {file(kLibrary, big),
             call("link", [](const QByteArray &at) { return link(at, at + ".link"); }), limit(200),
             save, limit(RLIM_INFINITY), name("x"), save,
             call("the link in its place",
                  [](const QByteArray &at) { return rename(at + ".link", at); })},
            {tooLarge}, {}, {"a", kStart, "x"}, Files{{kStart, kStartPlan}, {"x", kStartPlan}},
            QByteArray(big).replace("=1", "=3") + "\r\n" + kStart.toLatin1() + "\r\nx");
#endif
    }

    void window()
    {
        QFETCH(Steps, steps);
        QFETCH(Files, plans);
        const TestWorkspace ws;
#ifdef Q_OS_UNIX
        const rlimit none{RLIM_INFINITY, RLIM_INFINITY}; // a row's file-size limit ends with it
        setrlimit(RLIMIT_FSIZE, &none);
#endif
        Run r{ws.path("torvik_stream_query_engine/"), {}, {}};
        for (const Step &step : steps)
            if (!step.second(r))
                QFAIL(qPrintable("cannot: " + step.first));
        QTEST(r.boxes + r.started().boxes, "boxes");
        QTEST(r.started().debug.filter(QRegularExpression("^[A-Za-z]+ $")), "words");
        const auto *listed =
            qobject_cast<QStringListModel *>(r.started().window->findChild<QListView *>()->model());
        QTEST(listed ? listed->stringList() : QStringList(), "listed");
        const QDir planFolder(r.folder + "queryplan", {}, QDir::Name,
                              QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System);
        QCOMPARE(planFolder.entryList(), plans.keys());
        for (auto plan = plans.cbegin(); plan != plans.cend(); ++plan)
            QCOMPARE(readBytes(planFolder.filePath(plan.key())), plan.value());
        QTEST(readBytes(r.folder + kLibrary), "library");
    }
};

int main(int argc, char **argv)
{
#ifdef Q_OS_UNIX
    std::signal(SIGXFSZ, SIG_IGN); // a file past its size limit fails its write instead
#endif
    QApplication app(argc, argv);
    TestMainWin test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mainwin.moc"
