// Seam: colour keys land with the key decisions.
#include "SportsUGMgr.h"

int CSportsUGMgr::m_ProcessUgRecognitionKey(int) { return 0; }
Eina_Bool CSportsUGMgr::m_GreenWaitYellowProcessCB(void*) { return ECORE_CALLBACK_CANCEL; }
