#pragma once

// The plan name check, the parameter checks and placeholder replacement.

#include <QByteArray>
#include <QString>

#include <array>
#include <optional>

// Why a plan name is refused. The special characters are checked first.
enum class PlanNameProblem {
    None,
    SpecialCharacter, // white space or one of ! @ # $ % ^ & *
    NotPlain,         // leaves the plan folder, or cannot be stored in the library as it is
};

PlanNameProblem planNameProblem(const QString &name);

// The four parameter texts as the operator typed them.
struct PlanParameters
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
std::optional<ParameterProblem> parameterProblem(const PlanParameters &parameters);

// The seven placeholders, in the order they are replaced.
const std::array<QByteArray, 7> &planPlaceholders();

// The first placeholder, in replacement order, that the text lacks.
std::optional<QByteArray> missingPlaceholder(const QByteArray &text);

// Puts the value, as Latin-1, in place of the length bytes at position. A
// position outside the text leaves it as it is.
void replaceAt(QByteArray &text, qsizetype position, qsizetype length, const QString &value);

struct PlanInputs
{
    QString schemaId;
    bool withEvo = false;
    PlanParameters parameters;
};

// Refused parameters leave the text untouched. A joined placeholder refuses
// the filled-in text, which must not be written.
struct SubstitutionResult
{
    std::optional<ParameterProblem> parameterProblem;
    std::optional<QByteArray> joinedPlaceholder;
};

// The part after "??SourceName": checks the parameters, fills the other six
// placeholders and refuses the text when a value joined the text beside it
// into another placeholder (a search from the start would then have filled
// that one and left the real one in the plan). original is the template as
// read, before "??SourceName" was filled.
SubstitutionResult fillParameters(QByteArray &text, const QByteArray &original,
                                  const PlanInputs &inputs);
