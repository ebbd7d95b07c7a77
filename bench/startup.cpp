#include "benchmark.h"

#include "testsupport.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

void onAlarm(int) { }

// Runs in a forked helper process, so that RUSAGE_CHILDREN covers exactly
// the one program it starts.
ProcessRun measureInHelper(const char *program, int timeoutSeconds)
{
    ProcessRun run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // The panel's debug lines (one holds every plan name) are formatted and
    // written as usual, only not kept.
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    char *const argv[] = {const_cast<char *>(program), nullptr};

    struct sigaction alarmAction = {};
    alarmAction.sa_handler = onAlarm; // no SA_RESTART: the alarm interrupts waitpid()
    sigaction(SIGALRM, &alarmAction, nullptr);

    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    const int spawned = posix_spawn(&child, program, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return run;
    alarm(static_cast<unsigned>(timeoutSeconds));
    int status = 0;
    const pid_t waited = waitpid(child, &status, 0);
    if (waited < 0 && errno == EINTR) {
        // Still running: most likely stuck in a message box.
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
        return run;
    }
    alarm(0);
    const auto end = std::chrono::steady_clock::now();

    rusage usage = {};
    getrusage(RUSAGE_CHILDREN, &usage);
    run.ok = waited == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    run.ms = std::chrono::duration<double, std::milli>(end - start).count();
    run.maxRssKiB = usage.ru_maxrss;
    return run;
}

} // namespace

ProcessRun runProgramOnce(const char *program, int timeoutSeconds)
{
    int fds[2];
    if (pipe(fds) != 0)
        return {};
    const pid_t helper = fork();
    if (helper == 0) {
        close(fds[0]);
        const ProcessRun run = measureInHelper(program, timeoutSeconds);
        const bool written = write(fds[1], &run, sizeof run) == sizeof run;
        _exit(written ? 0 : 1);
    }
    close(fds[1]);
    ProcessRun run;
    if (helper < 0 || read(fds[0], &run, sizeof run) != sizeof run)
        run = {};
    close(fds[0]);
    if (helper > 0)
        waitpid(helper, nullptr, 0);
    return run;
}

StartupRow measureStartup(int plans, int runs, const char *const (&programs)[StartupProgramCount])
{
    StartupRow row;
    const TestWorkspace workspace(libraryWithPlans(plans));
    if (!workspace.dir.isValid())
        return row;
    constexpr int timeoutSeconds = 60;
    // One unmeasured start of each warms the file cache.
    for (const char *program : programs)
        runProgramOnce(program, timeoutSeconds);

    std::vector<double> ms[StartupProgramCount];
    bool ok[StartupProgramCount] = {true, true, true};
    for (int i = 0; i < runs; ++i) {
        for (int p = 0; p < StartupProgramCount; ++p) {
            const ProcessRun run = runProgramOnce(programs[p], timeoutSeconds);
            ok[p] = ok[p] && run.ok;
            ms[p].push_back(run.ms);
            row.maxRssKiB[p] = std::max(row.maxRssKiB[p], run.maxRssKiB);
        }
    }
    for (int p = 0; p < StartupProgramCount; ++p)
        row.time[p] = summarize(ms[p], ok[p]);
    return row;
}
