// The panel's window, driven as an operator drives it. The tables give one
// action a row: the files laid in the query engine's folder before the
// window starts, the fields set, then one Save, one Remove or the start
// itself, and what follows: the boxes shown, the names listed, the plan files
// and the library file's bytes. Scenarios that need several actions, or a
// change while the window runs, are test functions of their own that check
// the state after each action.

#include "testsupport.h"
#include "workspace/files.h"

#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>
#endif

namespace {

// A path in the query engine's folder, laid anew before the window starts.
struct Lay
{
    enum Kind { File, Gone, Locked }; // Locked: another program holds its lock (Linux)
    QString path;
    QByteArray bytes;
    Kind kind = File;
    static Lay gone(const QString &path) { return {path, {}, Gone}; }
};
using Setup = QList<Lay>;
const auto gone = Lay::gone;

// A widget by object name, the property set and its value; no property
// clicks it.
struct Field
{
    const char *name;
    const char *property = nullptr;
    QVariant value = {};
    static Field text(const char *name, const QString &text) { return {name, "text", text}; }
    static Field source(const QString &item) { return {"dataSourceComBox", "currentText", item}; }
};
using Fields = QList<Field>;
const auto text = Field::text;
const auto source = Field::source;

using Plans = QMap<QString, QByteArray>;

const QString kLibrary = "demo.qe_config";
const QString kTemplate = "template/dim_3_no_sum.txt";
const QString kStart = "ORCL_no_Evo_no_Sum.txt";
const Plans kStartOnly{{kStart, "dim_3_no_sum\r\ndata/ORCL.txt 1 0 1000 100 0.02 10"}};
const QString kChanged = "File Open Error! | The library configuration file was changed outside "
                         "the panel after the panel read it, so the panel does not overwrite it. "
                         "Restart the panel to see the change.";
const QString kTooLarge = "File Write Error! | File too large";
// What the test workspace's templates hold after their name.
const QByteArray kPlaceholders = "??SourceName ??SchemaId ??outputmode ??windowSize ??slideSize "
                                 "??rangeThreshold ??countThreshold";

// The library file as the panel writes it after the test workspace's preamble.
QByteArray libraryWith(const QStringList &names)
{
    return "# library\r\nNumberOfQueriesInLibrary=" + QByteArray::number(names.size())
        + (QStringList{""} + names).join("\r\n").toLatin1();
}

// "%" stands for the key.
QByteArray key(const char *text)
{
    return QByteArray(text).replace('%', "NumberOfQueriesInLibrary");
}

bool layIn(const QString &engineFolder, const Lay &lay)
{
    const QString at = engineFolder + lay.path;
    if (lay.kind == Lay::Locked) // for two seconds, from when flock has taken it
        return QProcess::execute("sh", {"-c", "flock \"$0\" sleep 2 & sleep 0.3", at}) == 0;
    QFile::remove(at) || QDir(at).removeRecursively();
    return lay.kind == Lay::Gone || writeBytes(at, lay.bytes);
}

// Every file written from now on stops at that size (Linux); 0 lifts it.
bool limitFileSize([[maybe_unused]] int bytes)
{
#ifdef Q_OS_LINUX
    const rlimit size{bytes ? rlim_t(bytes) : RLIM_INFINITY, RLIM_INFINITY};
    return setrlimit(RLIMIT_FSIZE, &size) == 0;
#else
    return true;
#endif
}

// The window over a workspace laid out as the row says.
struct Run
{
    bool lay(const Setup &setup) const
    {
        return std::all_of(setup.cbegin(), setup.cend(),
                           [&](const Lay &l) { return layIn(folder, l); });
    }
    // False when a path cannot be laid; the window has not started then.
    bool start(const Setup &setup = {})
    {
        panel = lay(setup) ? std::make_unique<Panel>() : nullptr;
        return bool(panel);
    }
    // The row's behind and limit, right before its action.
    bool meanwhile()
    {
        QFETCH(Setup, behind);
        QFETCH(int, limit);
        return lay(behind) && limitFileSize(limit);
    }
    bool set(const Field &field) const
    {
        QObject *w = panel->window->findChild<QObject *>(field.name);
        return w
            && (field.property ? w->setProperty(field.property, field.value)
                        && w->property(field.property) == field.value
                               : QMetaObject::invokeMethod(w, "click"));
    }
    void click(const char *name) const { set({name}); }
    QListView *list() const { return panel->window->findChild<QListView *>(); }
    bool pick(const QString &row) const
    {
        const QModelIndexList rows = list()->model()->match(
            list()->model()->index(0, 0), Qt::DisplayRole, row, 1, Qt::MatchExactly);
        list()->setCurrentIndex(rows.value(0));
        return !rows.isEmpty();
    }
    QStringList listed() const
    {
        const auto *model = qobject_cast<QStringListModel *>(list()->model());
        return model ? model->stringList() : QStringList();
    }
    QByteArray library() const { return readBytes(folder + kLibrary); }
    Plans plans() const
    {
        Plans plans;
        for (const QString &name : QDir(folder + "queryplan").entryList(QDir::Files))
            plans[name] = readBytes(folder + "queryplan/" + name);
        return plans;
    }

    ~Run() { limitFileSize(0); } // a row's limit ends with it

    const TestWorkspace ws;
    const QString folder = ws.path("torvik_stream_query_engine/");
    std::unique_ptr<Panel> panel;
};

// Rows of the actions' table: a Save, or with pick a Remove of that row.
// Behind is laid while the window runs, just before the action, and limit
// (Linux) caps the size of every file written then.
void saved(const char *tag, const Setup &setup, const Fields &fields, const QString &logged,
           const QStringList &listed, const Plans &plans, const QByteArray &library,
           const QStringList &boxes = {}, int limit = 0)
{
    QTest::newRow(tag) << setup << Setup() << limit << fields << QString() << logged << boxes
                       << listed << plans << library;
}

// A refused Save leaves the plan files and the library as they were laid.
void refused(const char *tag, const Setup &setup, const Fields &fields, const QStringList &boxes,
             const QStringList &listed = {}, const Setup &behind = {}, int limit = 0)
{
    Plans plans;
    QByteArray library = libraryWith({});
    for (const Lay &lay : setup + behind) {
        if (lay.path == kLibrary && lay.kind != Lay::Locked)
            library = lay.bytes;
        else if (lay.path.startsWith("queryplan/"))
            plans[lay.path.mid(10)] = lay.bytes;
    }
    QTest::newRow(tag) << setup << behind << limit << fields << QString() << QString() << boxes
                       << listed << plans << library;
}

void removed(const char *tag, const Setup &setup, const QString &pick, const QString &warning,
             const QStringList &listed, const Plans &plans, const QByteArray &library,
             const QStringList &boxes = {}, const Setup &behind = {}, int limit = 0)
{
    QTest::newRow(tag) << setup << behind << limit << Fields() << pick << warning << boxes << listed
                       << plans << library;
}

#ifdef Q_OS_LINUX
// The file's inode, links, mode, access control list and attributes.
QByteArray state(const QString &path)
{
    QProcess tools;
    tools.start("sh",
                {"-c", "stat -c '%i %h %a' \"$0\"; getfacl -cp \"$0\"; getfattr -d \"$0\"", path});
    return tools.waitForFinished() ? tools.readAllStandardOutput() : QByteArray();
}

#endif

// A panel of its own that saves 50 plans named after prefix, started through
// the shell command given, if any.
void startSaving(QProcess &panel, const Run &r, const QString &prefix, const QString &command = {})
{
    const QStringList save{QCoreApplication::applicationFilePath(), "--save", prefix};
    panel.setWorkingDirectory(r.ws.path("panel"));
    const QStringList run =
        command.isEmpty() ? save : QStringList{"sh", "-c", command + " \"$@\"", "sh"} + save;
    panel.start(run[0], run.mid(1));
}

} // namespace

class TestMainWin : public QObject
{
    Q_OBJECT

private slots:
    void actions_data()
    {
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<Setup>("behind");
        QTest::addColumn<int>("limit");
        QTest::addColumn<Fields>("fields");
        QTest::addColumn<QString>("pick");
        QTest::addColumn<QString>("logged");    // debug lines, in a row
        QTest::addColumn<QStringList>("boxes"); // "title | text"
        QTest::addColumn<QStringList>("listed");
        QTest::addColumn<Plans>("plans");
        QTest::addColumn<QByteArray>("library");
        const QString traffic = "Traffic_Evo_with_Sum.txt", quake = "Earthquake_no_Evo_no_Sum.txt";
        saved("Traffic, chosen after the others, with evolution and summarization fills the sum "
              "template, and the last option clicked replaces a typed name with the suggested one",
              {},
              {source("Earthquake"),
               source("ORCL"),
               source("Traffic"),
               {"rbt_evo"},
               text("lEditSaveFileName", "x"),
               {"cbox_sum"}},
              "earthquake \nORCL \ntraffic \n", {traffic},
              {{traffic, "dim_3_sum\r\nRealTraffic 20 1 1000 100 0.02 10"}},
              libraryWith({traffic}));
        saved("Earthquake fills only the first of a repeated placeholder with the typed parameters",
              {{"template/dim_4_no_sum.txt",
                "??SourceName??SchemaId??outputmode??windowSize??windowSize??slideSize"
                "??rangeThreshold??countThreshold"}},
              {source("Earthquake"), text("editWindowSize", "2"), text("editSlideSize", "1"),
               text("editRangeThres", "0"), text("editCountThres", "1")},
              "earthquake \n", {quake}, {{quake, "RealEarthquake2302??windowSize101"}},
              libraryWith({quake}));

        // The key is the first word of its line, and the lines before it stay
        // as they are. Names are written trimmed, and a line end that closes
        // the file adds none.
        const QByteArray start = kStart.toLatin1(),
                         kept = key("Max%=5\n# %=9\r\n# % is kept\n \t%  =");
        saved("a hand-edited library keeps what comes before its count and gets its names trimmed",
              {{kLibrary, kept + " x \r\n a b \r\n\r\ncaf\xe9\r\n" + key("%=5\r\n")}}, {}, {},
              {" a b ", "", "caf\u00e9", "NumberOfQueriesInLibrary=5", kStart}, kStartOnly,
              kept + "5\r\na b\r\n\r\ncaf\xe9\r\n" + key("%=5\r\n") + start);
        saved("an operator's note after the count's digits is kept",
              {{kLibrary, key("\t% = 20   ; two plans, do not edit\r\na\r\nb")}}, {}, {},
              {"a", "b", kStart}, kStartOnly,
              key("\t% = 3   ; two plans, do not edit\r\na\r\nb\r\n") + start);

        const QString exists = "File Exists | File already exists";
        const QString naming = "File Naming Error! | Please ";
        const QString plainOnly =
            QSysInfo::productType() == "windows" ? "Latin-1 characters!" : "ASCII characters!";
        refused("a plan file of the name is never written over", {{"queryplan/" + kStart, "old"}},
                {}, {exists});
        refused("a name with a blank", {}, {text("lEditSaveFileName", "my plan")},
                {naming + "remove special characters !@#$%^&* and white spaces!"});
        refused("a name beyond Latin-1", {}, {text("lEditSaveFileName", "p\U0001F600")},
                {naming + "use a plain file name: no / or \\ and only " + plainOnly});
        const QString param = "Parameter Setting Error | ";
        refused("a window size that is no number", {}, {text("editWindowSize", "abc")},
                {param + "Only numbers are allowed"});
        refused("a slide as large as the window", {}, {text("editSlideSize", "1000")},
                {param + "Slide size must be smaller than window size"});
        refused("a slide of 0", {}, {text("editSlideSize", "0")},
                {param + "window and slide size must be positive numbers"});
        refused("a range above 1", {}, {text("editRangeThres", "1.5")},
                {param + "Range can only be numbers between [0,1]"});
        refused("a count as large as the window", {}, {text("editCountThres", "1000")},
                {param + "Count must be smaller than window size"});
        refused("a count of 0", {}, {text("editCountThres", "0")},
                {param + "Count must be a positive number"});

        const QString missing = "File Missing | cannot locate installed file";
        const QString reading = "File Reading Error | ";
        const QString in = "plan template ../torvik_stream_query_engine/template/dim_3_no_sum.txt";
        refused("a missing template", {gone(kTemplate)}, {}, {missing + "."});
        refused("a template that lacks a placeholder",
                {{kTemplate, "??SourceName ??SchemaId ??outputmode"}}, {},
                {reading + "The " + in + " lacks the placeholder ??windowSize."});
        refused("a template whose filled-in value joins the text beside it",
                {{kTemplate, "??SchemaI" + kPlaceholders}}, {},
                {reading + "In the " + in
                 + " a filled-in value joins the text beside it into another ??SchemaId, so "
                   "the template cannot be filled in safely."});
        // A library that the start refuses, with its reason; Save then
        // writes nothing.
        const auto unread = [](const char *tag, const Lay &library, const QString &text) {
            refused(tag, {library}, {},
                    {"File Open Error! | " + text,
                     "File Open Error! | The library configuration file could not be read when "
                     "the panel started, so no plan can be registered. Fix the file and restart "
                     "the panel."});
        };
        const QString lineEnds = "The lines of the library configuration file from "
                                 "NumberOfQueriesInLibrary on must end in a carriage return and a "
                                 "line feed; some end in a ";
        unread("a library without the key", {kLibrary, "NumberOfQueries=1"},
               "The library configuration file has no NumberOfQueriesInLibrary line.");
        unread("a line feed alone", {kLibrary, key("%=2\r\na\nb")}, lineEnds + "line feed alone.");
        unread("a missing library", gone(kLibrary), "No such file or directory");
        refused("a name the library lists with blanks around it",
                {{kLibrary, libraryWith({" " + kStart})}}, {},
                {"File Exists | The library already lists a plan of this name."}, {" " + kStart});
        refused("a plan that would grow the library past 16 MiB",
                {{kLibrary, QByteArray((16 << 20) - 27, '#') + "\nNumberOfQueriesInLibrary=0"}}, {},
                {"File Write Error! | The library configuration file would grow past 16 MiB, "
                 "which the panel cannot read. Remove plans first."});
#ifdef Q_OS_LINUX
        refused("a library whose lock another panel holds past the wait is not written", {}, {},
                {kChanged}, {},
                {{ kLibrary,
                   {},
                   Lay::Locked }});
        refused("a plan cut short by a file-size limit leaves none behind", {}, {},
                {"File write Failed | File too large"}, {}, {}, 10);
        const QByteArray big = QByteArray(300, '#') + "\r\n" + key("%=1\r\na");
        saved("a library cut short by a file-size limit stays whole, and so does the plan", {Lay {
                  kLibrary,
                  big
              }},
              {}, {}, {"a"}, kStartOnly, big, {kTooLarge}, 200);
#endif
        const Setup abc{{kLibrary, libraryWith({"a", " b ", "c", " a "})},
                        {"queryplan/a", "a"},
                        {"queryplan/b", "b"},
                        {"queryplan/c", "c"}};
        removed("Remove takes out the row and deletes its plan file by the trimmed name", abc,
                " b ", {}, {"a", "c", " a "}, {{"a", "a"}, {"c", "c"}},
                libraryWith({"a", "c", "a"}));
        removed("a plan file that another row names stays", abc, " a ", {}, {"a", " b ", "c"},
                {{"a", "a"}, {"b", "b"}, {"c", "c"}}, libraryWith({"a", "b", "c"}));
        const QByteArray odd = key("%=3\r\n..\r\n../demo.qe_config\r\nd");
        const QString none = "not a plan file name, nothing deleted: ";
        removed("a name that leads out of the plan folder deletes nothing", {{kLibrary, odd}},
                "../demo.qe_config", none + "../demo.qe_config", {"..", "d"}, {},
                key("%=2\r\n..\r\nd"));
#ifdef Q_OS_UNIX
        // The library's Latin-1 "caf\xe9.txt" is another file than the UTF-8
        // "café.txt" that the system would delete for it.
        removed("a listed name beyond ASCII is never turned into a path",
                Setup{{kLibrary, key("%=2\r\ncaf\xe9.txt\r\nkeep.txt")},
                      { "queryplan/caf\u00e9.txt",
                        "8" }},
                "caf\u00e9.txt", none + "caf\u00e9.txt", {"keep.txt"},
                Plans{
                    { "caf\u00e9.txt",
                      "8" }},
                key("%=1\r\nkeep.txt"));
#endif
        // Remove of "c" refused: the row, its plan file and the library stay.
        const auto keeps = [&](const char *tag, const QByteArray &library, const QString &box,
                               const Setup &behind, int limit = 0) {
            removed(tag, abc, "c", "plan file kept: c", {"a", " b ", "c", " a "},
                    {{"a", "a"}, {"b", "b"}, {"c", "c"}}, library, {box}, behind, limit);
        };
        keeps("a library gone while the panel runs gets a box, and the row stays", "",
              "File Open Error! | No such file or directory", {gone(kLibrary)});
        const QByteArray other = libraryWith({"a", " b ", "d", " a "}); // as long as before
        keeps("a library changed while the panel runs is not overwritten", other, kChanged,
              {{kLibrary, other}});
#ifdef Q_OS_LINUX
        keeps("a Remove cut short by a file-size limit keeps its row", abc.first().bytes, kTooLarge,
              {}, 20);
#endif
        // The count grows by four digits while the name takes three bytes.
        QByteArray full = key("%=0") + QByteArray("\r\na").repeated(10001);
        full.prepend(QByteArray((16 << 20) - full.size() - 1, '#') + '\n');
        removed("a Remove that would grow the library past 16 MiB changes nothing",
                {{kLibrary, full}, {"queryplan/a", "a"}}, "a", "plan file kept: a",
                QStringList(10001, "a"), {{"a", "a"}}, full,
                {"File Write Error! | The library configuration file would grow past 16 MiB, "
                 "which the panel cannot read."});
    }

    void actions()
    {
        QFETCH(Setup, setup);
        QFETCH(Fields, fields);
        QFETCH(QString, pick);
        QFETCH(QString, logged);
        Run r;
        QVERIFY(r.start(setup));
        for (const Field &field : fields)
            QVERIFY2(r.set(field), field.name);
        QVERIFY((pick.isEmpty() || r.pick(pick)) && r.meanwhile());
        r.click(pick.isEmpty() ? "pbt_save" : "pbt_remove");
        QVERIFY2(r.panel->debug.join('\n').contains(logged), qPrintable(logged));
        QTEST(r.panel->boxes, "boxes");
        QTEST(r.listed(), "listed");
        QTEST(r.plans(), "plans");
        QTEST(r.library(), "library");
    }

    // Two panels saving in one workspace lose neither's plans, however their
    // checks and writes interleave: a panel whose library another one changed
    // refuses, and the other saves on.
    void twoPanelsSaving()
    {
        Run r;
        QProcess panels[2];
        startSaving(panels[0], r, "first");
        startSaving(panels[1], r, "second");
        for (QProcess &panel : panels)
            QVERIFY(panel.waitForFinished(60000) && panel.exitCode() == 0);
        QStringList listed = QString::fromLatin1(r.library()).split("\r\n").mid(2);
        listed.sort();
        QCOMPARE(listed, r.plans().keys()); // once each, as the folder has each once
        QVERIFY(listed.size() >= 50);       // the panel that wrote last saved all its plans
    }

#ifdef Q_OS_LINUX

    // Another program appends a name as soon as the panel has read the
    // library at Save; a large template widens the window until the write.
    void appendWhileSaving()
    {
        Run r;
        QVERIFY(r.start({{ kTemplate, kPlaceholders + QByteArray(8 << 20, '#') }}));
        const int watch = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
        QVERIFY(inotify_add_watch(watch, QFile::encodeName(r.folder + kLibrary), IN_CLOSE_NOWRITE)
                >= 0);
        std::thread other([&] {
            pollfd read{watch, POLLIN, 0}; // for ten seconds at most
            QFile library(r.folder + kLibrary);
            if (::poll(&read, 1, 10000) == 1 && library.open(QIODevice::Append))
                library.write("\r\nother");
        });
        r.click("pbt_save");
        other.join();
        ::close(watch);
        // Either the panel saw it and refused, or it wrote first and the name
        // joined its library.
        const QStringList saved = r.panel->boxes.isEmpty() ? QStringList{kStart} : QStringList();
        QCOMPARE(r.panel->boxes, saved.isEmpty() ? QStringList{kChanged} : QStringList());
        QCOMPARE(r.library(), libraryWith(saved) + "\r\nother");
        QCOMPARE(r.plans().keys(), saved);
    }

    void keptOnTheFile_data()
    {
        QTest::addColumn<QString>("prepare"); // a shell command on the library's path, $0
        QTest::addColumn<QString>("writer");  // how the panel that saves is started
        QTest::newRow("a hard link") << "ln \"$0\" \"$0.link\""
                                     << "";
        QTest::newRow("an access control list and an attribute")
            << "chmod 600 \"$0\" && setfacl -m u:nobody:r \"$0\" && setfattr -n user.origin -v "
               "engines \"$0\""
            << "";
        // Without the privilege to keep them, a write clears the special bits.
        QTest::newRow("the set-user-id and set-group-id bits, written by their owner")
            << "chmod 6674 \"$0\""
            << "setpriv --bounding-set=-fsetid";
    }

    // Save writes such a library in place, and its inode, links, mode,
    // access control list and attributes stay as they were.
    void keptOnTheFile()
    {
        QFETCH(QString, prepare);
        QFETCH(QString, writer);
        const Run r;
        const QString library = r.folder + kLibrary;
        QCOMPARE(QProcess::execute("sh", {"-c", prepare, library}), 0);
        const QByteArray before = state(library);
        QProcess panel;
        startSaving(panel, r, "x", writer);
        QVERIFY(panel.waitForFinished(60000) && panel.exitCode() == 0);
        QCOMPARE(r.library().count("\r\nx"), 50);
        QCOMPARE(state(library), before);
    }
#endif
};

int main(int argc, char **argv)
{
    Files::failWritesPastSizeLimit(); // as the panel itself does
    QApplication app(argc, argv);
    // A panel of its own for twoPanelsSaving(), which saves 50 plans.
    if (argc > 2 && qstrcmp(argv[1], "--save") == 0) {
        const Panel p;
        for (int i = 0; i < 50; ++i) {
            p.window->findChild<QLineEdit *>("lEditSaveFileName")
                ->setText(argv[2] + QString::number(i));
            p.window->findChild<QPushButton *>("pbt_save")->click();
        }
        return 0;
    }
    TestMainWin test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mainwin.moc"
