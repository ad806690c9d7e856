// Seam: the pop-up's drawing lands with the bookmark work.
#include "BookmarkThumbnailWnd.h"

CBookmarkThumbnailWnd::CBookmarkThumbnailWnd()
    : m_pWindowLayout(nullptr), m_pThumbnailImage(nullptr), m_pProgressBar(nullptr), m_pTextBox(nullptr),
      m_pTypeMarkLabel(nullptr), m_pTypeTextLabel(nullptr), m_pTimeLabel(nullptr), m_pGoButton(nullptr),
      m_pUpdateProgressAlarm(nullptr), m_nProgressCount(0) {}
CBookmarkThumbnailWnd::~CBookmarkThumbnailWnd() {}
bool CBookmarkThumbnailWnd::SetBookmarkData(stBookmarkThumbnail*&) { return false; }
bool CBookmarkThumbnailWnd::SetTextValue(char*, long) { return true; }
bool CBookmarkThumbnailWnd::SetIconImage(char*, int, bool) { return false; }
void CBookmarkThumbnailWnd::m_SetAccessInfo(char const*) {}
void CBookmarkThumbnailWnd::m_OnBookMarkWndKeyInputCB(void*, Evas*, Evas_Object*, void*) {}
Eina_Bool CBookmarkThumbnailWnd::m_OnUpdateAlarmTimeOutCB(void*) { return ECORE_CALLBACK_CANCEL; }
void CBookmarkThumbnailWnd::ButtonMouseInCallback(void*, Evas*, Evas_Object*, void*) {}
void CBookmarkThumbnailWnd::ButtonMouseOutCallback(void*, Evas*, Evas_Object*, void*) {}
void CBookmarkThumbnailWnd::ButtonMouseUpCallback(void*, Evas*, Evas_Object*, void*) {}
void CBookmarkThumbnailWnd::PrintPartCoordinate(const char*) {}
void CBookmarkThumbnailWnd::PrintObjectCoordinate(Evas_Object*) {}
void CBookmarkThumbnailWnd::PrintFocusItemCoordinate(Evas_Object*) {}
bool CBookmarkThumbnailWnd::t_Create(Evas_Object*) { return false; }
void CBookmarkThumbnailWnd::t_Destroy() {}
bool CBookmarkThumbnailWnd::t_Show() { return false; }
void CBookmarkThumbnailWnd::t_Hide() {}
