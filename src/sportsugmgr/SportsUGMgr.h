// The gadget's one central object: all state kept between two events, the
// base layout, the messages to the viewer and the PVR service's results.
#ifndef VANTRO_SPORTSUGMGR_H
#define VANTRO_SPORTSUGMGR_H

#include <Elementary.h>
#include <sys/time.h>

#include "BookmarkThumbnail.h"
#include "svc_pvr.h"
#include "ug_module.h"

class CBookmarkThumbnailWnd;

// Events a viewer message turns into, as ProcessUGEvent takes them.
enum UGEvent {
    UG_EVENT_SHOW = 1,
    UG_EVENT_HIDE = 2,
    UG_EVENT_ENTER_ZOOM = 3,
    UG_EVENT_EXIT_ZOOM = 4,
};

class CSportsUGMgr {
public:
    CSportsUGMgr();
    ~CSportsUGMgr();

    // ---- object and messages ----
    static CSportsUGMgr* Get();
    bool Create(Evas_Object* parent, ui_gadget_h ug);
    void Destroy();
    // Of a manager that stays without having been created: its timers end,
    // and the waits only they would have ended.
    void EndWaits();
    bool FlagCreate();
    Evas_Object* GetBaseLayout();
    bool SendResultToTvviwer(const char* cmd, const char* value);
    void RegisterPVRServiceResultCb();
    // Touches no field: the destroy operation calls it with or without a manager.
    static void UnRegisterPVRServiceResultCb();
    static void t_PVRServiceResultCb(ps_result_pvr* result, void* data);
    int ProcessUGEvent(int event);

    // ---- key dispatch: 1 used, 0 back to the viewer ----
    int ProcessHighPrioKeyEvent(int key);
    int ProcessLowPrioKeyEvent(int key);

    // ---- recorder keys and launches ----
    int m_ProcessRecordRecognitionKey(int key);
    void m_LaunchRecorderApp(int key, char* calledApp);
    void m_LaunchRecorderApp(char const* key, char const* value);
    void t_SendCmdToRecordApp(char const* method, char const* serviceId);
    void m_LaunchSportsModeApp(char const* key, char const* value);
    int m_ShowNAPopup();

    // ---- colour keys ----
    int m_ProcessUgRecognitionKey(int key);
    static Eina_Bool m_GreenWaitYellowProcessCB(void* data);

    // ---- zoom pause and resume ----
    int m_ProcessExitZoom();
    static Eina_Bool m_WaitPauseSucceedCB(void* data);
    int m_DeleteWaitPauseTimer();

    // ---- bookmarks, highlights, highlight player ----
    int m_ProcessManualHighlight();
    bool m_SetBookmark();
    bool m_ManualHighlight();
    int m_ShowBookMarkThumbnailWnd(stBookmarkThumbnail*& record);
    int m_HideBookMarkWnd();
    int m_CloseHighlightWnd();
    bool m_IsBookmarkWndShow();
    int m_EnterHighlightPlayer(bool playLast);
    int ShowHighlightPlayerForMouse();
    static Eina_Bool m_OnBookMarkWndTimeOutCB(void* data);

    // ---- state ----
    Evas_Object* m_pParentWin;
    Evas_Object* m_pBaseLayout;
    ui_gadget_h m_pUG;
    bool m_bCreateFlag;
    CBookmarkThumbnailWnd* m_pBookmarkThumbnailWnd;
    Ecore_Timer* m_pBookmarkWndTimer;
    timeval m_stRedKeyTime;
    timeval m_stGreenKeyTime;
    timeval m_stYellowKeyTime;
    timeval m_stRecorderKeyTime;
    Ecore_Timer* m_pWaitPauseSucceedAlarm;
    int m_nWaitPauseSucceedCount;
    bool m_bWaitPauseSuccessFlag;
    bool m_bZoomWaitPauseFlag;
    bool m_bZoomShowFlag;
    Ecore_Timer* m_pGreenWaitYellowAlarm;
    bool m_bGreenWaitYellowProcessFlag;
    int m_nGreenWaitYellowCount;

    static CSportsUGMgr* pSportsUGMgr;

private:
    // The timers every ending of the manager deletes: Destroy and deletion.
    void m_DeleteTimers();
};

// Brings the viewer's window up before a sports view opens over it. A macro so
// that its line is logged under the operation that raises.
#define VANTRO_RAISE_VIEWER()                              \
    do {                                                   \
        Evas_Object* viewerWin = ug_get_window();          \
        if (viewerWin) {                                   \
            VLOG_SYS("tv-viewer is focus out, raise it."); \
            elm_win_raise(viewerWin);                      \
        }                                                  \
    } while (0)

// Lets the host ask whether the bookmark pop-up is on screen.
class __attribute__((visibility("default"))) CSportsUGAPI {
public:
    static bool IsSportsmodeUGShow();
};

#endif
