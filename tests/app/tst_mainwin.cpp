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
#include <linux/capability.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>
#endif

namespace {

// A path in the query engine's folder, laid anew before the window starts.
struct Lay
{
    enum Kind { File, Folder, Gone };
    QString path;
    QByteArray bytes;
    Kind kind = File;
    static Lay folder(const QString &path) { return {path, {}, Folder}; }
    static Lay gone(const QString &path) { return {path, {}, Gone}; }
};
using Setup = QList<Lay>;
const auto folder = Lay::folder;
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
    QFile::remove(at) || QDir(at).removeRecursively();
    return lay.kind == Lay::Gone
        || (lay.kind == Lay::Folder ? QDir().mkpath(at) : writeBytes(at, lay.bytes));
}

// The window over a workspace laid out as the row says.
struct Run
{
    // False when a path cannot be laid; the window has not started then.
    bool start(const Setup &setup = {})
    {
        for (const Lay &lay : setup)
            if (!layIn(folder, lay))
                return false;
        panel = std::make_unique<Panel>();
        return true;
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
        const QDir planFolder(folder + "queryplan", {}, QDir::Name,
                              QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System);
        for (const QString &name : planFolder.entryList())
            plans[name] = readBytes(planFolder.filePath(name));
        return plans;
    }

    const TestWorkspace ws;
    const QString folder = ws.path("torvik_stream_query_engine/");
    std::unique_ptr<Panel> panel;
};

void saved(const char *tag, const Setup &setup, const Fields &fields, const QStringList &words,
           const QStringList &listed, const Plans &plans, const QByteArray &library)
{
    QTest::newRow(tag) << setup << fields << words << QStringList() << listed << plans << library;
}

// A refused Save leaves the plan files and the library as they were laid.
void refused(const char *tag, const Setup &setup, const Fields &fields, const QStringList &boxes,
             const QStringList &listed = {})
{
    Plans plans;
    QByteArray library = libraryWith({});
    for (const Lay &lay : setup) {
        if (lay.path == kLibrary)
            library = lay.bytes;
        else if (lay.path.startsWith("queryplan/"))
            plans[lay.path.mid(10)] = lay.bytes;
    }
    QTest::newRow(tag) << setup << fields << QStringList() << boxes << listed << plans << library;
}

void removed(const char *tag, const Setup &setup, const QString &pick, const QString &warning,
             const QStringList &listed, const Plans &plans, const QByteArray &library,
             const QStringList &boxes = {})
{
    QTest::newRow(tag) << setup << pick << boxes << warning << listed << plans << library;
}

#ifdef Q_OS_LINUX
// A write by the panel then clears the set-user-id and set-group-id bits, as
// it does for any writer without the privilege to keep them.
bool dropKeepingSpecialBits(bool drop)
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2]{};
    if (syscall(SYS_capget, &header, data) != 0)
        return false;
    const quint32 fsetid = 1u << CAP_FSETID;
    data[0].effective = drop ? data[0].effective & ~fsetid : data[0].effective | fsetid;
    return syscall(SYS_capset, &header, data) == 0;
}

// The file's inode, links, mode, access control list and attributes.
QByteArray state(const QString &path)
{
    QProcess tools;
    tools.start("sh",
                {"-c", "stat -c '%i %h %a' \"$0\"; getfacl -cp \"$0\"; getfattr -d \"$0\"", path});
    tools.waitForFinished();
    return tools.readAllStandardOutput();
}

void limitFileSize(rlim_t size)
{
    const rlimit limit{size, RLIM_INFINITY};
    QVERIFY(setrlimit(RLIMIT_FSIZE, &limit) == 0);
}
#endif

} // namespace

class TestMainWin : public QObject
{
    Q_OBJECT

private slots:
    void save_data()
    {
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<Fields>("fields");
        QTest::addColumn<QStringList>("words"); // the data sources' debug words
        QTest::addColumn<QStringList>("boxes"); // "title | text"
        QTest::addColumn<QStringList>("listed");
        QTest::addColumn<Plans>("plans");
        QTest::addColumn<QByteArray>("library");
        const QString traffic = "Traffic_Evo_with_Sum.txt", quake = "Earthquake_no_Evo_no_Sum.txt";
        saved("ORCL without evolution, chosen again, saves the start's plan", {},
              {source("Earthquake"), {"rbt_evo"}, source("ORCL"), {"rbt_noEvo"}},
              {"earthquake ", "ORCL "}, {kStart}, kStartOnly, libraryWith({kStart}));
        saved("Traffic with evolution and summarization fills the sum template, and the last "
              "option clicked replaces a typed name with the suggested one",
              {}, {source("Traffic"), {"rbt_evo"}, text("lEditSaveFileName", "x"), {"cbox_sum"}},
              {"traffic "}, {traffic},
              {{traffic, "dim_3_sum\r\nRealTraffic 20 1 1000 100 0.02 10"}},
              libraryWith({traffic}));
        saved("Earthquake fills only the first of a repeated placeholder with the typed parameters",
              {{"template/dim_4_no_sum.txt",
                "??SourceName??SchemaId??outputmode??windowSize??windowSize??slideSize"
                "??rangeThreshold??countThreshold"}},
              {source("Earthquake"), text("editWindowSize", "2"), text("editSlideSize", "1"),
               text("editRangeThres", "0"), text("editCountThres", "1")},
              {"earthquake "}, {quake}, {{quake, "RealEarthquake2302??windowSize101"}},
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
        saved("a count that ends the file holds no name", {{kLibrary, key(" %=10")}}, {}, {},
              {kStart}, kStartOnly, key(" %=1\r\n") + start);
        saved("a line end after the count adds no name", {{kLibrary, key("%=0\r\n")}}, {}, {},
              {kStart}, kStartOnly, key("%=1\r\n") + start);
        saved("an operator's note after the count's digits is kept",
              {{kLibrary, key("\t% = 2   ; two plans, do not edit\r\na\r\nb")}}, {}, {},
              {"a", "b", kStart}, kStartOnly,
              key("\t% = 3   ; two plans, do not edit\r\na\r\nb\r\n") + start);

        const QString exists = "File Exists | File already exists";
        const QString naming = "File Naming Error! | Please ";
        const QString plainOnly =
            QSysInfo::productType() == "windows" ? "Latin-1 characters!" : "ASCII characters!";
        refused("a plan file of the name is never written over", {{"queryplan/" + kStart, "old"}},
                {}, {exists});
        refused("an empty name names the plan folder itself", {}, {text("lEditSaveFileName", "")},
                {exists});
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
        refused("no data source chosen finds no template", {},
                {{"dataSourceComBox", "currentIndex", -1}}, {missing + "."});
        refused("a missing template", {gone(kTemplate)}, {}, {missing + "."});
        refused("a template that is a folder", {folder(kTemplate)}, {},
                {missing + ":\r\nnot a regular file"});
        refused("a template that lacks a placeholder",
                {{kTemplate, "??SourceName ??SchemaId ??outputmode"}}, {},
                {reading + "The " + in + " lacks the placeholder ??windowSize."});
        refused("a template whose filled-in value joins the text beside it",
                {{kTemplate,
                  "??SchemaI??SourceName??SchemaId??outputmode??windowSize??slideSize"
                  "??rangeThreshold??countThreshold"}},
                {},
                {reading + "In the " + in
                 + " a filled-in value joins the text beside it into another ??SchemaId, so "
                   "the template cannot be filled in safely."});
        refused(
            "a template larger than 16 MiB", {{kTemplate, QByteArray((16 << 20) + 1, '\0')}}, {},
            {reading + "The plan template is larger than 16 MiB and cannot be a plan template."});
        refused(
            "a library that could not be read at the start", {gone(kLibrary)}, {},
            {"File Open Error! | No such file or directory",
             "File Open Error! | The library configuration file could not be read when the "
             "panel started, so no plan can be registered. Fix the file and restart the panel."});
        refused("a name the library lists with blanks around it",
                {{kLibrary, libraryWith({" " + kStart})}}, {},
                {"File Exists | The library already lists a plan of this name."}, {" " + kStart});
        refused("a plan that would grow the library past 16 MiB",
                {{kLibrary, QByteArray((16 << 20) - 27, '#') + "\nNumberOfQueriesInLibrary=0"}}, {},
                {"File Write Error! | The library configuration file would grow past 16 MiB, "
                 "which the panel cannot read. Remove plans first."});
#ifdef Q_OS_UNIX
        refused("a missing plan folder fails the plan's open with the system's reason",
                {gone("queryplan")}, {}, {"File Open Failed | No such file or directory"});
#endif
    }

    void save()
    {
        QFETCH(Setup, setup);
        QFETCH(Fields, fields);
        Run r;
        QVERIFY(r.start(setup));
        for (const Field &field : fields)
            QVERIFY2(r.set(field), field.name);
        r.click("pbt_save");
        QTEST(r.panel->debug.filter(QRegularExpression("^[A-Za-z]+ $")), "words");
        QTEST(r.panel->boxes, "boxes");
        QTEST(r.listed(), "listed");
        QTEST(r.plans(), "plans");
        QTEST(r.library(), "library");
    }

    void start_data()
    {
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<QString>("box"); // "title | text"
        const auto row = [](const char *tag, const Lay &library, const QString &text) {
            QTest::newRow(tag) << Setup{library} << "File Open Error! | " + text;
        };
        const QString lineEnds = "The lines of the library configuration file from "
                                 "NumberOfQueriesInLibrary on must end in a carriage return and a "
                                 "line feed; some end in a ";
        row("a library without the key", {kLibrary, "NumberOfQueries=1"},
            "The library configuration file has no NumberOfQueriesInLibrary line.");
        row("a key without \"=\" on its line", {kLibrary, key("%\r\n=1")},
            "The NumberOfQueriesInLibrary line of the library configuration file has no \"=\".");
        row("a line feed alone", {kLibrary, key("%=2\r\na\nb")}, lineEnds + "line feed alone.");
        row("a carriage return alone", {kLibrary, key("%=2\ra\rb")},
            lineEnds + "carriage return alone.");
        row("a missing library", gone(kLibrary), "No such file or directory");
        row("a library that is a folder", folder(kLibrary),
            "The library configuration file is not a regular file.");
        row("a library larger than 16 MiB", {kLibrary, key("%=0") + QByteArray(16 << 20, '#')},
            "The library configuration file is larger than 16 MiB.");
    }

    void start()
    {
        QFETCH(Setup, setup);
        QFETCH(QString, box);
        Run r;
        QVERIFY(r.start(setup));
        QCOMPARE(r.panel->boxes, QStringList{box});
        QCOMPARE(r.listed(), QStringList());
    }

    void remove_data()
    {
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<QString>("pick");
        QTest::addColumn<QStringList>("boxes"); // "title | text"
        QTest::addColumn<QString>("warning");   // a line of the debug output
        QTest::addColumn<QStringList>("listed");
        QTest::addColumn<Plans>("plans");
        QTest::addColumn<QByteArray>("library");
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
        removed("a name of the plan folder itself deletes nothing", {{kLibrary, odd}}, "..",
                none + "..", {"../demo.qe_config", "d"}, {}, key("%=2\r\n../demo.qe_config\r\nd"));
        // The warning gives the system's reason after the path.
        removed("a plan file Remove cannot delete is named in a warning",
                {{kLibrary, odd}, folder("queryplan/d")}, "d",
                "cannot delete the plan file ../torvik_stream_query_engine/queryplan/d - ",
                {"..", "../demo.qe_config"}, {{"d", ""}}, key("%=2\r\n..\r\n../demo.qe_config"));
#ifdef Q_OS_UNIX
        // The library's Latin-1 "caf\xe9.txt" is another file than the UTF-8
        // "café.txt" that the system would delete for it.
        removed(
            "a listed name beyond ASCII is never turned into a path",
            {{kLibrary, key("%=2\r\ncaf\xe9.txt\r\nkeep.txt")}, {"queryplan/caf\u00e9.txt", "8"}},
            "caf\u00e9.txt", none + "caf\u00e9.txt", {"keep.txt"}, {{"caf\u00e9.txt", "8"}},
            key("%=1\r\nkeep.txt"));
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

    void remove()
    {
        QFETCH(Setup, setup);
        QFETCH(QString, pick);
        QFETCH(QString, warning);
        Run r;
        QVERIFY(r.start(setup));
        QVERIFY(r.pick(pick));
        r.click("pbt_remove");
        QTEST(r.panel->boxes, "boxes");
        QVERIFY2(r.panel->debug.join('\n').contains(warning),
                 qPrintable(r.panel->debug.join('\n')));
        QTEST(r.listed(), "listed");
        QTEST(r.plans(), "plans");
        QTEST(r.library(), "library");
    }

    // A library gone behind the panel's back gets Remove's box and keeps the
    // row; back as it was, it takes the Remove; changed, it is overwritten by
    // neither Remove nor Save.
    void libraryChangedWhileRunning()
    {
        const QByteArray abc = libraryWith({"a", " b ", "c", " a "});
        Run r;
        QVERIFY(r.start({{kLibrary, abc}, {"queryplan/a", "a"}, {"queryplan/c", "c"}}));
        QVERIFY(layIn(r.folder, gone(kLibrary)) && r.pick("c"));
        r.click("pbt_remove");
        QCOMPARE(r.panel->boxes, QStringList{"File Open Error! | No such file or directory"});
        QCOMPARE(r.listed(), QStringList({"a", " b ", "c", " a "}));
        QVERIFY(layIn(r.folder, {kLibrary, abc}) && r.pick("c"));
        r.click("pbt_remove");
        QCOMPARE(r.panel->boxes.size(), 1);
        QCOMPARE(r.library(), libraryWith({"a", "b", "a"}));
        QCOMPARE(r.plans(), Plans({{"a", "a"}}));
        const QByteArray other = key("%=1\r\nx");
        QVERIFY(layIn(r.folder, {kLibrary, other}) && r.pick("a"));
        r.click("pbt_remove");
        r.click("pbt_save");
        QCOMPARE(r.panel->boxes.mid(1), QStringList({kChanged, kChanged}));
        QCOMPARE(r.listed(), QStringList({"a", " b ", " a "}));
        QCOMPARE(r.plans(), Plans({{"a", "a"}}));
        QCOMPARE(r.library(), other);
    }

    // Two panels saving in one workspace lose neither's plans, however their
    // checks and writes interleave: once one has written, the other refuses.
    void twoPanelsSaving()
    {
        Run r;
        QProcess panels[2];
        for (const char *name : {"first", "second"}) {
            QProcess &panel = panels[name[0] == 's'];
            panel.setWorkingDirectory(r.ws.path("panel"));
            panel.start(QCoreApplication::applicationFilePath(), {"--save", name});
        }
        for (QProcess &panel : panels)
            QVERIFY(panel.waitForFinished(60000) && panel.exitCode() == 0);
        QStringList listed = QString::fromLatin1(r.library()).split("\r\n").mid(2);
        listed.sort();
        QCOMPARE(listed, r.plans().keys());
        QCOMPARE(listed.size(), 50);
        QCOMPARE(listed.removeDuplicates(), 0);
    }

#ifdef Q_OS_LINUX
    // A row's file-size limit and dropped privilege end with it.
    void cleanup()
    {
        limitFileSize(RLIM_INFINITY);
        dropKeepingSpecialBits(false);
    }

    // Another program appends a name as soon as the panel has read the
    // library at Save; a large template widens the window until the write.
    void appendWhileSaving()
    {
        Run r;
        QVERIFY(r.start({{kTemplate,
                          "??SourceName ??SchemaId ??outputmode ??windowSize "
                          "??slideSize ??rangeThreshold ??countThreshold"
                              + QByteArray(8 << 20, '#')}}));
        const int watch = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
        QVERIFY(inotify_add_watch(watch, QFile::encodeName(r.folder + kLibrary), IN_CLOSE_NOWRITE)
                >= 0);
        std::thread other([&] {
            pollfd read{watch, POLLIN, 0};
            QFile library(r.folder + kLibrary);
            if (::poll(&read, 1, 10000) == 1 && library.open(QIODevice::Append))
                library.write("\r\nother");
        });
        r.click("pbt_save");
        other.join();
        ::close(watch);
        // Either the panel saw it and refused, or it wrote first and the name
        // joined its library.
        const bool refused = !r.panel->boxes.isEmpty();
        QCOMPARE(r.panel->boxes, refused ? QStringList{kChanged} : QStringList());
        QCOMPARE(r.library(),
                 libraryWith(refused ? QStringList() : QStringList{kStart}) + "\r\nother");
        QCOMPARE(r.plans().keys(), refused ? QStringList() : QStringList{kStart});
    }

    // Past a file-size limit the writes fail: no partial plan stays, a
    // replaced library stays whole, a Remove keeps its row, and a library
    // written in place cut short is the panel's own, which the next Save
    // writes over.
    void fileSizeLimit()
    {
        const QByteArray big = QByteArray(300, '#') + "\r\n" + key("%=1\r\na");
        Run r;
        QVERIFY(r.start({{kLibrary, big}}));
        limitFileSize(10);
        r.click("pbt_save");
        QCOMPARE(r.panel->boxes, QStringList{"File write Failed | File too large"});
        QCOMPARE(r.plans(), Plans());
        limitFileSize(200);
        r.click("pbt_save");
        QVERIFY(r.pick("a"));
        r.click("pbt_remove");
        QCOMPARE(r.panel->boxes.mid(1), QStringList({kTooLarge, kTooLarge}));
        QCOMPARE(r.listed(), QStringList{"a"});
        QCOMPARE(r.plans(), kStartOnly);
        QCOMPARE(r.library(), big);
        const QByteArray library = QFile::encodeName(r.folder + kLibrary);
        QVERIFY(link(library, library + ".link") == 0 && r.set(text("lEditSaveFileName", "x")));
        r.click("pbt_save");
        QCOMPARE(r.panel->boxes.mid(3), QStringList{kTooLarge});
        QCOMPARE(r.library(), QByteArray(200, '#'));
        cleanup();
        QVERIFY(r.set(text("lEditSaveFileName", "y")));
        r.click("pbt_save");
        QCOMPARE(r.panel->boxes.size(), 4);
        QCOMPARE(r.listed(), QStringList({"a", kStart, "x", "y"}));
        QCOMPARE(r.library(),
                 QByteArray(big).replace("=1", "=4") + "\r\n" + kStart.toLatin1() + "\r\nx\r\ny");
        QCOMPARE(readBytes(library + ".link"), r.library());
    }

    void keptOnTheFile_data()
    {
        QTest::addColumn<QString>("prepare"); // a shell command on the library's path, $0
        QTest::addColumn<bool>("unprivileged");
        QTest::newRow("a hard link") << "ln \"$0\" \"$0.link\"" << false;
        QTest::newRow("an access control list and an attribute")
            << "chmod 600 \"$0\" && setfacl -m u:nobody:r \"$0\" && setfattr -n user.origin -v "
               "engines \"$0\""
            << false;
        QTest::newRow("the set-user-id bit, written by its owner") << "chmod 4644 \"$0\"" << true;
        QTest::newRow("the set-group-id bit, written by its owner") << "chmod 2674 \"$0\"" << true;
    }

    // Save writes such a library in place, and its inode, links, mode,
    // access control list and attributes stay as they were.
    void keptOnTheFile()
    {
        QFETCH(QString, prepare);
        QFETCH(bool, unprivileged);
        Run r;
        QVERIFY(r.start());
        const QString library = r.folder + kLibrary;
        QCOMPARE(QProcess::execute("sh", {"-c", prepare, library}), 0);
        const QByteArray before = state(library);
        QVERIFY(!unprivileged || dropKeepingSpecialBits(true));
        r.click("pbt_save");
        QCOMPARE(r.panel->boxes, QStringList());
        QCOMPARE(r.library(), libraryWith({kStart}));
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
