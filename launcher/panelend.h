#pragma once

// How the panel's end reaches everything its engines run. On Unix each engine
// runs in a process group of its own, whose id is the engine's process id,
// so that the programs an engine starts itself (the real program behind a
// launch script, say) end with it. On Windows both functions do nothing:
// there a job object holds each engine's whole tree (launcher/enginejob_win.h).

class QObject;

// SIGTERM, SIGINT and SIGHUP quit the panel as closing its window does (a
// box then open closes too), so the window's destructor ends the engines and
// the panel exits as after a close. Only a running event loop can quit, so
// call this just before it runs: until then no engine runs, and a signal
// ends the panel the default way rather than being lost to a box shown at
// start.
void quitOnTerminationSignals();

// Kills the process group of every engine that still runs among owner's
// process objects, before the objects themselves kill their engines.
void endEngineGroups(const QObject &owner);
