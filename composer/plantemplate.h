#pragma once
// Plan template choice, parameter checks and placeholder replacement.

#include <QByteArray>
#include <QString>

#include <array>
#include <optional>

// The template for a data-source position and the summarization choice.
struct TemplateChoice
{
    QString dimensionWord;           // empty for a position outside the table
    QString fileName;                // dimension word "_" sum|no_sum ".txt"
    std::optional<QString> schemaId; // none for a position outside the table
};

TemplateChoice templateChoice(int sourceIndex, bool withSum);

// Why a plan name is refused. The special characters are checked first.
enum class PlanNameProblem { None, SpecialCharacter, NotPlain };

PlanNameProblem planNameProblem(const QString &name);

// The four parameter texts as the operator typed them.
struct PlanParameters
{
    QString windowSize;
    QString slideSize;
    QString rangeThreshold;
    QString countThreshold;
};

// The text of the first check that the parameters fail; none when they pass.
std::optional<QString> parameterProblem(const PlanParameters &parameters);

// The seven placeholders, in the order they are replaced.
const std::array<QByteArray, 7> &planPlaceholders();

// The first placeholder, in replacement order, that the text lacks.
std::optional<QByteArray> missingPlaceholder(const QByteArray &text);

// Puts the value, as Latin-1, in place of the length bytes at position. A
// position outside the text leaves it as it is.
void replaceAt(QByteArray &text, qsizetype position, qsizetype length, const QString &value);

// Replaces the first occurrence of a placeholder; false when there is none.
bool replaceFirst(QByteArray &text, const QByteArray &placeholder, const QString &value);

struct PlanInputs
{
    QString sourceRef;
    QString schemaId;
    bool withEvo = false;
    PlanParameters parameters;
};

// The whole substitution of a template. On a missing placeholder the text is
// untouched; on refused parameters only "??SourceName" has been replaced; a
// joined placeholder refuses the filled-in text, which must not be written.
struct SubstitutionResult
{
    std::optional<QByteArray> missingPlaceholder;
    std::optional<QString> parameterProblem;
    std::optional<QByteArray> joinedPlaceholder;
    bool done() const { return !missingPlaceholder && !parameterProblem && !joinedPlaceholder; }
};

// The part after "??SourceName": checks the parameters, fills the other six
// placeholders and refuses the text when a value joined the text beside it
// into another placeholder (a search from the start would then have filled
// that one and left the real one in the plan). original is the template as
// read.
SubstitutionResult fillParameters(QByteArray &text, const QByteArray &original,
                                  const PlanInputs &inputs);

SubstitutionResult substitutePlan(QByteArray &text, const PlanInputs &inputs);

// Templates are small; anything larger is not a template.
constexpr qint64 maxTemplateSize = 16 * 1024 * 1024;
