// Save through the real window: the plan file's bytes for each choice of
// template, the registration, and the boxes of the parameter checks. Hostile
// names and failing files are in the robustness tests.

#include "app/messages.h"
#include "testsupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QtTest>

namespace {

const QString startName = QStringLiteral("ORCL_no_Evo_no_Sum.txt");

// The demo template with each placeholder replaced by hand; the first three
// values are given, the parameters are the form's defaults.
QByteArray expectedPlan(const QString &templateName, const QStringList &firstValues)
{
    const QStringList values = firstValues + QStringList{"1000", "100", "0.02", "10"};
    const QList<QByteArray> placeholders{"??SourceName",    "??SchemaId",  "??outputmode",
                                         "??windowSize",    "??slideSize", "??rangeThreshold",
                                         "??countThreshold"};
    QByteArray plan =
        readBytes(PANEL_DEMO_DIR "/torvik_stream_query_engine/template/" + templateName);
    for (int i = 0; i < placeholders.size(); ++i) {
        if (plan.count(placeholders[i]) != 1)
            return "demo template lacks " + placeholders[i];
        plan.replace(placeholders[i], values[i].toLatin1());
    }
    return plan;
}

QByteArray startPlan()
{
    return expectedPlan(QStringLiteral("dim_3_no_sum.txt"), {"data/ORCL.txt", "1", "0"});
}

QString debugForm(const QByteArray &bytes)
{
    QString line;
    QDebug(&line) << bytes;
    return line.trimmed();
}

} // namespace

class TestSave : public QObject
{
    Q_OBJECT

private slots:
    void startState();
    void templateChoice_data();
    void templateChoice();
    void parameterRefused();
};

void TestSave::startState()
{
    Workspace ws;
    QVERIFY(ws.isValid());
    Panel s;
    s.debug.clear();
    s.save();

    QCOMPARE(s.seen(), QStringList());
    QCOMPARE(ws.planFiles(), QStringList{startName});
    QCOMPARE(readBytes(ws.planPath(startName)), startPlan());
    QCOMPARE(s.widget<QLineEdit>("lEditSaveFileName")->text(), startName);

    QByteArray afterSource = readBytes(ws.templatePath("dim_3_no_sum.txt"));
    afterSource.replace("??SourceName", "data/ORCL.txt");
    const QStringList lines = s.debug.lines();
    const qsizetype first =
        lines.indexOf(debugForm("../torvik_stream_query_engine/template/dim_3_no_sum.txt"));
    QVERIFY2(first >= 0, qPrintable(lines.join(u'\n')));
    QCOMPARE(lines.mid(first, 4),
             (QStringList{lines[first], QStringLiteral("templateFile exists  true"),
                          debugForm(afterSource), debugForm(startPlan()) + " \ntest"}));

    // Registered: listed last in the file and the list view.
    QVERIFY2(ws.libraryBytes().endsWith("NumberOfQueriesInLibrary=1\r\n" + startName.toLatin1()),
             ws.libraryBytes().constData());
    QCOMPARE(s.listed(), QStringList{startName});

    // A second Save never overwrites and changes nothing.
    const TreeImage before = treeImage(ws.root());
    s.save();
    QCOMPARE(s.seen(), QStringList{boxLine(Msg::fileExistsTitle, Msg::fileExistsText)});
    QCOMPARE(treeDifferences(before, treeImage(ws.root())), QStringList());
    QCOMPARE(s.listed(), QStringList{startName});
}

void TestSave::templateChoice_data()
{
    QTest::addColumn<int>("source");
    QTest::addColumn<int>("sum"); // 1 clicked, 2 checked without a click
    QTest::addColumn<bool>("evo");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("templateName");
    QTest::addColumn<QStringList>("values");

    QTest::newRow("ORCL, sum") << 0 << 1 << false << "ORCL_no_Evo_with_Sum.txt"
                               << "dim_3_sum.txt" << QStringList{"data/ORCL.txt", "1", "0"};
    QTest::newRow("Traffic") << 1 << 0 << false << "Traffic_no_Evo_no_Sum.txt"
                             << "dim_3_no_sum.txt" << QStringList{"RealTraffic", "20", "0"};
    QTest::newRow("Traffic, sum, evo") << 1 << 1 << true << "Traffic_Evo_with_Sum.txt"
                                       << "dim_3_sum.txt" << QStringList{"RealTraffic", "20", "1"};
    QTest::newRow("Earthquake") << 2 << 0 << false << "Earthquake_no_Evo_no_Sum.txt"
                                << "dim_4_no_sum.txt" << QStringList{"RealEarthquake", "23", "0"};
    QTest::newRow("Earthquake, sum, evo")
        << 2 << 1 << true << "Earthquake_Evo_with_Sum.txt"
        << "dim_4_sum.txt" << QStringList{"RealEarthquake", "23", "1"};
    // The template follows the check box itself, not the suggested name.
    QTest::newRow("box checked quietly") << 0 << 2 << false << startName << "dim_3_sum.txt"
                                         << QStringList{"data/ORCL.txt", "1", "0"};
}

void TestSave::templateChoice()
{
    QFETCH(int, source);
    QFETCH(int, sum);
    QFETCH(bool, evo);
    QFETCH(QString, name);
    QFETCH(QString, templateName);
    QFETCH(QStringList, values);
    Workspace ws;
    QVERIFY(ws.isValid());
    Panel s;
    s.widget<QComboBox>("dataSourceComBox")->setCurrentIndex(source);
    if (sum == 1)
        s.widget<QCheckBox>("cbox_sum")->click();
    else if (sum == 2)
        s.widget<QCheckBox>("cbox_sum")->setChecked(true);
    if (evo)
        s.widget<QRadioButton>("rbt_evo")->click();
    s.save();

    QCOMPARE(s.seen(), QStringList());
    QCOMPARE(ws.planFiles(), QStringList{name});
    QCOMPARE(readBytes(ws.planPath(name)), expectedPlan(templateName, values));
}

// A refused parameter shows its box and leaves the disk as it was.
void TestSave::parameterRefused()
{
    Workspace ws;
    QVERIFY(ws.isValid());
    Panel s;
    s.widget<QLineEdit>("editCountThres")->setText(QStringLiteral("1001"));
    const TreeImage before = treeImage(ws.root());
    s.save();
    QCOMPARE(s.seen(), QStringList{boxLine(Msg::parameterErrorTitle, Msg::countBelowWindowText)});
    QCOMPARE(treeDifferences(before, treeImage(ws.root())), QStringList());
}

QTEST_MAIN(TestSave)
#include "tst_save.moc"
