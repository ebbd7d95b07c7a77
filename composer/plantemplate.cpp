#include "composer/plantemplate.h"

#include "workspace/files.h"

#include <algorithm>

namespace PlanTemplate {

std::optional<ParameterProblem> parameterProblem(const Parameters &parameters)
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
    const bool latin1 = Files::isLatin1(parameters.windowSize)
        && Files::isLatin1(parameters.slideSize) && Files::isLatin1(parameters.rangeThreshold)
        && Files::isLatin1(parameters.countThreshold);

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

const std::array<QByteArray, 7> &placeholders()
{
    static const std::array<QByteArray, 7> names{
        QByteArrayLiteral("??SourceName"),     QByteArrayLiteral("??SchemaId"),
        QByteArrayLiteral("??outputmode"),     QByteArrayLiteral("??windowSize"),
        QByteArrayLiteral("??slideSize"),      QByteArrayLiteral("??rangeThreshold"),
        QByteArrayLiteral("??countThreshold"),
    };
    return names;
}

std::optional<QByteArray> missingPlaceholder(const QByteArray &text)
{
    for (const QByteArray &placeholder : placeholders()) {
        if (!text.contains(placeholder))
            return placeholder;
    }
    return std::nullopt;
}

std::vector<Fill> fills(const Values &values)
{
    // In the order of the placeholders.
    const std::array<QString, 7> texts{
        values.sourceRef,
        values.schemaId,
        values.withEvo ? QStringLiteral("1") : QStringLiteral("0"),
        values.parameters.windowSize,
        values.parameters.slideSize,
        values.parameters.rangeThreshold,
        values.parameters.countThreshold,
    };
    std::vector<Fill> result;
    for (std::size_t i = 0; i < texts.size(); ++i)
        result.push_back({placeholders()[i], texts[i]});
    return result;
}

std::optional<QByteArray> fill(QByteArray &text, const std::vector<Fill> &fills)
{
    const QByteArray before = text;
    for (const Fill &fill : fills) {
        const qsizetype at = text.indexOf(fill.placeholder);
        if (at >= 0)
            text.replace(at, fill.placeholder.size(), fill.value.toLatin1());
    }
    // Each filled placeholder occurs once less, every other one as often as
    // before; anything else means that a value joined another one.
    for (const QByteArray &placeholder : placeholders()) {
        const auto filled = std::count_if(fills.cbegin(), fills.cend(), [&](const Fill &fill) {
            return fill.placeholder == placeholder;
        });
        if (text.count(placeholder) != before.count(placeholder) - filled)
            return placeholder;
    }
    return std::nullopt;
}

} // namespace PlanTemplate
