// A template and parameters as anyone may type them, filled in as Save does:
// never a crash, and an accepted plan has each placeholder once less.

#include "composer/plantemplate.h"

#include <QList>

using namespace PlanTemplate;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QList<QByteArray> parts =
        QByteArray(reinterpret_cast<const char *>(data), int(size)).split('|');
    const auto field = [&](int i) { return QString::fromUtf8(parts.value(i)); };
    const Parameters parameters{field(0), field(1), field(2), field(3)};
    QByteArray text = parts.last();
    const auto joined = fill(text, fills({"data/ORCL.txt", "23", size % 2 == 1, parameters}));
    for (const QByteArray &placeholder : placeholders())
        if (!missingPlaceholder(parts.last()) && !parameterProblem(parameters) && !joined
            && text.count(placeholder) != parts.last().count(placeholder) - 1)
            __builtin_trap();
    return 0;
}
