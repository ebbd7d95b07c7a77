// The composer's rules without a window: the plan-name check (which leaves
// the plan folder's own names to the "File Exists" box) and the parameter
// checks. Filling in templates is checked through the window, where Save does
// it, and by the fuzz target. A row lists the cases of one outcome.

#include "app/messages.h"
#include "composer/datasources.h"
#include "composer/plantemplate.h"

#include <QtTest>

class TestPlanTemplate : public QObject
{
    Q_OBJECT

private slots:
    void planName()
    {
        const std::pair<QStringList, PlanNameProblem> rows[] = {
            {{"ORCL_no_Evo_no_Sum.txt", "a-b_c+(1)[2]{3}~,;='", "", ".", "..", "a\x01z\x7f"},
             PlanNameProblem::None},
            {{"!/", "@/", "#/", "$/", "%/", "^/", "&/", "*/", " /", "\t/", "\u00a0/", "\u3000/"},
             PlanNameProblem::SpecialCharacter},
            {{"../x", "..\\x", "/etc/passwd", QString(1, QChar(0)), "caf\u00e9", "p\U0001F600"},
             PlanNameProblem::NotPlain}};
        QVERIFY(!dataSourceAt(3) && !templateChoice(3, true).schemaId); // past the table
        for (const auto &[names, problem] : rows)
            for (const QString &name : names)
                QVERIFY2(planNameProblem(name) == problem, qPrintable(name));
    }

    // window|slide|range|count; the checks run in a fixed order, and the
    // first that fails is worded for its box.
    void parameters()
    {
        const std::pair<QStringList, QString> rows[] = {
            {{"100|99|1|99", "2|1|0|1", "2147483647|9| 1e-3|+5"}, ""},
            {{"abc|1|0|1", "1.5|1|0|1", "9|1||1", "2147483648|1|0|1", "9|1|\u30000.5|1", "0|0|2|x"},
             "Only numbers are allowed"},
            {{"100|100|0|1", "100|101|0|1", "0|0|0|1"},
             "Slide size must be smaller than window size"},
            {{"5|0|0|1"}, "window and slide size must be positive numbers"},
            {{"9|1|1.5|1", "9|1|-0.1|1", "9|1|nan|1", "9|1|inf|1"},
             "Range can only be numbers between [0,1]"},
            {{"9|1|0|9"}, "Count must be smaller than window size"},
            {{"9|1|0|0", "9|1|0|-3"}, "Count must be a positive number"}};
        for (const auto &[cases, text] : rows)
            for (const QString &fields : cases) {
                const QStringList f = fields.split('|');
                const auto problem = parameterProblem({f[0], f[1], f[2], f[3]});
                QCOMPARE(problem ? Msg::parameterProblemText(*problem) : "", text);
            }
    }
};

QTEST_APPLESS_MAIN(TestPlanTemplate)
#include "tst_plantemplate.moc"
