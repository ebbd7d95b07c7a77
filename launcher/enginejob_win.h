#pragma once

// Windows: engines end with the panel however it ends. Each engine joins a
// job object that kills its processes once its last handle closes, and the
// system closes the panel's handle when the panel's process ends, whether
// its window was closed, it was killed or it crashed.

#ifndef NOMINMAX
#define NOMINMAX // keep std::min and std::max usable after this header
#endif
#include <windows.h>

inline void joinPanelJob(unsigned long processId)
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
    if (!job)
        return;
    // The engine runs from its start on; one that left at once is no longer there.
    if (const HANDLE engine =
            OpenProcess(PROCESS_SET_QUOTA | PROCESS_TERMINATE, FALSE, processId)) {
        AssignProcessToJobObject(job, engine);
        CloseHandle(engine);
    }
}
