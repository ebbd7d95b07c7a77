#pragma once

// The parameter checks and the filling of a plan template's placeholders.

#include <QByteArray>
#include <QString>

#include <array>
#include <optional>
#include <vector>

namespace PlanTemplate {

// The four parameter texts as the operator typed them.
struct Parameters
{
    QString windowSize;
    QString slideSize;
    QString rangeThreshold;
    QString countThreshold;
};

// The parameter checks, in the order they run.
enum class ParameterProblem {
    NotNumbers,
    SlideNotBelowWindow,
    SizesNotPositive,
    RangeOutOfBounds,
    CountNotBelowWindow,
    CountNotPositive,
};

// The first check that the parameters fail; none when they pass.
std::optional<ParameterProblem> parameterProblem(const Parameters &parameters);

// The seven placeholders, in the order they are filled.
const std::array<QByteArray, 7> &placeholders();

// The first placeholder, in that order, that the text lacks.
std::optional<QByteArray> missingPlaceholder(const QByteArray &text);

// A placeholder and the value that takes its place.
struct Fill
{
    QByteArray placeholder;
    QString value;
};

// What the placeholders are filled with.
struct Values
{
    QString sourceRef;
    QString schemaId;
    bool withEvo = false;
    Parameters parameters;
};

// Each placeholder with its value, in the order they are filled.
std::vector<Fill> fills(const Values &values);

// Puts each value, as Latin-1, in place of the first occurrence of its
// placeholder, in order; the text holds every placeholder. Returns the first
// placeholder that a value joined with the text beside it into another one:
// a search from the start then filled that one and left the real one in the
// plan, which must not be written.
std::optional<QByteArray> fill(QByteArray &text, const std::vector<Fill> &fills);

} // namespace PlanTemplate
