// MainWin's engine launcher.

#include "app/mainwin.h"

#include "launcher/enginepaths.h"

void MainWin::onLaunchClicked() { }
