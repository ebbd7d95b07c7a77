// The panel's benchmark: start-up against a bare Qt main window, Save and
// Remove, at several library sizes. Prints one Markdown table and the
// verdict on each target. Run through scripts/bench.sh.

#include "benchmark.h"

#include <QApplication>
#include <QStringList>
#include <QtGlobal>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <map>

namespace {

struct Options
{
    std::vector<int> sizes{0, 1000, 10000, 100000};
    int startupRuns = 15;
    int operationRuns = 25;
};

Options parseOptions(int argc, char *argv[])
{
    Options options;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--startup-runs")) {
            options.startupRuns = std::max(1, std::atoi(argv[i + 1]));
        } else if (!std::strcmp(argv[i], "--operation-runs")) {
            options.operationRuns = std::max(1, std::atoi(argv[i + 1]));
        } else if (!std::strcmp(argv[i], "--sizes")) {
            options.sizes.clear();
            for (const QString &size : QString::fromLatin1(argv[i + 1]).split(QLatin1Char(',')))
                options.sizes.push_back(size.toInt());
        }
    }
    return options;
}

QByteArray cell(const Summary &summary, double value)
{
    return summary.ok ? QByteArray::number(value, 'f', 2) : QByteArrayLiteral("failed");
}

QByteArray mib(long kib)
{
    return QByteArray::number(kib / 1024.0, 'f', 1);
}

void quietMessages(QtMsgType, const QMessageLogContext &, const QString &) { }

const char *verdict(bool met)
{
    return met ? "met" : "MISSED";
}

void printTargets(const std::map<int, StartupRow> &startup,
                  const std::map<int, OperationsRow> &operations)
{
    std::printf("\nTargets:\n");
    for (const auto &[plans, row] : startup) {
        if (plans > 10000 || !row.bare.ok || !row.panel.ok)
            continue;
        const double limit = plans <= 1000 ? 1.15 : 1.5;
        const double ratio = row.panel.medianMs / row.bare.medianMs;
        std::printf("- start-up with %d plans within %.2fx bare: %.2fx, %s\n", plans, limit, ratio,
                    verdict(ratio <= limit));
    }
    const auto at10k = operations.find(10000);
    if (at10k != operations.end()) {
        const OperationsRow &row = at10k->second;
        std::printf("- Save under 5 ms median with 10000 plans: %s\n",
                    row.save.ok ? verdict(row.save.medianMs < 5) : "not measured");
        std::printf("- Remove under 5 ms median with 10000 plans: %s\n",
                    row.remove.ok ? verdict(row.remove.medianMs < 5) : "not measured");
    }
    const auto complete = [&](int plans) {
        const StartupRow &s = startup.at(plans);
        const OperationsRow &o = operations.at(plans);
        return s.bare.ok && s.panel.ok && o.save.ok && o.remove.ok;
    };
    // Growth between neighbouring sizes: at most the size's own factor (with
    // a quarter for noise) is linear.
    for (auto next = startup.begin(); next != startup.end(); ++next) {
        const auto prev = next == startup.begin() ? startup.end() : std::prev(next);
        if (prev == startup.end() || prev->first == 0 || !complete(prev->first)
            || !complete(next->first))
            continue;
        const double sizeFactor = double(next->first) / prev->first;
        const double startExtra = (next->second.panel.medianMs - next->second.bare.medianMs)
            / (prev->second.panel.medianMs - prev->second.bare.medianMs);
        const double saveFactor =
            operations.at(next->first).save.medianMs / operations.at(prev->first).save.medianMs;
        const double removeFactor =
            operations.at(next->first).remove.medianMs / operations.at(prev->first).remove.medianMs;
        const bool linear = std::max({startExtra, saveFactor, removeFactor}) <= sizeFactor * 1.25;
        std::printf("- growth from %d to %d plans (x%.0f): start-up beyond bare x%.1f, "
                    "Save x%.1f, Remove x%.1f: %s\n",
                    prev->first, next->first, sizeFactor, startExtra, saveFactor, removeFactor,
                    linear ? "linear or better" : "FASTER THAN LINEAR");
    }
}

} // namespace

int main(int argc, char *argv[])
{
    const Options options = parseOptions(argc, argv);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);

    // Whole processes first, while this process has no threads to fork.
    std::map<int, StartupRow> startup;
    for (int plans : options.sizes) {
        std::fprintf(stderr, "start-up with %d plans...\n", plans);
        startup[plans] =
            measureStartup(plans, options.startupRuns, BENCH_BARE_PROGRAM, BENCH_PANEL_PROGRAM);
    }

    QApplication app(argc, argv);
    // The panel's debug lines are still formatted, only not printed.
    qInstallMessageHandler(quietMessages);
    std::map<int, OperationsRow> operations;
    for (int plans : options.sizes) {
        std::fprintf(stderr, "save and remove with %d plans...\n", plans);
        operations[plans] = measureOperations(plans, options.operationRuns);
    }

    std::printf("| plans | bare start ms | panel start ms | ratio | bare MiB | panel MiB "
                "| Save median ms | Save worst ms | Remove median ms | Remove worst ms |\n");
    std::printf("|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n");
    for (int plans : options.sizes) {
        const StartupRow &s = startup[plans];
        const OperationsRow &o = operations[plans];
        const QByteArray ratio = s.bare.ok && s.panel.ok
            ? QByteArray::number(s.panel.medianMs / s.bare.medianMs, 'f', 2)
            : QByteArrayLiteral("-");
        std::printf(
            "| %d | %s | %s | %s | %s | %s | %s | %s | %s | %s |\n", plans,
            cell(s.bare, s.bare.medianMs).constData(), cell(s.panel, s.panel.medianMs).constData(),
            ratio.constData(), mib(s.bareRssKiB).constData(), mib(s.panelRssKiB).constData(),
            cell(o.save, o.save.medianMs).constData(), cell(o.save, o.save.worstMs).constData(),
            cell(o.remove, o.remove.medianMs).constData(),
            cell(o.remove, o.remove.worstMs).constData());
    }
    std::printf("\nStart-up: median of %d runs of each program, alternating. "
                "Save and Remove: %d runs each.\n",
                options.startupRuns, options.operationRuns);
    for (int plans : options.sizes) {
        if (!operations[plans].problem.isEmpty())
            std::printf("With %d plans: %s.\n", plans, qPrintable(operations[plans].problem));
    }
    printTargets(startup, operations);
    return 0;
}
