// The composer's rules without a window: template choice outside the table,
// the plan-name check, the parameter checks and the templates refused.

#include "app/messages.h"
#include "composer/plantemplate.h"

#include <QtTest>

namespace {

const QByteArray allPlaceholders =
    QByteArrayLiteral("s=??SourceName\r\nid=??SchemaId\r\nmode=??outputmode\r\nw=??windowSize\r\n"
                      "sl=??slideSize\r\nr=??rangeThreshold\r\nc=??countThreshold\r\n");

} // namespace

class TestPlanTemplate : public QObject
{
    Q_OBJECT

private slots:
    void templateChoiceOutsideTable();
    void planName_data();
    void planName();
    void everyUnicodeSpaceIsRefused();
    void parameters_data();
    void parameters();
    void substitutionRefusals();
};

// The three rows are checked end to end, through the plans they produce.
void TestPlanTemplate::templateChoiceOutsideTable()
{
    for (const int index : {-1, 3}) {
        const TemplateChoice noSum = templateChoice(index, false);
        QCOMPARE(noSum.fileName, QStringLiteral("_no_sum.txt"));
        QVERIFY(!noSum.schemaId);
        QCOMPARE(templateChoice(index, true).fileName, QStringLiteral("_sum.txt"));
    }
}

void TestPlanTemplate::planName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("problem");
    const int none = int(PlanNameProblem::None);
    const int special = int(PlanNameProblem::SpecialCharacter);
    const int notPlain = int(PlanNameProblem::NotPlain);

    QTest::newRow("suggested") << "ORCL_no_Evo_no_Sum.txt" << none;
    QTest::newRow("other punctuation") << "a-b_c+d(1)[2]{3}~,;='.txt" << none;
    for (const char c : QByteArrayLiteral("!@#$%^&*"))
        QTest::newRow(qPrintable(QStringLiteral("special %1").arg(c)))
            << QStringLiteral("a%1b").arg(c) << special;
    QTest::newRow("tab") << "a\tb" << special;
    QTest::newRow("no-break space") << QStringLiteral("a\u00a0b") << special;
    QTest::newRow("special before slash") << "a\tb/c" << special;
    // Line ends, path characters, NUL, other scripts and the accepted odd
    // names: see the hostile name tests.
    QTest::newRow("slash") << "sub/x" << notPlain;
#ifdef Q_OS_WIN
    QTest::newRow("drive") << "c:x" << notPlain;
#endif
}

void TestPlanTemplate::planName()
{
    QFETCH(QString, name);
    QFETCH(int, problem);
    QCOMPARE(int(planNameProblem(name)), problem);
}

void TestPlanTemplate::everyUnicodeSpaceIsRefused()
{
    for (char16_t u = 1; u < 0xffff; ++u) {
        const QChar c(u);
        if (c.isSpace())
            QVERIFY2(planNameProblem(QString(c)) == PlanNameProblem::SpecialCharacter,
                     qPrintable(QString::number(u, 16)));
    }
}

void TestPlanTemplate::parameters_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("slide");
    QTest::addColumn<QString>("range");
    QTest::addColumn<QString>("count");
    QTest::addColumn<QString>("problem"); // empty: accepted
    // The four fields, joined by "|".
    const auto row = [](const char *name, const QString &fields, const QString &problem = {}) {
        const QStringList f = fields.split(u'|');
        QTest::newRow(name) << f[0] << f[1] << f[2] << f[3] << problem;
    };

    row("defaults", "1000|100|0.02|10");
    row("just below the bounds", "100|99|1|99");
    row("range 0", "100|10|0|10");
    // Numbers first, before any other check
    row("letters", "abc|100|0.02|10", Msg::onlyNumbersText);
    row("fraction", "1.5|1|0.02|1", Msg::onlyNumbersText);
    row("empty window", "|100|0.02|10", Msg::onlyNumbersText);
    row("empty count", "1000|100|0.02|", Msg::onlyNumbersText);
    row("beyond 32 bits", "2147483648|100|0.02|10", Msg::onlyNumbersText);
    row("ideographic space",
        QStringLiteral("1000|\u3000"
                       "100|0.02|10"),
        Msg::onlyNumbersText);
    row("numbers run first", "0|0|2|x", Msg::onlyNumbersText);
    // Slide below window before positive sizes: equality fails
    row("slide equals window", "100|100|0.02|10", Msg::slideBelowWindowText);
    row("slide above window", "100|101|0.02|10", Msg::slideBelowWindowText);
    row("both zero", "0|0|0.02|10", Msg::slideBelowWindowText);
    row("slide zero", "5|0|0.02|1", Msg::sizesPositiveText);
    // Range: bounds included, NaN and infinities refused
    row("range above 1", "100|10|1.5|10", Msg::rangeBoundsText);
    row("range below 0", "100|10|-0.1|10", Msg::rangeBoundsText);
    row("range nan", "100|10|nan|10", Msg::rangeBoundsText);
    row("range inf", "100|10|inf|10", Msg::rangeBoundsText);
    row("count equals window", "100|10|0.02|100", Msg::countBelowWindowText);
    row("count zero", "1000|100|0.02|0", Msg::countPositiveText);
}

void TestPlanTemplate::parameters()
{
    QFETCH(QString, window);
    QFETCH(QString, slide);
    QFETCH(QString, range);
    QFETCH(QString, count);
    QFETCH(QString, problem);
    QCOMPARE(parameterProblem({window, slide, range, count}).value_or(QString()), problem);
}

void TestPlanTemplate::substitutionRefusals()
{
    const PlanInputs inputs{
        QStringLiteral("RealTraffic"),
        QStringLiteral("20"),
        false,
        {QStringLiteral("100"), QStringLiteral("100"), QStringLiteral("0.1"), QStringLiteral("1")}};

    // Refused parameters: only the source has been filled in.
    QByteArray text = allPlaceholders;
    SubstitutionResult result = substitutePlan(text, inputs);
    QCOMPARE(result.parameterProblem.value_or(QString()), Msg::slideBelowWindowText);
    QByteArray expected = allPlaceholders;
    expected.replace("??SourceName", "RealTraffic");
    QCOMPARE(text, expected);

    // A value that joins the text before it into another placeholder: a search
    // from the start would fill that one and leave the real one in the plan.
    text = QByteArrayLiteral("??SchemaI??SourceName ??SchemaId ??outputmode ??windowSize "
                             "??slideSize ??rangeThreshold ??countThreshold");
    result = substitutePlan(text,
                            {QStringLiteral("data/ORCL.txt"),
                             QStringLiteral("1"),
                             false,
                             {QStringLiteral("1000"), QStringLiteral("100"), QStringLiteral("0.02"),
                              QStringLiteral("10")}});
    QCOMPARE(result.joinedPlaceholder.value_or(QByteArray()), QByteArrayLiteral("??SchemaId"));
    QVERIFY(!result.done());

    // A template without one of the seven is left untouched, whatever the
    // parameters.
    for (const QByteArray &placeholder : planPlaceholders()) {
        QByteArray lacking = allPlaceholders;
        lacking.replace(placeholder, "");
        text = lacking;
        result = substitutePlan(text, inputs);
        QCOMPARE(result.missingPlaceholder.value_or(QByteArray()), placeholder);
        QCOMPARE(text, lacking);
    }
}

QTEST_APPLESS_MAIN(TestPlanTemplate)
#include "tst_plantemplate.moc"
