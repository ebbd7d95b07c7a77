#include "composer/plantemplate.h"

#include "workspace/paths.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

bool allBelow(const QString &text, char16_t limit)
{
    return std::all_of(text.cbegin(), text.cend(),
                       [limit](QChar c) { return c.unicode() < limit; });
}

// Whatever Latin-1 cannot hold would reach a file as "?".
bool isLatin1(const QString &text)
{
    return allBelow(text, 0x100);
}

// The library stores a name as Latin-1 bytes, and an engine opens the plan
// by those bytes. Windows names files in UTF-16, where Latin-1 means the same
// file; elsewhere a name goes to disk in the system's encoding (UTF-8), where
// only ASCII does. Windows also keeps device names and names ending in a dot
// or blank from ever naming a file.
bool meansTheSameFileEverywhere(const QString &name)
{
#ifdef Q_OS_WIN
    static const QRegularExpression device(
        QStringLiteral("^(CON|PRN|AUX|NUL|COM[1-9]|LPT[1-9])(\\..*)?$"),
        QRegularExpression::CaseInsensitiveOption);
    return isLatin1(name) && !name.contains(device) && !name.endsWith(u'.') && !name.endsWith(u' ');
#else
    return allBelow(name, 0x80);
#endif
}

void replaceFirst(QByteArray &text, const QByteArray &placeholder, const QString &value)
{
    replaceAt(text, text.indexOf(placeholder), placeholder.size(), value);
}

} // namespace

PlanNameProblem planNameProblem(const QString &name)
{
    // Unicode properties make \s mean every character that QChar::isSpace()
    // calls white space, the no-break and ideographic spaces included.
    static const QRegularExpression forbidden(QStringLiteral("[\\s!@#$%^&*]"),
                                              QRegularExpression::UseUnicodePropertiesOption);
    if (name.contains(forbidden))
        return PlanNameProblem::SpecialCharacter;
    if (Paths::planFolderEntry(name) == Paths::PlanFolderEntry::Outside
        || !meansTheSameFileEverywhere(name))
        return PlanNameProblem::NotPlain;
    return PlanNameProblem::None;
}

std::optional<ParameterProblem> parameterProblem(const PlanParameters &parameters)
{
    bool windowOk; // each conversion sets its flag
    bool slideOk;
    bool rangeOk;
    bool countOk;
    const int window = parameters.windowSize.toInt(&windowOk, 10);
    const int slide = parameters.slideSize.toInt(&slideOk, 10);
    const double range = parameters.rangeThreshold.toDouble(&rangeOk);
    const int count = parameters.countThreshold.toInt(&countOk, 10);
    // The texts go into the plan as Latin-1, so they must survive it; the
    // conversions alone would skip, for example, an ideographic space.
    const bool latin1 = isLatin1(parameters.windowSize) && isLatin1(parameters.slideSize)
        && isLatin1(parameters.rangeThreshold) && isLatin1(parameters.countThreshold);

    if (!(windowOk && slideOk && rangeOk && countOk && latin1))
        return ParameterProblem::NotNumbers;
    if (slide >= window)
        return ParameterProblem::SlideNotBelowWindow;
    // The window is larger than the slide, so it is positive with the slide.
    if (slide < 1)
        return ParameterProblem::SizesNotPositive;
    // Written so that NaN fails too.
    if (!(range >= 0.0 && range <= 1.0))
        return ParameterProblem::RangeOutOfBounds;
    if (count >= window)
        return ParameterProblem::CountNotBelowWindow;
    if (count < 1)
        return ParameterProblem::CountNotPositive;
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
    if (position < 0 || position > text.size() - length)
        return;
    text = text.left(position) + value.toLatin1() + text.mid(position + length);
}

SubstitutionResult fillParameters(QByteArray &text, const QByteArray &original,
                                  const PlanInputs &inputs)
{
    SubstitutionResult result;
    result.parameterProblem = parameterProblem(inputs.parameters);
    if (result.parameterProblem)
        return result;
    // In the order of the placeholders after "??SourceName".
    const QString values[] = {
        inputs.schemaId,
        inputs.withEvo ? QStringLiteral("1") : QStringLiteral("0"),
        inputs.parameters.windowSize,
        inputs.parameters.slideSize,
        inputs.parameters.rangeThreshold,
        inputs.parameters.countThreshold,
    };
    const auto &placeholders = planPlaceholders();
    for (std::size_t i = 0; i < std::size(values); ++i)
        replaceFirst(text, placeholders[i + 1], values[i]);
    const auto joined = std::find_if(placeholders.cbegin(), placeholders.cend(), [&](auto &p) {
        return text.count(p) != original.count(p) - 1;
    });
    if (joined != placeholders.cend())
        result.joinedPlaceholder = *joined;
    return result;
}
