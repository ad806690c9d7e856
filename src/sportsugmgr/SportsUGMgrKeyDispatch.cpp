// Seam: key dispatch lands with the key decisions.
#include "SportsUGMgr.h"

int CSportsUGMgr::ProcessHighPrioKeyEvent(int) { return 0; }
int CSportsUGMgr::ProcessLowPrioKeyEvent(int) { return 0; }
