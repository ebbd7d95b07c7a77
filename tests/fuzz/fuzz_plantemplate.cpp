// A plan template and the four parameter texts as anyone may type them. Never
// a crash or sanitizer report; a refused template is left as it was, refused
// parameters change nothing after "??SourceName", and an accepted input
// leaves none of the placeholders it replaced and only values in range.

#include "composer/plantemplate.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>

namespace {

void fail(const char *what)
{
    std::fprintf(stderr, "broken promise: %s\n", what);
    std::abort();
}

QString consumeText(FuzzedDataProvider &input)
{
    return QString::fromUtf8(input.ConsumeRandomLengthString(24).c_str());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    PlanInputs inputs;
    const int sourceIndex = input.ConsumeIntegralInRange<int>(-1, 3);
    const TemplateChoice choice = templateChoice(sourceIndex, input.ConsumeBool());
    inputs.sourceRef = QStringLiteral("data/ORCL.txt");
    inputs.schemaId = choice.schemaId.value_or(QString());
    inputs.withEvo = input.ConsumeBool();
    inputs.parameters.windowSize = consumeText(input);
    inputs.parameters.slideSize = consumeText(input);
    inputs.parameters.rangeThreshold = consumeText(input);
    inputs.parameters.countThreshold = consumeText(input);
    const qsizetype position = input.ConsumeIntegral<int32_t>();
    const qsizetype length = input.ConsumeIntegral<int16_t>();
    const std::string rest = input.ConsumeRemainingBytesAsString();
    const QByteArray original(rest.data(), qsizetype(rest.size()));

    // Any position and length: inside the text or nothing at all.
    QByteArray edited = original;
    replaceAt(edited, position, length, inputs.parameters.windowSize);
    if (position < 0 || length < 0 || position + length > original.size()) {
        if (edited != original)
            fail("a replacement outside the text changed it");
    }

    QByteArray text = original;
    const SubstitutionResult result = substitutePlan(text, inputs);
    if (result.missingPlaceholder) {
        if (text != original || original.contains(*result.missingPlaceholder))
            fail("a template without a placeholder was changed or wrongly refused");
        return 0;
    }
    QByteArray sourceOnly = original;
    replaceFirst(sourceOnly, planPlaceholders()[0], inputs.sourceRef);
    if (result.parameterProblem) {
        if (text != sourceOnly)
            fail("refused parameters changed more than the source name");
        return 0;
    }

    if (result.joinedPlaceholder)
        return 0; // refused: the text is never written
    for (const QByteArray &placeholder : planPlaceholders()) {
        if (text.count(placeholder) != original.count(placeholder) - 1)
            fail("an accepted input left a placeholder it replaced");
    }
    bool ok[4] = {};
    const int window = inputs.parameters.windowSize.toInt(&ok[0], 10);
    const int slide = inputs.parameters.slideSize.toInt(&ok[1], 10);
    const double range = inputs.parameters.rangeThreshold.toDouble(&ok[2]);
    const int count = inputs.parameters.countThreshold.toInt(&ok[3], 10);
    if (!(ok[0] && ok[1] && ok[2] && ok[3]) || !(slide >= 1 && slide < window)
        || !(range >= 0.0 && range <= 1.0) || !(count >= 1 && count < window))
        fail("parameters out of range were accepted");
    for (const QString *value :
         {&inputs.parameters.windowSize, &inputs.parameters.slideSize,
          &inputs.parameters.rangeThreshold, &inputs.parameters.countThreshold}) {
        if (QString::fromLatin1(value->toLatin1()) != *value)
            fail("an accepted parameter does not survive Latin-1");
    }
    return 0;
}
