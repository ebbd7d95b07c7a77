// How long the operator waits for the panel with libraries of 0 to 1 000 000
// plans: from start-up to a shown, painted window, and for one Save and one
// Remove through the window's buttons. QtTest does the timing and the
// statistics: run with -median N or -callgrind (see README.md).

#include "testsupport.h"

#include <vector>

namespace {

const QString kPlanFolder = "torvik_stream_query_engine/queryplan/";
// Saved plans listed after the library's own, so that every Remove iteration
// has one to remove; more than the iterations QtTest needs to time 50 ms.
constexpr int kSpare = 400;

// "plan0.txt" on: a million of them stay below the library's 16 MiB.
QStringList names(const QString &prefix, int count)
{
    QStringList list;
    for (int i = 0; i < count; ++i)
        list << prefix + QString::number(i) + ".txt";
    return list;
}

QByteArray library(const QStringList &plans)
{
    QByteArray text =
        "# query engine library\r\nNumberOfQueriesInLibrary=" + QByteArray::number(plans.size());
    for (const QString &plan : plans)
        text += "\r\n" + plan.toLatin1();
    return text;
}

// The window finds its files from the workspace's panel folder, and QtTest's
// -callgrind reads its counts from the folder the program started in when a
// measurement ends: each iteration enters the workspace and leaves it again.
struct InWorkspace
{
    explicit InWorkspace(const TestWorkspace &workspace)
        : previous(workspace.previous)
    {
        QDir::setCurrent(workspace.path("panel"));
    }
    ~InWorkspace() { QDir::setCurrent(previous); }
    const QString previous;
};

template<typename Widget> Widget *find(const Panel &panel, const char *name = nullptr)
{
    return panel.window->findChild<Widget *>(name);
}

int rows(const Panel &panel)
{
    return find<QListView>(panel)->model()->rowCount();
}

int planFiles(const TestWorkspace &workspace)
{
    return int(QDir(workspace.path(kPlanFolder)).entryList(QDir::Files).size());
}

// Shows the window and waits for its first paint, which the offscreen
// platform does when it exposes the window.
bool shown(const Panel &panel)
{
    panel.window->show();
    return QTest::qWaitForWindowExposed(panel.window.get());
}

void sizes()
{
    QTest::addColumn<int>("plans");
    for (int plans : {0, 1000, 10000, 100000, 1000000})
        QTest::addRow("%d plans", plans) << plans;
}

} // namespace

class PanelBench : public QObject
{
    Q_OBJECT

private slots:
    void startup_data() { sizes(); }
    void startup()
    {
        QFETCH(int, plans);
        const TestWorkspace workspace(library(names("plan", plans)));
        // Closed after the loop: closing is not part of the start-up.
        std::vector<std::unique_ptr<Panel>> panels;
        QBENCHMARK {
            const InWorkspace inside(workspace);
            panels.push_back(std::make_unique<Panel>());
            QVERIFY(shown(*panels.back()));
        }
        for (const auto &panel : panels) {
            QVERIFY(panel->boxes.isEmpty());
            QCOMPARE(rows(*panel), plans);
        }
    }

    // Each iteration saves a plan under a new name; the library grows by one.
    void save_data() { sizes(); }
    void save()
    {
        QFETCH(int, plans);
        const TestWorkspace workspace(library(names("plan", plans)));
        Panel panel;
        QVERIFY(shown(panel));
        auto *name = find<QLineEdit>(panel, "lEditSaveFileName");
        auto *save = find<QPushButton>(panel, "pbt_save");
        int saved = 0;
        QBENCHMARK {
            const InWorkspace inside(workspace);
            name->setText("saved_" + QString::number(saved++) + ".txt");
            save->click();
            // What the click queued (list layout, repaints) is part of the wait.
            QCoreApplication::processEvents();
        }
        QVERIFY(panel.boxes.isEmpty());
        QCOMPARE(rows(panel), plans + saved);
        QCOMPARE(planFiles(workspace), saved);
    }

    // Each iteration selects the last saved plan and removes it.
    void remove_data() { sizes(); }
    void remove()
    {
        QFETCH(int, plans);
        const QStringList spare = names("saved_", kSpare);
        const TestWorkspace workspace(library(names("plan", plans) + spare));
        for (const QString &plan : spare)
            writeBytes(workspace.path(kPlanFolder + plan), "dim_3_no_sum\r\n");
        Panel panel;
        QVERIFY(shown(panel));
        auto *list = find<QListView>(panel);
        auto *remove = find<QPushButton>(panel, "pbt_remove");
        int removed = 0;
        QBENCHMARK {
            const InWorkspace inside(workspace);
            list->setCurrentIndex(list->model()->index(plans + kSpare - ++removed, 0));
            remove->click();
            QCoreApplication::processEvents();
        }
        QVERIFY(panel.boxes.isEmpty());
        QCOMPARE(rows(panel), plans + kSpare - removed);
        QCOMPARE(planFiles(workspace), kSpare - removed);
    }
};

QTEST_MAIN(PanelBench)
#include "panel_bench.moc"
