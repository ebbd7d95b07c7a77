// Windows: each engine joins a job object that kills its processes, and
// every process they start, once its last handle closes; the system closes
// the panel's handle when the panel's process ends, whether its window was
// closed, it was killed or it crashed.

#include "launcher/enginelife.h"

#ifndef NOMINMAX
#define NOMINMAX // keep std::min and std::max usable after windows.h
#endif
#include <windows.h>

#include <QObject>
#include <QProcess>

#include <utility>

namespace {

// The panel's one job; null when the system gave none.
HANDLE panelJob()
{
    static const HANDLE job = [] {
        const HANDLE created = CreateJobObjectW(nullptr, nullptr);
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        if (created
            && !SetInformationJobObject(created, JobObjectExtendedLimitInformation, &limits,
                                        sizeof limits)) {
            CloseHandle(created);
            return HANDLE(nullptr);
        }
        return created;
    }();
    return job;
}

} // namespace

void EngineLife::prepare(QProcess &) { }

void EngineLife::adopt(const QProcess &engine)
{
    const HANDLE job = panelJob();
    if (!job)
        return;
    // The engine runs from its start on; one that left at once is no longer there.
    if (const HANDLE process =
            OpenProcess(PROCESS_SET_QUOTA | PROCESS_TERMINATE, FALSE, DWORD(engine.processId()))) {
        AssignProcessToJobObject(job, process);
        CloseHandle(process);
    }
}

// Windows sends a GUI program no termination signals.
void EngineLife::quitOnTerminationSignals() { }

void EngineLife::endAll(QObject &owner, std::initializer_list<QProcess **> newestFirst)
{
    // Deleting a process object kills its engine and waits for it; the job
    // ends what the engines started once the panel's process ends.
    for (QProcess **engine : newestFirst)
        delete std::exchange(*engine, nullptr);
    qDeleteAll(owner.findChildren<QProcess *>(Qt::FindDirectChildrenOnly));
}
