// A plan template and four parameter texts as anyone may type them, filled in
// as Save does. Never a crash or sanitizer report; refused parameters change
// nothing after "??SourceName", and an accepted text has each placeholder
// once less than the template.

#include "composer/plantemplate.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    PlanInputs inputs{QStringLiteral("23"), input.ConsumeBool(), {}};
    for (QString *field : {&inputs.parameters.windowSize, &inputs.parameters.slideSize,
                           &inputs.parameters.rangeThreshold, &inputs.parameters.countThreshold})
        *field = QString::fromUtf8(input.ConsumeRandomLengthString(12).c_str());
    const std::string rest = input.ConsumeRemainingBytesAsString();
    const QByteArray original(rest.data(), qsizetype(rest.size()));
    if (planNameProblem(QString::fromLatin1(original)) == PlanNameProblem::None
        && original.contains('/'))
        std::abort(); // a name with a separator must never pass
    if (missingPlaceholder(original))
        return 0;

    QByteArray text = original;
    replaceAt(text, text.indexOf("??SourceName"), 12, QStringLiteral("data/ORCL.txt"));
    const QByteArray sourceFilled = text;
    const SubstitutionResult result = fillParameters(text, original, inputs);
    if (result.parameterProblem && text != sourceFilled)
        std::abort();
    if (result.parameterProblem || result.joinedPlaceholder)
        return 0;
    for (const QByteArray &placeholder : planPlaceholders()) {
        if (text.count(placeholder) != original.count(placeholder) - 1)
            std::abort();
    }
    return 0;
}
