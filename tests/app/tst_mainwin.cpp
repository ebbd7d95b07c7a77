// The panel's window: the texts the operator sees at start, the plan options
// with the suggested plan file name (each widget's click reaching its slot),
// the method table, and the window's end.

#include "app/mainwin.h"
#include "testsupport.h"

#include <QtTest>
#include <QtWidgets>

namespace {

const char *const kMine = "mine.txt";

} // namespace

class TestMainWin : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void formTextsAndStartState();
    void planOptions_data();
    void planOptions();
    void flagsFollowClicksOnly();
    void metaObjectTable();
    void nameChangeRepaintsAtOnce();
    void refreshListAndEmptySlotsChangeNothing();
    void closingEndsTheLoopAndTeardownFreesAll();

private:
    std::unique_ptr<Workspace> ws;
};

void TestMainWin::init()
{
    ws.reset(); // the old workspace restores the directory it found: let it go first
    ws = std::make_unique<Workspace>(
        QByteArrayLiteral("# library\r\nNumberOfQueriesInLibrary=2\r\nplanA.txt\r\nplanB.txt"));
    QVERIFY(ws->isValid());
}

void TestMainWin::formTextsAndStartState()
{
    Panel p;
    MainWin &w = p.window;
    QCOMPARE(w.objectName(), QStringLiteral("MainWin"));
    QCOMPARE(w.windowTitle(), QStringLiteral("MainWin"));
    QCOMPARE(w.size(), QSize(673, 616));

    const std::pair<const char *, const char *> texts[] = {
        {"groupBox", "Select Data Source"},
        {"groupBox_2", "Config Query Plan"},
        {"rbt_noEvo", "No Evolution"},
        {"rbt_evo", "Evolution"},
        {"groupBox_3", "Query Plan Parameters"},
        {"label", "Window Size: "},
        {"editWindowSize", "1000"},
        {"label_2", "Slide Size: "},
        {"editSlideSize", "100"},
        {"label_3", "Range Threshold: "},
        {"label_4", "Count Threshold: "},
        {"editCountThres", "10"},
        {"editRangeThres", "0.02"},
        {"cbox_sum", "With summarization and matching"},
        {"label_5", "Save Quey Plan As: "},
        {"pbt_save", "Save"},
        {"groupBox_4", "Manage Query Plans"},
        {"pbt_refresh", "Refresh"},
        {"pbt_remove", "Remove"},
        {"pbt_launch", "Launch Stream Engine"},
        {"lEditSaveFileName", "ORCL_no_Evo_no_Sum.txt"},
    };
    for (const auto &[name, text] : texts) {
        const QObject *object = p.widget<QObject>(name);
        const char *property = qobject_cast<const QGroupBox *>(object) ? "title" : "text";
        QCOMPARE(object->property(property).toString(), QString::fromUtf8(text));
    }

    const auto *tabs = p.widget<QTabWidget>("tabWidget");
    QCOMPARE(tabs->tabText(0), QStringLiteral("Config Query Engine"));
    QCOMPARE(tabs->currentIndex(), 0);
    const auto *combo = p.widget<QComboBox>("dataSourceComBox");
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    QCOMPARE(items, QStringList({"ORCL", "Traffic", "Earthquake"}));
    QCOMPARE(combo->currentIndex(), 0);
    QVERIFY(p.widget<QRadioButton>("rbt_noEvo")->isChecked());
    QVERIFY(!p.widget<QRadioButton>("rbt_evo")->isChecked());
    QVERIFY(!p.widget<QCheckBox>("cbox_sum")->isChecked());
    QVERIFY(!w.testAttribute(Qt::WA_DeleteOnClose)); // main owns the window

    // The combo box's first selection happens before the wiring: no source
    // was switched while the window was built.
    for (const char *word : {"ORCL ", "traffic ", "earthquake "})
        QVERIFY2(!p.debug.lines().contains(QLatin1String(word)), word);
}

void TestMainWin::planOptions_data()
{
    // Steps: a digit chooses that data source in the combo box; "evo",
    // "noevo" and "sum" click the option; "type" enters the operator's own
    // name; "clear" empties the combo box (index -1); "bad" invokes the slot
    // with an index outside the table.
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("words");
    // Steps, the name suggested after them, and the source words logged.
    const auto row = [](const char *tag, const char *steps, const char *name, const char *words) {
        QTest::newRow(tag) << steps << name << QString(words).split(u'|', Qt::SkipEmptyParts);
    };
    row("traffic", "1", "Traffic_no_Evo_no_Sum.txt", "traffic ");
    row("earthquake", "2", "Earthquake_no_Evo_no_Sum.txt", "earthquake ");
    row("back to ORCL", "1 0", "ORCL_no_Evo_no_Sum.txt", "traffic |ORCL ");
    row("evolution", "evo", "ORCL_Evo_no_Sum.txt", "");
    row("evolution again rewrites", "evo type evo", "ORCL_Evo_no_Sum.txt", "");
    row("no evolution", "evo noevo", "ORCL_no_Evo_no_Sum.txt", "");
    row("summarization", "sum", "ORCL_no_Evo_with_Sum.txt", "");
    row("summarization off", "sum sum", "ORCL_no_Evo_no_Sum.txt", "");
    row("everything on", "1 evo sum", "Traffic_Evo_with_Sum.txt", "traffic ");
    row("options survive a switch", "evo sum 2", "Earthquake_Evo_with_Sum.txt", "earthquake ");
    row("switch replaces a typed name", "type 1", "Traffic_no_Evo_no_Sum.txt", "traffic ");
    row("option replaces a typed name", "type sum", "ORCL_no_Evo_with_Sum.txt", "");
    row("emptied box keeps the source", "2 type clear", "Earthquake_no_Evo_no_Sum.txt",
        "earthquake ");
    row("index outside the table", "1 evo type bad", "Traffic_Evo_no_Sum.txt", "traffic ");
}

void TestMainWin::planOptions()
{
    QFETCH(QString, steps);
    QFETCH(QString, name);
    QFETCH(QStringList, words);

    Panel p;
    MainWin &w = p.window;
    auto *combo = p.widget<QComboBox>("dataSourceComBox");
    auto *field = p.widget<QLineEdit>("lEditSaveFileName");
    const QStringList parameters{"1000", "100", "0.02", "10"};
    p.debug.clear();
    for (const QString &step : steps.split(' ')) {
        bool isIndex = false;
        const int index = step.toInt(&isIndex);
        if (isIndex)
            combo->setCurrentIndex(index);
        else if (step == "evo")
            p.widget<QAbstractButton>("rbt_evo")->click();
        else if (step == "noevo")
            p.widget<QAbstractButton>("rbt_noEvo")->click();
        else if (step == "sum")
            p.widget<QAbstractButton>("cbox_sum")->click();
        else if (step == "type")
            field->setText(kMine);
        else if (step == "clear")
            combo->clear();
        else if (step == "bad")
            QVERIFY(QMetaObject::invokeMethod(&w, "dataSourceSwitched", Q_ARG(int, 3)));
        else
            QFAIL(qPrintable("unknown step " + step));
        QVERIFY(field->text() != kMine || step == "type");
    }
    QCOMPARE(field->text(), name);
    QCOMPARE(p.debug.lines(), words);

    // Only the name follows the options: the parameters keep their values.
    QCOMPARE(QStringList({p.widget<QLineEdit>("editWindowSize")->text(),
                          p.widget<QLineEdit>("editSlideSize")->text(),
                          p.widget<QLineEdit>("editRangeThres")->text(),
                          p.widget<QLineEdit>("editCountThres")->text()}),
             parameters);
    const bool evo = !name.contains("no_Evo");
    QCOMPARE(p.widget<QRadioButton>("rbt_evo")->isChecked(), evo);
    QCOMPARE(p.widget<QRadioButton>("rbt_noEvo")->isChecked(), !evo);
}

void TestMainWin::flagsFollowClicksOnly()
{
    Panel p;
    MainWin &w = p.window;
    auto *field = p.widget<QLineEdit>("lEditSaveFileName");
    auto *sum = p.widget<QCheckBox>("cbox_sum");
    auto *evo = p.widget<QRadioButton>("rbt_evo");

    // Set without a click: the flags, and so the name, stay as they were.
    sum->setChecked(true);
    evo->setChecked(true);
    QCOMPARE(field->text(), QStringLiteral("ORCL_no_Evo_no_Sum.txt"));

    // A click hands over the box's new state (now off) ...
    sum->click();
    QCOMPARE(field->text(), QStringLiteral("ORCL_no_Evo_no_Sum.txt"));
    sum->click();
    QCOMPARE(field->text(), QStringLiteral("ORCL_no_Evo_with_Sum.txt"));
    // ... while evolution is on whatever the argument says.
    QVERIFY(QMetaObject::invokeMethod(&w, "onRbtEvo", Q_ARG(bool, false)));
    QCOMPARE(field->text(), QStringLiteral("ORCL_Evo_with_Sum.txt"));
}

// Method order, kinds and parameter names are what the meta-object exposes to
// anything that connects by name or index.
void TestMainWin::metaObjectTable()
{
    const QMetaObject &meta = MainWin::staticMetaObject;
    QCOMPARE(meta.className(), "MainWin");
    QCOMPARE(meta.superClass(), &QMainWindow::staticMetaObject);
    QCOMPARE(meta.propertyCount(), meta.propertyOffset());
    const std::pair<const char *, const char *> table[] = {
        {"sigUpdateAllViews()", ""},
        {"onListSelected(QModelIndex)", ""},
        {"updateAllViews()", ""},
        {"onSave()", ""},
        {"onRefresh()", ""},
        {"onRemove()", ""},
        {"dataSourceSwitched(int)", "index"},
        {"onRbtEvo(bool)", ""},
        {"onRbtNoEvo()", ""},
        {"onCBox(bool)", ""},
        {"onLaunchClicked()", ""},
    };
    QCOMPARE(meta.methodCount() - meta.methodOffset(), int(std::size(table)));
    for (int i = 0; i < int(std::size(table)); ++i) {
        const QMetaMethod method = meta.method(meta.methodOffset() + i);
        QCOMPARE(method.methodSignature(), QByteArray(table[i].first));
        QCOMPARE(method.parameterNames().join(), QByteArray(table[i].second));
        QCOMPARE(method.methodType(), i == 0 ? QMetaMethod::Signal : QMetaMethod::Slot);
    }
}

void TestMainWin::nameChangeRepaintsAtOnce()
{
    Panel p;
    p.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&p.window));
    QTest::qWait(50); // let the first paint go by

    struct PaintCounter : QObject
    {
        int paints = 0;
        bool eventFilter(QObject *, QEvent *event) override
        {
            paints += event->type() == QEvent::Paint;
            return false;
        }
    } counter;
    p.window.installEventFilter(&counter);
    // No event loop runs between the click and the check: only a synchronous
    // repaint can have painted the window.
    p.widget<QCheckBox>("cbox_sum")->click();
    QVERIFY(counter.paints > 0);
}

void TestMainWin::refreshListAndEmptySlotsChangeNothing()
{
    Panel p;
    p.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&p.window));
    const TreeImage before = treeImage(ws->root());
    const QStringList rows = p.listed();
    p.debug.clear();

    p.widget<QPushButton>("pbt_refresh")->click();
    auto *list = p.widget<QListView>("listView");
    const QModelIndex first = list->model()->index(0, 0);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(first).center());
    QCOMPARE(list->currentIndex(), first); // the click did reach the list
    QVERIFY(QMetaObject::invokeMethod(&p.window, "updateAllViews"));
    QVERIFY(QMetaObject::invokeMethod(&p.window, "sigUpdateAllViews"));
    QTest::qWait(50);

    QCOMPARE(treeDifferences(before, treeImage(ws->root())), QStringList());
    QCOMPARE(p.listed(), rows);
    QCOMPARE(p.debug.lines(), QStringList());
    QCOMPARE(p.seen(), QStringList());
}

void TestMainWin::closingEndsTheLoopAndTeardownFreesAll()
{
    auto w = std::make_unique<MainWin>();
    QPointer<QWidget> list = w->findChild<QWidget *>(QStringLiteral("listView"));
    QPointer<QAbstractItemModel> model =
        w->findChild<QListView *>(QStringLiteral("listView"))->model();
    QVERIFY(model);
    const QByteArray library = ws->libraryBytes();

    // Closing the only window ends the event loop, as it ends the program.
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    QTimer::singleShot(0, w.get(), &QWidget::close);
    QTimer::singleShot(5000, [] { QCoreApplication::exit(1); }); // bounds the wait
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(list); // closing does not destroy the window

    w.reset();
    QVERIFY(!list);
    QVERIFY(!model); // the list model goes with the window
    QCOMPARE(ws->libraryBytes(), library);
}

QTEST_MAIN(TestMainWin)
#include "tst_mainwin.moc"
