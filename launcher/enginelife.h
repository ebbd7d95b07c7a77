#pragma once

// How an engine's life is bound to the panel's: every engine, and every
// program an engine starts, ends with the panel. Callers see no platform;
// enginelife_unix.cpp and enginelife_win.cpp hold the two ways, and the
// build picks one.

#include <initializer_list>

class QObject;
class QProcess;

namespace EngineLife {

// Before the engine starts: on Unix it gets a process group of its own and
// takes back the default action of SIGXFSZ, which the panel ignores; on
// Linux it is also killed when the panel dies, and the panel becomes the
// child subreaper, so that whatever an engine starts comes back to the panel
// once its own parent ends.
void prepare(QProcess &engine);

// Once the engine has started: on Windows it joins the job object that ends
// it, and what it starts, when the panel's process ends.
void adopt(const QProcess &engine);

// SIGTERM, SIGINT and SIGHUP quit the panel as closing its window does (a
// box then open closes too), so the window's destructor ends the engines and
// the panel exits as after a close. Only a running event loop can quit, so
// call this just before it runs: until then no engine runs, and a signal
// ends the panel the default way rather than being lost to a box shown at
// start.
void quitOnTerminationSignals();

// Ends every engine among owner's process objects and what they started.
// The objects are deleted, those in newestFirst in that order (each pointer
// left null), then the rest; on Unix the process group of each engine that
// still runs is killed first, and the panel's remaining children are ended
// and reaped last. The panel starts no other programs.
void endAll(QObject &owner, std::initializer_list<QProcess **> newestFirst);

} // namespace EngineLife
