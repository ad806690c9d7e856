// Seam: the zoom sequence lands with the key decisions.
#include "SportsUGMgr.h"

int CSportsUGMgr::m_ProcessExitZoom() { return 1; }
Eina_Bool CSportsUGMgr::m_WaitPauseSucceedCB(void*) { return ECORE_CALLBACK_CANCEL; }
int CSportsUGMgr::m_DeleteWaitPauseTimer() { return 1; }
