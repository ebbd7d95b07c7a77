#include "composer/plantemplate.h"

#include "app/messages.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

struct TemplateRow
{
    const char *dimensionWord;
    const char *schemaId;
};

// ORCL and Traffic share the three-dimension templates.
constexpr std::array<TemplateRow, 3> templateRows{{
    {"dim_3", "1"},
    {"dim_3", "20"},
    {"dim_4", "23"},
}};

// Whatever Latin-1 cannot hold would reach a file as "?".
bool isLatin1(const QString &text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() <= 0xff; });
}

// Characters that make the file on disk differ from the name: a path
// separator leaves the plan folder, and a NUL cuts the name short.
bool hasUnsafeCharacter(const QString &name)
{
    if (name.contains(u'/') || name.contains(u'\\') || name.contains(QChar(0)))
        return true;
#ifdef Q_OS_WIN
    if (name.contains(u':'))
        return true;
#endif
    return false;
}

} // namespace

TemplateChoice templateChoice(int sourceIndex, bool withSum)
{
    TemplateChoice choice;
    if (sourceIndex >= 0 && sourceIndex < int(templateRows.size())) {
        const TemplateRow &row = templateRows[std::size_t(sourceIndex)];
        choice.dimensionWord = QString::fromLatin1(row.dimensionWord);
        choice.schemaId = QString::fromLatin1(row.schemaId);
    }
    choice.fileName = choice.dimensionWord + u'_'
        + (withSum ? QStringLiteral("sum") : QStringLiteral("no_sum")) + QStringLiteral(".txt");
    return choice;
}

PlanNameProblem planNameProblem(const QString &name)
{
    // Unicode properties make \s mean every character that QChar::isSpace()
    // calls white space, the no-break and ideographic spaces included.
    static const QRegularExpression forbidden(QStringLiteral("[\\s!@#$%^&*]"),
                                              QRegularExpression::UseUnicodePropertiesOption);
    if (name.contains(forbidden))
        return PlanNameProblem::SpecialCharacter;
    // A name that Latin-1 cannot hold would be listed in the library under
    // another name.
    if (hasUnsafeCharacter(name) || !isLatin1(name))
        return PlanNameProblem::NotPlain;
    return PlanNameProblem::None;
}

std::optional<QString> parameterProblem(const PlanParameters &parameters)
{
    bool windowOk = false;
    bool slideOk = false;
    bool rangeOk = false;
    bool countOk = false;
    const int window = parameters.windowSize.toInt(&windowOk, 10);
    const int slide = parameters.slideSize.toInt(&slideOk, 10);
    const double range = parameters.rangeThreshold.toDouble(&rangeOk);
    const int count = parameters.countThreshold.toInt(&countOk, 10);
    // The texts go into the plan as Latin-1, so they must survive it; the
    // conversions alone would skip, for example, an ideographic space.
    const bool latin1 = isLatin1(parameters.windowSize) && isLatin1(parameters.slideSize)
        && isLatin1(parameters.rangeThreshold) && isLatin1(parameters.countThreshold);

    if (!(windowOk && slideOk && rangeOk && countOk && latin1))
        return Msg::onlyNumbersText;
    if (slide >= window)
        return Msg::slideBelowWindowText;
    if (window < 1 || slide < 1)
        return Msg::sizesPositiveText;
    // Written so that NaN fails too.
    if (!(range >= 0.0 && range <= 1.0))
        return Msg::rangeBoundsText;
    if (count >= window)
        return Msg::countBelowWindowText;
    if (count < 1)
        return Msg::countPositiveText;
    return std::nullopt;
}

const std::array<QByteArray, 7> &planPlaceholders()
{
    static const std::array<QByteArray, 7> placeholders{
        QByteArrayLiteral("??SourceName"),     QByteArrayLiteral("??SchemaId"),
        QByteArrayLiteral("??outputmode"),     QByteArrayLiteral("??windowSize"),
        QByteArrayLiteral("??slideSize"),      QByteArrayLiteral("??rangeThreshold"),
        QByteArrayLiteral("??countThreshold"),
    };
    return placeholders;
}

std::optional<QByteArray> missingPlaceholder(const QByteArray &text)
{
    for (const QByteArray &placeholder : planPlaceholders()) {
        if (!text.contains(placeholder))
            return placeholder;
    }
    return std::nullopt;
}

void replaceAt(QByteArray &text, qsizetype position, qsizetype length, const QString &value)
{
    if (position < 0 || length < 0 || position > text.size() - length)
        return;
    text = text.left(position) + value.toLatin1() + text.mid(position + length);
}

bool replaceFirst(QByteArray &text, const QByteArray &placeholder, const QString &value)
{
    const qsizetype position = text.indexOf(placeholder);
    if (position < 0)
        return false;
    replaceAt(text, position, placeholder.size(), value);
    return true;
}

SubstitutionResult fillParameters(QByteArray &text, const QByteArray &original,
                                  const PlanInputs &inputs)
{
    SubstitutionResult result;
    result.parameterProblem = parameterProblem(inputs.parameters);
    if (result.parameterProblem)
        return result;
    const std::array<QString, 6> values{
        inputs.schemaId,
        inputs.withEvo ? QStringLiteral("1") : QStringLiteral("0"),
        inputs.parameters.windowSize,
        inputs.parameters.slideSize,
        inputs.parameters.rangeThreshold,
        inputs.parameters.countThreshold,
    };
    const auto &placeholders = planPlaceholders();
    for (std::size_t i = 0; i < values.size(); ++i)
        replaceFirst(text, placeholders[i + 1], values[i]);
    for (const QByteArray &placeholder : placeholders) {
        if (text.count(placeholder) != original.count(placeholder) - 1) {
            result.joinedPlaceholder = placeholder;
            break;
        }
    }
    return result;
}

SubstitutionResult substitutePlan(QByteArray &text, const PlanInputs &inputs)
{
    if (const auto missing = missingPlaceholder(text)) {
        SubstitutionResult result;
        result.missingPlaceholder = missing;
        return result;
    }
    const QByteArray original = text;
    replaceFirst(text, planPlaceholders()[0], inputs.sourceRef);
    return fillParameters(text, original, inputs);
}
