// MainWin's plan library: loading the library configuration file, registering
// a saved plan, and removing plans.

#include "app/mainwin.h"

#include "library/librarytext.h"
#include "ui_mainwin.h"

void MainWin::loadLibrary() { }
void MainWin::registerPlan() { }
bool MainWin::writeLibraryFile() { return false; }
void MainWin::onRemove() { }
