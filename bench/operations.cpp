#include "benchmark.h"

#include "app/mainwin.h"
#include "testsupport.h"

#include <QAbstractItemModel>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTest>

namespace {

// The time a click takes until the window has handled everything the click
// left queued (list layout, repaints): what the operator waits for.
double timedClick(QPushButton *button)
{
    QElapsedTimer timer;
    timer.start();
    button->click();
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    return timer.nsecsElapsed() / 1e6;
}

int rowCount(const QListView *view)
{
    return view->model() ? view->model()->rowCount() : -1;
}

} // namespace

OperationsRow measureOperations(int plans, int runs)
{
    OperationsRow row;
    const TestWorkspace workspace(libraryWithPlans(plans));
    if (!workspace.dir.isValid()) {
        row.problem = QStringLiteral("no workspace");
        return row;
    }
    struct Panel panel; // records boxes, which would otherwise wait for a click forever
    MainWin &window = *panel.window;
    window.show();
    if (!QTest::qWaitForWindowExposed(&window, 5000)) {
        row.problem = QStringLiteral("window not shown");
        return row;
    }
    auto *nameEdit = window.findChild<QLineEdit *>(QStringLiteral("lEditSaveFileName"));
    auto *save = window.findChild<QPushButton *>(QStringLiteral("pbt_save"));
    auto *remove = window.findChild<QPushButton *>(QStringLiteral("pbt_remove"));
    auto *list = window.findChild<QListView *>(QStringLiteral("listView"));
    if (!nameEdit || !save || !remove || !list) {
        row.problem = QStringLiteral("widgets missing");
        return row;
    }
    if (rowCount(list) != plans) {
        row.problem = QStringLiteral("library not listed at start");
        return row;
    }

    const QString prefix = QStringLiteral("bench_saved_");
    std::vector<double> saveMs;
    bool saveOk = true;
    for (int i = 0; i < runs; ++i) {
        const QString name = prefix + QString::number(i) + QStringLiteral(".txt");
        nameEdit->setText(name);
        saveMs.push_back(timedClick(save));
        saveOk = saveOk && panel.boxes.isEmpty()
            && QFile::exists(workspace.path("torvik_stream_query_engine/queryplan/" + name))
            && rowCount(list) == plans + i + 1;
    }
    row.save = summarize(saveMs, saveOk);
    if (!saveOk) {
        row.problem = QStringLiteral("Save did not write and list the plan");
        return row;
    }

    // Removes the saved plans again, each time the first of them, so that
    // every removal deletes a real plan file.
    std::vector<double> removeMs;
    bool removeOk = true;
    for (int i = 0; i < runs; ++i) {
        const QModelIndex index = list->model()->index(plans, 0);
        const QString name = index.data().toString();
        list->setCurrentIndex(index);
        removeMs.push_back(timedClick(remove));
        removeOk = removeOk && name.startsWith(prefix) && panel.boxes.isEmpty()
            && !QFile::exists(workspace.path("torvik_stream_query_engine/queryplan/" + name))
            && rowCount(list) == plans + runs - i - 1;
    }
    row.remove = summarize(removeMs, removeOk);
    if (!removeOk)
        row.problem = QStringLiteral("Remove did not delete and unlist the plan");
    else if (readBytes(workspace.path("torvik_stream_query_engine/demo.qe_config"))
             != libraryWithPlans(plans))
        row.problem = QStringLiteral("library file differs after saving and removing");
    return row;
}
