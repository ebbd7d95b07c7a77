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
    pid_t waited = waitpid(child, &status, 0);
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

StartupRow measureStartup(int plans, int runs, const char *bareProgram, const char *panelProgram)
{
    StartupRow row;
    const Workspace workspace(libraryWithPlans(plans));
    if (!workspace.isValid())
        return row;
    constexpr int timeoutSeconds = 60;
    // One unmeasured start of each warms the file cache.
    runProgramOnce(bareProgram, timeoutSeconds);
    runProgramOnce(panelProgram, timeoutSeconds);

    std::vector<double> bareMs;
    std::vector<double> panelMs;
    bool bareOk = true;
    bool panelOk = true;
    for (int i = 0; i < runs; ++i) {
        const ProcessRun bare = runProgramOnce(bareProgram, timeoutSeconds);
        const ProcessRun panel = runProgramOnce(panelProgram, timeoutSeconds);
        bareOk = bareOk && bare.ok;
        panelOk = panelOk && panel.ok;
        bareMs.push_back(bare.ms);
        panelMs.push_back(panel.ms);
        row.bareRssKiB = std::max(row.bareRssKiB, bare.maxRssKiB);
        row.panelRssKiB = std::max(row.panelRssKiB, panel.maxRssKiB);
    }
    row.bare = summarize(bareMs, bareOk);
    row.panel = summarize(panelMs, panelOk);
    return row;
}
