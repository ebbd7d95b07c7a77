// The composer's rules without a window: the plan-name rule, which leaves
// the plan folder's own names to the "File Exists" box, and the parameter
// checks in their order. The window test checks the words of their boxes,
// each with a case of its own, which this table does not repeat.

#include "composer/planname.h"
#include "composer/plantemplate.h"

#include <QtTest>

using NameProblem = std::optional<PlanName::Problem>;
using ParameterProblem = std::optional<PlanTemplate::ParameterProblem>;

class TestPlanTemplate : public QObject
{
    Q_OBJECT

private slots:
    void planName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<NameProblem>("problem");
        const auto row = [](const char *tag, const QString &name, NameProblem problem) {
            QTest::newRow(tag) << name << problem;
        };
        using P = PlanName::Problem;
        row("punctuation other than the special characters", "a-b_c+(1)[2]{3}~,;='", {});
        row("a no-break space is white space", "a\u00a0b", P::SpecialCharacter);
        row("a slash leads out of the plan folder", "../x", P::NotPlain);
        row("a backslash leads out of the plan folder", "..\\x", P::NotPlain);
        row("a NUL would cut the name", QString(1, QChar(0)), P::NotPlain);
#ifdef Q_OS_WIN
        row("Latin-1 names the same file on Windows", "caf\u00e9.txt", {});
        row("a device name in small letters with an extension", "lpt9.txt", P::NotPlain);
        row("a colon names another drive's folder", "c:x", P::NotPlain);
#else
        row("control characters are ASCII", "a\x01z\x7f", {});
        row("the first character past ASCII", "a\u0080", P::NotPlain);
#endif
    }

    void planName()
    {
        QFETCH(QString, name);
        QTEST(PlanName::problem(name), "problem");
    }

    void parameters_data()
    {
        QTest::addColumn<PlanTemplate::Parameters>("parameters"); // window, slide, range, count
        QTest::addColumn<ParameterProblem>("problem");
        const auto row = [](const char *tag, const PlanTemplate::Parameters &parameters,
                            ParameterProblem problem) {
            QTest::newRow(tag) << parameters << problem;
        };
        using P = PlanTemplate::ParameterProblem;
        row("slide and count just below the window and range 1 pass", {"100", "99", "1", "99"}, {});
        row("a slide with a fraction", {"9", "1.5", "0", "1"}, P::NotNumbers);
        row("a range after an ideographic space", {"9", "1", "\u30000.5", "1"}, P::NotNumbers);
        row("a count that is no number comes first", {"0", "0", "2", "x"}, P::NotNumbers);
        row("a range that is no number at all", {"9", "1", "nan", "1"}, P::RangeOutOfBounds);
    }

    void parameters()
    {
        QFETCH(PlanTemplate::Parameters, parameters);
        QTEST(PlanTemplate::parameterProblem(parameters), "problem");
    }
};

QTEST_APPLESS_MAIN(TestPlanTemplate)
#include "tst_plantemplate.moc"
