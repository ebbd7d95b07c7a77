#pragma once

// Pieces of the panel's benchmark: a library of a given size, the start-up of
// a whole process, and Save and Remove timed inside one process.

#include <QByteArray>
#include <QString>

#include <vector>

// A library configuration file listing `plans` plan names.
QByteArray libraryWithPlans(int plans);
QString benchPlanName(int index);

struct Summary
{
    bool ok = false; // every run completed as the panel promises
    double medianMs = 0;
    double worstMs = 0;
};

Summary summarize(std::vector<double> ms, bool ok);

// One start of a program in the current directory, ended by the program
// itself after its first paint.
struct ProcessRun
{
    bool ok = false;
    double ms = 0;
    long maxRssKiB = 0; // peak resident memory of the program
};

ProcessRun runProgramOnce(const char *program, int timeoutSeconds);

// The programs whose start-up is compared.
enum StartupProgram { BareWindow, FormOnly, Panel, StartupProgramCount };

struct StartupRow
{
    Summary time[StartupProgramCount];
    long maxRssKiB[StartupProgramCount] = {};
};

// Starts each program `runs` times, taking turns, in a workspace whose
// library has `plans` names.
StartupRow measureStartup(int plans, int runs, const char *const (&programs)[StartupProgramCount]);

struct OperationsRow
{
    Summary save;
    Summary remove;
    QString problem; // why a series did not complete, if one did not
};

// Saves `runs` plans through the window's Save button, then removes them
// again through Remove, with `plans` other plans in the library. Needs a
// QApplication.
OperationsRow measureOperations(int plans, int runs);
