// The composer's rules without a window: the plan-name check, the parameter
// checks and filling in a template. A row lists the cases with one outcome.

#include "composer/datasources.h"
#include "composer/plantemplate.h"

#include <QtTest>

using P = ParameterProblem;

class TestPlanTemplate : public QObject
{
    Q_OBJECT

private slots:
    void planName_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<PlanNameProblem>("problem");
        QTest::newRow("plain") << QStringList{"ORCL_no_Evo_no_Sum.txt", "a-b_c+(1)[2]{3}~,;='",
                                              "..", "a\x01z\x7f"}
                               << PlanNameProblem::None;
        QTest::newRow("special, before the rest")
            << QStringList{"!/", "@/", "#/",  "$/",    "%/",      "^/",      "&/",
                           "*/", " /", "\t/", "\r\n/", "\u00a0/", "\u2028/", "\u3000/"}
            << PlanNameProblem::SpecialCharacter;
        QTest::newRow("not plain")
            << QStringList{"../x", "caf\u00e9", "p\U0001F600"} << PlanNameProblem::NotPlain;
    }

    void planName()
    {
        QFETCH(QStringList, names);
        QFETCH(PlanNameProblem, problem);
        for (const QString &name : names)
            QVERIFY2(planNameProblem(name) == problem, qPrintable(name));
    }

    void outsideTheDataSources()
    {
        QVERIFY(!dataSourceAt(-1) && !dataSourceAt(3));
        QCOMPARE(templateChoice(3, true).path, "../torvik_stream_query_engine/template/_sum.txt");
        QVERIFY(!templateChoice(-1, false).schemaId);
    }

    // window|slide|range|count, checked in a fixed order
    void parameters_data()
    {
        QTest::addColumn<QStringList>("cases");
        QTest::addColumn<int>("problem"); // -1: accepted
        QTest::newRow("accepted") << QStringList{"1000|100|0.02|10", "100|99|1|99", "2|1|0|1",
                                                 "2147483647|9| 1e-3|+5"}
                                  << -1;
        QTest::newRow("numbers") << QStringList{"abc|1|0|1",     "1.5|1|0|1", "|1|0|1",
                                                "9|1||1",        "9|1|0|",    "2147483648|1|0|1",
                                                "9|\u30001|0|1", "0|0|2|x"}
                                 << int(P::NotNumbers);
        QTest::newRow("slide") << QStringList{"100|100|0|1", "100|101|0|1", "0|0|0|1"}
                               << int(P::SlideNotBelowWindow);
        QTest::newRow("sizes") << QStringList{"5|0|0|1", "5|-1|0|1"} << int(P::SizesNotPositive);
        QTest::newRow("range") << QStringList{"9|1|1.5|1", "9|1|-0.1|1", "9|1|nan|1", "9|1|inf|1"}
                               << int(P::RangeOutOfBounds);
        QTest::newRow("count") << QStringList{"100|10|0|100"} << int(P::CountNotBelowWindow);
        QTest::newRow("count 0") << QStringList{"100|10|0|0", "9|1|0|-3"}
                                 << int(P::CountNotPositive);
    }

    void parameters()
    {
        QFETCH(QStringList, cases);
        QFETCH(int, problem);
        for (const QString &fields : cases) {
            const QStringList f = fields.split('|');
            const std::optional<P> found = parameterProblem({f[0], f[1], f[2], f[3]});
            QVERIFY2((found ? int(*found) : -1) == problem, qPrintable(fields));
        }
    }

    void filling_data()
    {
        QTest::addColumn<QByteArray>("original");
        QTest::addColumn<QString>("fields");      // window|slide|range|count
        QTest::addColumn<QByteArray>("expected"); // "missing X", "joined X", "refused" or the plan
        const QByteArray seven =
            "a=??SourceName\r\nb=??SchemaId\r\nc=??outputmode\r\nd=??windowSize"
            "\r\ne=??slideSize\r\nf=??rangeThreshold\r\ng=??countThreshold";
        QTest::newRow("all seven") << seven << "1000|100|0.02|10"
                                   << QByteArray("a=data/ORCL.txt\r\nb=20\r\nc=1\r\nd=1000\r\ne=100"
                                                 "\r\nf=0.02\r\ng=10");
        QTest::newRow("only the first")
            << "??windowSize ??slideSize" + seven << "+7| 3|.5|06"
            << QByteArray("+7  3a=data/ORCL.txt\r\nb=20\r\nc=1\r\nd="
                          "??windowSize\r\ne=??slideSize\r\nf=.5\r\ng=06");
        QTest::newRow("refused") << seven << "5|5|0|1" << QByteArray("refused");
        QTest::newRow("joined") << "??SchemaI" + seven.mid(2) << "9|1|0|1"
                                << QByteArray("joined ??SchemaId");
        for (const char *placeholder :
             {"??SourceName", "??SchemaId", "??outputmode", "??windowSize", "??slideSize",
              "??rangeThreshold", "??countThreshold"})
            QTest::newRow(placeholder) << QByteArray(seven).replace(placeholder, "") << "9|1|0|1"
                                       << "missing " + QByteArray(placeholder);
    }

    // As Save fills a template: "??SourceName" first, then the others.
    void filling()
    {
        QFETCH(QByteArray, original);
        QFETCH(QString, fields);
        QFETCH(QByteArray, expected);
        if (const auto missing = missingPlaceholder(original))
            QCOMPARE("missing " + *missing, expected);
        if (missingPlaceholder(original))
            return;
        QByteArray text = original;
        replaceAt(text, text.indexOf("??SourceName"), 12, QStringLiteral("data/ORCL.txt"));
        const QByteArray sourceFilled = text;
        const QStringList f = fields.split('|');
        const SubstitutionResult result =
            fillParameters(text, original, {"20", true, {f[0], f[1], f[2], f[3]}});
        if (result.parameterProblem)
            QCOMPARE(text + "refused", sourceFilled + expected);
        else
            QCOMPARE(result.joinedPlaceholder ? "joined " + *result.joinedPlaceholder : text,
                     expected);
    }
};

QTEST_APPLESS_MAIN(TestPlanTemplate)
#include "tst_plantemplate.moc"
