// The panel's window: its form, its meta-object, the plan options with the
// suggested plan file name, the wiring of the widgets and the teardown.

#include "app/mainwin.h"
#include "composer/planoptions.h"
#include "testsupport.h"

#include <QtTest>
#include <QtWidgets>

namespace {

const char *const kMine = "mine.txt";

template<typename T = QWidget> T *part(const MainWin &w, const char *name)
{
    auto *found = w.findChild<T *>(QLatin1String(name));
    if (!found)
        qWarning("no %s named %s", T::staticMetaObject.className(), name);
    return found;
}

// One row of the form: where each object lives. For a layout, "parent" is the
// widget it is set on. "slot" is the index in a box layout, or row * 10 +
// column in a grid; -1 when the object is not in a layout of the form.
struct FormItem
{
    const char *name;
    const char *className;
    const char *parent;
    const char *layout;
    int slot;
};

const FormItem kForm[] = {
    {"centralWidget", "QWidget", "MainWin", nullptr, -1},
    {"verticalLayout", "QVBoxLayout", "centralWidget", nullptr, -1},
    {"tabWidget", "QTabWidget", "centralWidget", "verticalLayout", 0},
    {"tab", "QWidget", "qt_tabwidget_stackedwidget", nullptr, -1},
    {"verticalLayout_2", "QVBoxLayout", "tab", nullptr, -1},
    {"widget", "QWidget", "tab", "verticalLayout_2", 0},
    {"horizontalLayout_2", "QHBoxLayout", "widget", nullptr, -1},
    {"groupBox", "QGroupBox", "widget", "horizontalLayout_2", 0},
    {"verticalLayout_3", "QVBoxLayout", "groupBox", nullptr, -1},
    {"dataSourceComBox", "QComboBox", "groupBox", "verticalLayout_3", 0},
    {"groupBox_2", "QGroupBox", "widget", "horizontalLayout_2", 1},
    {"horizontalLayout", "QHBoxLayout", "groupBox_2", nullptr, -1},
    {"rbt_noEvo", "QRadioButton", "groupBox_2", "horizontalLayout", 0},
    {"rbt_evo", "QRadioButton", "groupBox_2", "horizontalLayout", 1},
    {"groupBox_3", "QGroupBox", "tab", "verticalLayout_2", 1},
    {"horizontalLayout_3", "QHBoxLayout", "groupBox_3", nullptr, -1},
    {"widget_2", "QWidget", "groupBox_3", "horizontalLayout_3", 0},
    {"gridLayout", "QGridLayout", "widget_2", nullptr, -1},
    {"label", "QLabel", "widget_2", "gridLayout", 0},
    {"editWindowSize", "QLineEdit", "widget_2", "gridLayout", 1},
    {"label_2", "QLabel", "widget_2", "gridLayout", 10},
    {"editSlideSize", "QLineEdit", "widget_2", "gridLayout", 11},
    {"widget_3", "QWidget", "groupBox_3", "horizontalLayout_3", 1},
    {"gridLayout_2", "QGridLayout", "widget_3", nullptr, -1},
    {"label_3", "QLabel", "widget_3", "gridLayout_2", 0},
    {"label_4", "QLabel", "widget_3", "gridLayout_2", 10},
    {"editCountThres", "QLineEdit", "widget_3", "gridLayout_2", 11},
    {"editRangeThres", "QLineEdit", "widget_3", "gridLayout_2", 1},
    {"cbox_sum", "QCheckBox", "tab", "verticalLayout_2", 2},
    {"widget_4", "QWidget", "tab", "verticalLayout_2", 3},
    {"horizontalLayout_4", "QHBoxLayout", "widget_4", nullptr, -1},
    {"label_5", "QLabel", "widget_4", "horizontalLayout_4", 0},
    {"lEditSaveFileName", "QLineEdit", "widget_4", "horizontalLayout_4", 1},
    {"pbt_save", "QPushButton", "widget_4", "horizontalLayout_4", 2},
    {"groupBox_4", "QGroupBox", "centralWidget", "verticalLayout", 1},
    {"horizontalLayout_5", "QHBoxLayout", "groupBox_4", nullptr, -1},
    {"widget_5", "QWidget", "groupBox_4", "horizontalLayout_5", 0},
    {"verticalLayout_4", "QVBoxLayout", "widget_5", nullptr, -1},
    {"listView", "QListView", "widget_5", "verticalLayout_4", 0},
    {"widget_6", "QWidget", "groupBox_4", "horizontalLayout_5", 1},
    {"verticalLayout_5", "QVBoxLayout", "widget_6", nullptr, -1},
    {"pbt_refresh", "QPushButton", "widget_6", "verticalLayout_5", 0},
    {"pbt_remove", "QPushButton", "widget_6", "verticalLayout_5", 1},
    {"pbt_launch", "QPushButton", "centralWidget", "verticalLayout", 2},
    {"menuBar", "QMenuBar", "MainWin", nullptr, -1},
    {"mainToolBar", "QToolBar", "MainWin", nullptr, -1},
    {"statusBar", "QStatusBar", "MainWin", nullptr, -1},
};

// Everything an operator could see change, plus the files the panel keeps.
QStringList snapshot(const MainWin &w, const Workspace &ws)
{
    QStringList state;
    for (const auto *edit : w.findChildren<QLineEdit *>())
        state << edit->objectName() + '=' + edit->text();
    for (const auto *button : w.findChildren<QAbstractButton *>())
        state << button->objectName() + '=' + QString::number(button->isChecked());
    const auto *combo = part<QComboBox>(w, "dataSourceComBox");
    state << QString::number(combo->currentIndex()) + '/' + QString::number(combo->count());
    if (const auto *model = part<QListView>(w, "listView")->model()) {
        for (int row = 0; row < model->rowCount(); ++row)
            state << model->index(row, 0).data().toString();
    }
    state << QString::fromLatin1(ws.libraryBytes()) << ws.planFiles();
    return state;
}

// The sender of each connection the window receives, newest first, as the
// object dump lists them.
QStringList incomingSenders(const MainWin &w)
{
    DebugCapture capture;
    w.dumpObjectInfo();
    QStringList senders;
    const QRegularExpression incoming(QStringLiteral("<-- \\w+::(\\w+)"));
    for (const QString &line : capture.lines()) {
        const auto match = incoming.match(line);
        if (match.hasMatch())
            senders << match.captured(1);
    }
    return senders;
}

} // namespace

class TestMainWin : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void formTree();
    void formTextsAndStartState();
    void metaObjectTable();
    void connections();
    void planOptions_data();
    void planOptions();
    void flagsFollowClicksOnly();
    void nameChangeRepaintsAtOnce();
    void dataSourceTable();
    void refreshListAndEmptySlotsChangeNothing();
    void missingLibraryStillStarts();
    void teardown();

private:
    std::unique_ptr<Workspace> ws;
    std::unique_ptr<BoxCatcher> boxes;
};

void TestMainWin::init()
{
    ws = std::make_unique<Workspace>(
        QByteArrayLiteral("# library\r\nNumberOfQueriesInLibrary=2\r\nplanA.txt\r\nplanB.txt"));
    QVERIFY(ws->isValid());
    boxes = std::make_unique<BoxCatcher>();
}

void TestMainWin::cleanup()
{
    boxes.reset();
    ws.reset();
}

void TestMainWin::formTree()
{
    MainWin w;
    QCOMPARE(int(std::size(kForm)), 47);

    QSet<QString> named;
    for (const QObject *object : w.findChildren<QObject *>()) {
        const QString name = object->objectName();
        // Qt's own inner parts are not part of the form.
        if (!name.isEmpty() && !name.startsWith(QLatin1String("qt_")) && name != "_layout"
            && !name.startsWith(QLatin1String("Scroll")))
            named << name;
    }
    QCOMPARE(named.size(), 47);

    QHash<QString, int> itemsPerLayout;
    for (const FormItem &item : kForm) {
        const QString name = QLatin1String(item.name);
        QVERIFY2(named.contains(name), item.name);
        const auto all = w.findChildren<QObject *>(name);
        QCOMPARE(all.size(), 1);
        const QObject *object = all.first();
        QCOMPARE(object->metaObject()->className(), item.className);

        if (const auto *layout = qobject_cast<const QLayout *>(object)) {
            QCOMPARE(layout->parentWidget()->objectName(), QLatin1String(item.parent));
            QCOMPARE(layout->parentWidget()->layout(), layout);
            QCOMPARE(layout->contentsMargins(), QMargins(11, 11, 11, 11));
            if (const auto *grid = qobject_cast<const QGridLayout *>(layout)) {
                QCOMPARE(grid->horizontalSpacing(), 6);
                QCOMPARE(grid->verticalSpacing(), 6);
            } else {
                QCOMPARE(layout->spacing(), 6);
            }
            continue;
        }
        const auto *widget = qobject_cast<const QWidget *>(object);
        QCOMPARE(widget->parent()->objectName(), QLatin1String(item.parent));
        if (!item.layout)
            continue;
        ++itemsPerLayout[QLatin1String(item.layout)];
        const auto *layout = part<QLayout>(w, item.layout);
        const int index = layout->indexOf(widget);
        QVERIFY2(index >= 0, item.name);
        QCOMPARE(int(layout->itemAt(index)->alignment()), 0);
        if (const auto *grid = qobject_cast<const QGridLayout *>(layout)) {
            int row, column, rowSpan, columnSpan;
            grid->getItemPosition(index, &row, &column, &rowSpan, &columnSpan);
            QCOMPARE(row * 10 + column, item.slot);
            QCOMPARE(rowSpan * columnSpan, 1);
        } else {
            QCOMPARE(index, item.slot);
            QCOMPARE(qobject_cast<const QBoxLayout *>(layout)->stretch(index), 0);
        }
    }
    // Nothing else, such as a spacer, sits in the form's layouts.
    for (auto it = itemsPerLayout.cbegin(); it != itemsPerLayout.cend(); ++it)
        QCOMPARE(part<QLayout>(w, it.key().toLatin1())->count(), it.value());

    const auto *tabs = part<QTabWidget>(w, "tabWidget");
    QCOMPARE(tabs->count(), 1);
    QCOMPARE(tabs->widget(0), part(w, "tab"));
    QCOMPARE(w.centralWidget(), part(w, "centralWidget"));
    QCOMPARE(w.menuBar(), part<QMenuBar>(w, "menuBar"));
    QCOMPARE(w.statusBar(), part<QStatusBar>(w, "statusBar"));
    auto *toolBar = part<QToolBar>(w, "mainToolBar");
    QCOMPARE(w.toolBarArea(toolBar), Qt::TopToolBarArea);
    QVERIFY(toolBar->actions().isEmpty());
    QVERIFY(w.menuBar()->actions().isEmpty());
    QCOMPARE(w.menuBar()->geometry(), QRect(0, 0, 673, 26));
}

void TestMainWin::formTextsAndStartState()
{
    DebugCapture capture;
    MainWin w;
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
        const QObject *object = part(w, name);
        const char *property = qobject_cast<const QGroupBox *>(object) ? "title" : "text";
        QCOMPARE(object->property(property).toString(), QString::fromUtf8(text));
    }

    const auto *tabs = part<QTabWidget>(w, "tabWidget");
    QCOMPARE(tabs->tabText(0), QStringLiteral("Config Query Engine"));
    QCOMPARE(tabs->currentIndex(), 0);
    const auto *combo = part<QComboBox>(w, "dataSourceComBox");
    QCOMPARE(combo->count(), 3);
    QCOMPARE(combo->itemText(0), QStringLiteral("ORCL"));
    QCOMPARE(combo->itemText(1), QStringLiteral("Traffic"));
    QCOMPARE(combo->itemText(2), QStringLiteral("Earthquake"));
    QCOMPARE(combo->currentIndex(), 0);
    QVERIFY(part<QRadioButton>(w, "rbt_noEvo")->isChecked());
    QVERIFY(!part<QRadioButton>(w, "rbt_evo")->isChecked());
    QVERIFY(!part<QCheckBox>(w, "cbox_sum")->isChecked());
    QVERIFY(!w.testAttribute(Qt::WA_DeleteOnClose)); // main owns the window

    // The combo box's first selection happens before the wiring: no source
    // was switched while the window was built.
    for (const char *word : {"ORCL ", "traffic ", "earthquake "})
        QVERIFY2(!capture.lines().contains(QLatin1String(word)), word);
}

void TestMainWin::metaObjectTable()
{
    const QMetaObject &meta = MainWin::staticMetaObject;
    QCOMPARE(meta.className(), "MainWin");
    QCOMPARE(meta.superClass(), &QMainWindow::staticMetaObject);
    QCOMPARE(meta.methodOffset(), QMainWindow::staticMetaObject.methodCount());
    QCOMPARE(meta.propertyCount(), meta.propertyOffset());
    QCOMPARE(meta.enumeratorCount(), meta.enumeratorOffset());
    QCOMPARE(meta.classInfoCount(), meta.classInfoOffset());

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
        if (i > 0)
            QCOMPARE(method.access(), QMetaMethod::Public);
    }
}

void TestMainWin::connections()
{
    MainWin w;
    // Exactly the nine, in the order they are made; the form's own
    // auto-connection adds none.
    QCOMPARE(incomingSenders(w),
             QStringList({"pbt_launch", "cbox_sum", "rbt_noEvo", "rbt_evo", "pbt_remove",
                          "pbt_save", "pbt_refresh", "listView", "dataSourceComBox"}));

    // Each reaches its own slot: disconnecting succeeds only for a connection
    // that exists.
    const auto button = [&w](const char *name) { return part<QAbstractButton>(w, name); };
    QVERIFY(QObject::disconnect(part<QComboBox>(w, "dataSourceComBox"),
                                &QComboBox::currentIndexChanged, &w, &MainWin::dataSourceSwitched));
    QVERIFY(QObject::disconnect(part<QListView>(w, "listView"), &QAbstractItemView::clicked, &w,
                                &MainWin::onListSelected));
    QVERIFY(QObject::disconnect(button("pbt_refresh"), &QAbstractButton::clicked, &w,
                                &MainWin::onRefresh));
    QVERIFY(
        QObject::disconnect(button("pbt_save"), &QAbstractButton::clicked, &w, &MainWin::onSave));
    QVERIFY(QObject::disconnect(button("pbt_remove"), &QAbstractButton::clicked, &w,
                                &MainWin::onRemove));
    QVERIFY(
        QObject::disconnect(button("rbt_evo"), &QAbstractButton::clicked, &w, &MainWin::onRbtEvo));
    QVERIFY(QObject::disconnect(button("rbt_noEvo"), &QAbstractButton::clicked, &w,
                                &MainWin::onRbtNoEvo));
    QVERIFY(
        QObject::disconnect(button("cbox_sum"), &QAbstractButton::clicked, &w, &MainWin::onCBox));
    QVERIFY(QObject::disconnect(button("pbt_launch"), &QAbstractButton::clicked, &w,
                                &MainWin::onLaunchClicked));
    QVERIFY(incomingSenders(w).isEmpty());
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

    QTest::newRow("traffic") << "1"
                             << "Traffic_no_Evo_no_Sum.txt" << QStringList{"traffic "};
    QTest::newRow("earthquake") << "2"
                                << "Earthquake_no_Evo_no_Sum.txt" << QStringList{"earthquake "};
    QTest::newRow("back to ORCL") << "1 0"
                                  << "ORCL_no_Evo_no_Sum.txt" << QStringList{"traffic ", "ORCL "};
    QTest::newRow("evolution") << "evo"
                               << "ORCL_Evo_no_Sum.txt" << QStringList();
    QTest::newRow("evolution again rewrites") << "evo type evo"
                                              << "ORCL_Evo_no_Sum.txt" << QStringList();
    QTest::newRow("no evolution") << "evo noevo"
                                  << "ORCL_no_Evo_no_Sum.txt" << QStringList();
    QTest::newRow("summarization") << "sum"
                                   << "ORCL_no_Evo_with_Sum.txt" << QStringList();
    QTest::newRow("summarization off") << "sum sum"
                                       << "ORCL_no_Evo_no_Sum.txt" << QStringList();
    QTest::newRow("everything on") << "1 evo sum"
                                   << "Traffic_Evo_with_Sum.txt" << QStringList{"traffic "};
    QTest::newRow("options survive a switch")
        << "evo sum 2"
        << "Earthquake_Evo_with_Sum.txt" << QStringList{"earthquake "};
    QTest::newRow("switch replaces a typed name")
        << "type 1"
        << "Traffic_no_Evo_no_Sum.txt" << QStringList{"traffic "};
    QTest::newRow("option replaces a typed name") << "type sum"
                                                  << "ORCL_no_Evo_with_Sum.txt" << QStringList();
    QTest::newRow("emptied box keeps the source")
        << "2 type clear"
        << "Earthquake_no_Evo_no_Sum.txt" << QStringList{"earthquake "};
    QTest::newRow("index outside the table") << "1 evo type bad"
                                             << "Traffic_Evo_no_Sum.txt" << QStringList{"traffic "};
}

void TestMainWin::planOptions()
{
    QFETCH(QString, steps);
    QFETCH(QString, name);
    QFETCH(QStringList, words);

    MainWin w;
    auto *combo = part<QComboBox>(w, "dataSourceComBox");
    auto *field = part<QLineEdit>(w, "lEditSaveFileName");
    const QStringList parameters{"1000", "100", "0.02", "10"};
    DebugCapture capture;
    for (const QString &step : steps.split(' ')) {
        bool isIndex = false;
        const int index = step.toInt(&isIndex);
        if (isIndex)
            combo->setCurrentIndex(index);
        else if (step == "evo")
            part<QAbstractButton>(w, "rbt_evo")->click();
        else if (step == "noevo")
            part<QAbstractButton>(w, "rbt_noEvo")->click();
        else if (step == "sum")
            part<QAbstractButton>(w, "cbox_sum")->click();
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
    QCOMPARE(capture.lines(), words);

    // Only the name follows the options: the parameters keep their values.
    QCOMPARE(QStringList({part<QLineEdit>(w, "editWindowSize")->text(),
                          part<QLineEdit>(w, "editSlideSize")->text(),
                          part<QLineEdit>(w, "editRangeThres")->text(),
                          part<QLineEdit>(w, "editCountThres")->text()}),
             parameters);
    const bool evo = !name.contains("no_Evo");
    QCOMPARE(part<QRadioButton>(w, "rbt_evo")->isChecked(), evo);
    QCOMPARE(part<QRadioButton>(w, "rbt_noEvo")->isChecked(), !evo);
}

void TestMainWin::flagsFollowClicksOnly()
{
    MainWin w;
    auto *field = part<QLineEdit>(w, "lEditSaveFileName");
    auto *sum = part<QCheckBox>(w, "cbox_sum");
    auto *evo = part<QRadioButton>(w, "rbt_evo");

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

void TestMainWin::nameChangeRepaintsAtOnce()
{
    MainWin w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
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
    w.installEventFilter(&counter);
    // No event loop runs between the click and the check: only a synchronous
    // repaint can have painted the window.
    part<QAbstractButton>(w, "cbox_sum")->click();
    QVERIFY(counter.paints > 0);
}

void TestMainWin::dataSourceTable()
{
    // The values a plan is built from, which the window keeps to itself.
    const auto orcl = dataSourceAt(0);
    const auto traffic = dataSourceAt(1);
    const auto earthquake = dataSourceAt(2);
    QVERIFY(orcl && traffic && earthquake);
    QCOMPARE(orcl->sourceRef, QStringLiteral("data/ORCL.txt"));
    QCOMPARE(traffic->sourceRef, QStringLiteral("RealTraffic"));
    QCOMPARE(earthquake->sourceRef, QStringLiteral("RealEarthquake"));
    QVERIFY(!dataSourceAt(-1));
    QVERIFY(!dataSourceAt(3));
}

void TestMainWin::refreshListAndEmptySlotsChangeNothing()
{
    MainWin w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto *list = part<QListView>(w, "listView");
    const QStringList before = snapshot(w, *ws);
    DebugCapture capture;

    part<QAbstractButton>(w, "pbt_refresh")->click();
    if (list->model() && list->model()->rowCount() > 0) {
        const QModelIndex first = list->model()->index(0, 0);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(first).center());
        QCOMPARE(list->currentIndex(), first); // the click did reach the list
    } else {
        QVERIFY(QMetaObject::invokeMethod(&w, "onListSelected", Q_ARG(QModelIndex, {})));
    }
    QVERIFY(QMetaObject::invokeMethod(&w, "updateAllViews"));
    QVERIFY(QMetaObject::invokeMethod(&w, "sigUpdateAllViews"));
    QTest::qWait(50);

    QCOMPARE(snapshot(w, *ws), before);
    QCOMPARE(capture.lines(), QStringList());
    QCOMPARE(boxes->boxes().size(), 0);
}

void TestMainWin::missingLibraryStillStarts()
{
    QVERIFY(QFile::remove(ws->libraryPath()));
    {
        MainWin w;
        QCOMPARE(part<QLineEdit>(w, "lEditSaveFileName")->text(),
                 QStringLiteral("ORCL_no_Evo_no_Sum.txt"));
        part<QComboBox>(w, "dataSourceComBox")->setCurrentIndex(2);
        QCOMPARE(part<QLineEdit>(w, "lEditSaveFileName")->text(),
                 QStringLiteral("Earthquake_no_Evo_no_Sum.txt"));
    }
    QVERIFY(!QFile::exists(ws->libraryPath())); // never created
}

void TestMainWin::teardown()
{
    auto w = std::make_unique<MainWin>();
    QPointer<QWidget> list = part(*w, "listView");
    QPointer<QAbstractItemModel> model = part<QListView>(*w, "listView")->model();
    const QByteArray library = ws->libraryBytes();

    // Closing the only window ends the event loop, as it ends the program.
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    QTimer::singleShot(0, w.get(), &QWidget::close);
    QTimer guard; // bounds the wait should the loop not end
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    guard.start(5000);
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(list); // closing does not destroy the window

    w.reset();
    QVERIFY(!list);
    QVERIFY(!model); // the list model goes with the window
    QCOMPARE(ws->libraryBytes(), library);
    QCOMPARE(boxes->boxes().size(), 0);
}

QTEST_MAIN(TestMainWin)
#include "tst_mainwin.moc"
