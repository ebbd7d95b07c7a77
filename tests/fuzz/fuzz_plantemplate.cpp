// A template and four parameter texts as anyone may type them, filled in as
// Save does. Never a crash or sanitizer report, and an accepted text has each
// placeholder once less than the template.

#include "composer/plantemplate.h"

#include <fuzzer/FuzzedDataProvider.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    PlanInputs inputs{QStringLiteral("23"), input.ConsumeBool(), {}};
    for (QString *field : {&inputs.parameters.windowSize, &inputs.parameters.slideSize,
                           &inputs.parameters.rangeThreshold, &inputs.parameters.countThreshold})
        *field = QString::fromUtf8(input.ConsumeRandomLengthString(12).c_str());
    const std::string rest = input.ConsumeRemainingBytesAsString();
    const QByteArray original(rest.data(), qsizetype(rest.size()));
    QByteArray text = original;
    replaceAt(text, text.indexOf("??SourceName"), 12, QStringLiteral("data/ORCL.txt"));
    const SubstitutionResult result = fillParameters(text, original, inputs);
    for (const QByteArray &placeholder : planPlaceholders())
        if (!missingPlaceholder(original) && !result.parameterProblem && !result.joinedPlaceholder
            && text.count(placeholder) != original.count(placeholder) - 1)
            __builtin_trap();
    return 0;
}
