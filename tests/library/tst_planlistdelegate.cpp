// The plan list's caching delegate must show exactly what the default one
// shows: the same pixels and the same scroll ranges, also after the list,
// the font or the style sheet changed under a filled cache.

#include "library/planlistdelegate.h"

#include <QListView>
#include <QScrollBar>
#include <QStringListModel>
#include <QtTest>

namespace {

struct Shot
{
    QImage image;
    int horizontalRange = 0;
    int verticalRange = 0;
};

Shot shoot(QListView &view, QAbstractItemDelegate *delegate)
{
    view.setItemDelegate(delegate);
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(); // the delayed layout of the rows
    return {view.grab().toImage(), view.horizontalScrollBar()->maximum(),
            view.verticalScrollBar()->maximum()};
}

} // namespace

class TestPlanListDelegate : public QObject
{
    Q_OBJECT

private slots:
    void showsWhatTheDefaultDelegateShows_data();
    void showsWhatTheDefaultDelegateShows();
};

void TestPlanListDelegate::showsWhatTheDefaultDelegateShows_data()
{
    QTest::addColumn<QString>("change");
    QTest::newRow("none") << QString();
    QTest::newRow("list replaced") << QStringLiteral("list");
    QTest::newRow("larger font") << QStringLiteral("font");
    QTest::newRow("style sheet") << QStringLiteral("sheet");
    QTest::newRow("second style sheet") << QStringLiteral("sheet twice");
}

void TestPlanListDelegate::showsWhatTheDefaultDelegateShows()
{
    QFETCH(QString, change);
    QStringList names = {QStringLiteral("a.txt"), QString(), QString(124, QLatin1Char('w')),
                         QStringLiteral(" two  spaces .txt"), QStringLiteral("a.txt")};
    for (int i = 0; i < 20; ++i)
        names << QStringLiteral("plan_%1.txt").arg(i);
    QStringListModel model(names);
    QListView view;
    view.resize(300, 200);
    view.setModel(&model);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view, 5000));
    auto *plain = new QStyledItemDelegate(&view);
    auto *cached = new PlanListDelegate(&view);

    Shot expected = shoot(view, plain);
    Shot seen = shoot(view, cached); // fills the cache
    if (!change.isEmpty()) {
        if (change == QLatin1String("list")) {
            names.removeAt(3);
            names.insert(1, QString(150, QLatin1Char('m')));
            model.setStringList(names);
        } else if (change == QLatin1String("font")) {
            QFont font = view.font();
            font.setPointSize(font.pointSize() + 6);
            view.setFont(font);
        } else {
            view.setStyleSheet(QStringLiteral("QListView::item { padding: 3px; }"));
            if (change == QLatin1String("sheet twice")) {
                shoot(view, cached);
                view.setStyleSheet(QStringLiteral("QListView::item { padding: 9px 1px; }"));
            }
        }
        seen = shoot(view, cached);
        expected = shoot(view, plain);
    }
    QVERIFY(expected.horizontalRange > 0); // the long name is reachable
    QVERIFY(expected.verticalRange > 0);
    QCOMPARE(seen.horizontalRange, expected.horizontalRange);
    QCOMPARE(seen.verticalRange, expected.verticalRange);
    QVERIFY(seen.image == expected.image);
}

QTEST_MAIN(TestPlanListDelegate)
#include "tst_planlistdelegate.moc"
