// A template and parameters as anyone may type them, filled in as Save does:
// never a crash, and an accepted plan has each placeholder once less.

#include "composer/plantemplate.h"

#include <QList>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QList<QByteArray> parts =
        QByteArray(reinterpret_cast<const char *>(data), int(size)).split('|');
    const QByteArray original = parts.last();
    const auto field = [&](int i) { return QString::fromUtf8(parts.value(i)); };
    QByteArray text = original;
    replaceAt(text, text.indexOf("??SourceName"), 12, "data/ORCL.txt");
    const SubstitutionResult result = fillParameters(
        text, original, {"23", size % 2 == 1, {field(0), field(1), field(2), field(3)}});
    for (const QByteArray &placeholder : planPlaceholders())
        if (!missingPlaceholder(original) && !result.parameterProblem && !result.joinedPlaceholder
            && text.count(placeholder) != original.count(placeholder) - 1)
            __builtin_trap();
    return 0;
}
