// The panel's benchmark: start-up against a bare Qt main window and against
// the panel's form alone, peak memory, Save and Remove, at several library
// sizes. Prints one Markdown table and the verdict on each target. Run
// through scripts/bench.sh.

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
    int startupRuns = 21;
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

QByteArray number(double value)
{
    return QByteArray::number(value, 'f', 2);
}

QByteArray median(const Summary &summary)
{
    return summary.ok ? number(summary.medianMs) : QByteArrayLiteral("failed");
}

QByteArray worst(const Summary &summary)
{
    return summary.ok ? number(summary.worstMs) : QByteArrayLiteral("failed");
}

QByteArray ratio(const Summary &over, const Summary &under)
{
    return over.ok && under.ok ? number(over.medianMs / under.medianMs) : QByteArrayLiteral("-");
}

QByteArray mib(long kib)
{
    return QByteArray::number(kib / 1024.0, 'f', 1);
}

const char *verdict(bool met)
{
    return met ? "met" : "MISSED";
}

// What the library adds to the start-up: the panel beyond its form alone.
double libraryStartupMs(const StartupRow &row)
{
    return row.time[Panel].medianMs - row.time[FormOnly].medianMs;
}

// Growth from one size to the next is linear when the cost grows at most by
// the sizes' factor, with a quarter for noise. Below a millisecond the
// difference is noise and says nothing.
QByteArray growth(double from, double to, double sizeFactor)
{
    if (std::min(from, to) < 1.0)
        return QByteArrayLiteral("below 1 ms");
    const double factor = to / from;
    return "x" + QByteArray::number(factor, 'f', 1)
        + (factor <= sizeFactor * 1.25 ? " (linear or better)" : " (FASTER THAN LINEAR)");
}

void printTargets(const std::map<int, StartupRow> &startup,
                  const std::map<int, OperationsRow> &operations)
{
    std::printf("\nTargets:\n");
    for (const auto &[plans, row] : startup) {
        if (plans > 10000 || !row.time[BareWindow].ok || !row.time[Panel].ok)
            continue;
        const double limit = plans <= 1000 ? 1.15 : 1.5;
        const double ratio = row.time[Panel].medianMs / row.time[BareWindow].medianMs;
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
    for (auto next = startup.begin(); next != startup.end(); ++next) {
        if (next == startup.begin() || std::prev(next)->first == 0)
            continue;
        const auto prev = std::prev(next);
        const OperationsRow &opsPrev = operations.at(prev->first);
        const OperationsRow &opsNext = operations.at(next->first);
        if (!opsPrev.save.ok || !opsNext.save.ok || !opsPrev.remove.ok || !opsNext.remove.ok)
            continue;
        const double sizeFactor = double(next->first) / prev->first;
        std::printf(
            "- growth from %d to %d plans: start-up beyond the form %s, Save %s, "
            "Remove %s\n",
            prev->first, next->first,
            growth(libraryStartupMs(prev->second), libraryStartupMs(next->second), sizeFactor)
                .constData(),
            growth(opsPrev.save.medianMs, opsNext.save.medianMs, sizeFactor).constData(),
            growth(opsPrev.remove.medianMs, opsNext.remove.medianMs, sizeFactor).constData());
    }
}

void printTable(const Options &options, const std::map<int, StartupRow> &startup,
                const std::map<int, OperationsRow> &operations)
{
    std::printf("| plans | bare ms | form ms | panel ms | panel/bare | panel/form | bare MiB "
                "| form MiB | panel MiB | Save median ms | Save worst ms | Remove median ms "
                "| Remove worst ms |\n");
    std::printf("|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n");
    for (int plans : options.sizes) {
        const StartupRow &s = startup.at(plans);
        const OperationsRow &o = operations.at(plans);
        std::printf(
            "| %d | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s |\n", plans,
            median(s.time[BareWindow]).constData(), median(s.time[FormOnly]).constData(),
            median(s.time[Panel]).constData(), ratio(s.time[Panel], s.time[BareWindow]).constData(),
            ratio(s.time[Panel], s.time[FormOnly]).constData(),
            mib(s.maxRssKiB[BareWindow]).constData(), mib(s.maxRssKiB[FormOnly]).constData(),
            mib(s.maxRssKiB[Panel]).constData(), median(o.save).constData(),
            worst(o.save).constData(), median(o.remove).constData(), worst(o.remove).constData());
    }
    std::printf("\nStart-up: whole process until the first paint, median of %d runs of each "
                "program, taking turns; MiB: peak resident memory. Save and Remove: %d runs "
                "each, in process.\n",
                options.startupRuns, options.operationRuns);
    for (int plans : options.sizes) {
        if (!operations.at(plans).problem.isEmpty())
            std::printf("With %d plans: %s.\n", plans, qPrintable(operations.at(plans).problem));
    }
}

void quietMessages(QtMsgType, const QMessageLogContext &, const QString &) { }

} // namespace

int main(int argc, char *argv[])
{
    const Options options = parseOptions(argc, argv);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);

    // Whole processes first, while this process has no threads to fork.
    const char *const programs[StartupProgramCount] = {BENCH_BARE_PROGRAM, BENCH_FORM_PROGRAM,
                                                       BENCH_PANEL_PROGRAM};
    std::map<int, StartupRow> startup;
    for (int plans : options.sizes) {
        std::fprintf(stderr, "start-up with %d plans...\n", plans);
        startup[plans] = measureStartup(plans, options.startupRuns, programs);
    }

    QApplication app(argc, argv);
    // The panel's debug lines are still formatted, only not printed.
    qInstallMessageHandler(quietMessages);
    std::map<int, OperationsRow> operations;
    for (int plans : options.sizes) {
        std::fprintf(stderr, "save and remove with %d plans...\n", plans);
        operations[plans] = measureOperations(plans, options.operationRuns);
    }

    printTable(options, startup, operations);
    printTargets(startup, operations);

    // A missed target is a finding; a run that did not complete is a fault
    // of the panel or of the benchmark.
    for (int plans : options.sizes) {
        const StartupRow &s = startup.at(plans);
        const OperationsRow &o = operations.at(plans);
        for (const Summary &time : s.time) {
            if (!time.ok)
                return 1;
        }
        if (!o.save.ok || !o.remove.ok || !o.problem.isEmpty())
            return 1;
    }
    return 0;
}
