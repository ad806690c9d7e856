// Seam: bookmarks and the highlight player land with the bookmark work.
#include "SportsUGMgr.h"

int CSportsUGMgr::m_ProcessManualHighlight() { return 0; }
bool CSportsUGMgr::m_SetBookmark() { return false; }
bool CSportsUGMgr::m_ManualHighlight() { return false; }
int CSportsUGMgr::m_ShowBookMarkThumbnailWnd(stBookmarkThumbnail*&) { return 0; }
int CSportsUGMgr::m_HideBookMarkWnd() { return 1; }
int CSportsUGMgr::m_CloseHighlightWnd() { return m_HideBookMarkWnd(); }
bool CSportsUGMgr::m_IsBookmarkWndShow() { return false; }
int CSportsUGMgr::m_EnterHighlightPlayer(bool) { return 1; }
int CSportsUGMgr::ShowHighlightPlayerForMouse() { return m_EnterHighlightPlayer(true); }
Eina_Bool CSportsUGMgr::m_OnBookMarkWndTimeOutCB(void*) { return ECORE_CALLBACK_CANCEL; }
