// A template and four parameter texts as anyone may type them, filled in as
// Save does: never a crash or sanitizer report, and an accepted text has each
// placeholder once less than the template.

#include "composer/plantemplate.h"

#include <fuzzer/FuzzedDataProvider.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    PlanInputs in{"23", input.ConsumeBool(), {}};
    for (QString *field : {&in.parameters.windowSize, &in.parameters.slideSize,
                           &in.parameters.rangeThreshold, &in.parameters.countThreshold})
        *field = QString::fromUtf8(input.ConsumeRandomLengthString(12).c_str());
    const QByteArray original = QByteArray::fromStdString(input.ConsumeRemainingBytesAsString());
    QByteArray text = original;
    replaceAt(text, text.indexOf("??SourceName"), 12, "data/ORCL.txt");
    const SubstitutionResult result = fillParameters(text, original, in);
    const bool accepted =
        !missingPlaceholder(original) && !result.parameterProblem && !result.joinedPlaceholder;
    for (const QByteArray &placeholder : planPlaceholders())
        if (accepted && text.count(placeholder) != original.count(placeholder) - 1)
            __builtin_trap();
    return 0;
}
