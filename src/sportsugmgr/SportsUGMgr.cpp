#include "SportsUGMgr.h"

#include <cstring>
#include <new>

#include "BookmarkThumbnailWnd.h"
#include "ResourcePaths.h"
#include "SportsUtil.h"
#include "TimerHandle.h"
#include "VantroLog.h"
#include "app_control.h"
#include "tvcontext.h"

CSportsUGMgr* CSportsUGMgr::pSportsUGMgr = nullptr;

namespace {

// The record may come unaligned: copy its leading fields bytewise.
void ReadResultHead(const ps_result_pvr* record, int* method, int* result) {
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(record);
    std::memcpy(method, bytes, sizeof(int));
    std::memcpy(result, bytes + sizeof(int), sizeof(int));
}

// A manager outlives a destroy when its create failed, or when the viewer
// only asked whether the pop-up shows: it goes with the library, else a
// framework that unloads the gadget and loads it again leaks one each time.
__attribute__((destructor)) void ReleaseManagerWithTheLibrary() { delete CSportsUGMgr::pSportsUGMgr; }

}  // namespace

CSportsUGMgr::CSportsUGMgr()
    : m_pParentWin(nullptr),
      m_pBaseLayout(nullptr),
      m_pUG(nullptr),
      m_bCreateFlag(false),
      m_pBookmarkThumbnailWnd(nullptr),
      m_pBookmarkWndTimer(nullptr),
      m_stRedKeyTime(),
      m_stGreenKeyTime(),
      m_stYellowKeyTime(),
      m_stRecorderKeyTime(),
      m_pWaitPauseSucceedAlarm(nullptr),
      m_nWaitPauseSucceedCount(0),
      m_bWaitPauseSuccessFlag(false),
      m_bZoomWaitPauseFlag(false),
      m_bZoomShowFlag(false),
      m_pGreenWaitYellowAlarm(nullptr),
      m_bGreenWaitYellowProcessFlag(false),
      m_nGreenWaitYellowCount(0) {}

CSportsUGMgr::~CSportsUGMgr() {
    // Deleted with or without Destroy, no timer may call back into a manager
    // that is gone.
    m_DeleteTimers();
    // The pop-up is owned: a manager deleted while it is up takes it along,
    // so that no window object or progress timer outlives the gadget.
    if (m_pBookmarkThumbnailWnd) {
        m_pBookmarkThumbnailWnd->Destroy();
        delete m_pBookmarkThumbnailWnd;
        m_pBookmarkThumbnailWnd = nullptr;
    }
    if (pSportsUGMgr == this) pSportsUGMgr = nullptr;
}

CSportsUGMgr* CSportsUGMgr::Get() {
    if (!pSportsUGMgr) pSportsUGMgr = new (std::nothrow) CSportsUGMgr();
    return pSportsUGMgr;
}

bool CSportsUGMgr::Create(Evas_Object* parent, ui_gadget_h ug) {
    m_pUG = ug;
    m_pParentWin = parent;
    m_pBaseLayout = elm_layout_add(parent);
    if (!m_pBaseLayout) {
        VLOG_SYS("Failed to add base layout");
        return false;
    }
    elm_theme_extension_add(nullptr, VANTRO_EDJ_FILE);
    tvcontext_init();
    svc_pvr_service_init();
    // Debounces count from creation: a key right after it is a repeat.
    gettimeofday(&m_stRedKeyTime, nullptr);
    gettimeofday(&m_stGreenKeyTime, nullptr);
    gettimeofday(&m_stYellowKeyTime, nullptr);
    gettimeofday(&m_stRecorderKeyTime, nullptr);
    m_bCreateFlag = true;
    return true;
}

void CSportsUGMgr::Destroy() {
    VLOG_SYS("sports ug destroy()");
    m_DeleteTimers();
}

void CSportsUGMgr::EndWaits() {
    m_DeleteTimers();
    m_bGreenWaitYellowProcessFlag = false;
    m_nGreenWaitYellowCount = 0;
    m_bWaitPauseSuccessFlag = false;
    m_nWaitPauseSucceedCount = 0;
}

// Each handle is forgotten once deleted, so a second call deletes nothing.
void CSportsUGMgr::m_DeleteTimers() {
    vantro::DeleteTimer(m_pWaitPauseSucceedAlarm);
    vantro::DeleteTimer(m_pGreenWaitYellowAlarm);
    vantro::DeleteTimer(m_pBookmarkWndTimer);
}

bool CSportsUGMgr::FlagCreate() { return m_bCreateFlag; }

Evas_Object* CSportsUGMgr::GetBaseLayout() { return m_pBaseLayout; }

bool CSportsUGMgr::SendResultToTvviwer(const char* cmd, const char* value) {
    VLOG_SYS("Send result to tv-viewer, cmd = [%s], value = [%s]", cmd ? cmd : "(null)", value ? value : "(null)");
    if (!cmd && !value) {
        VLOG_SYS("Cmd && value error!");
        return false;
    }
    app_control_h result = nullptr;
    if (app_control_create(&result) != APP_CONTROL_ERROR_NONE || !result) {
        VLOG_SYS("Fail to create service handle.");
        return false;
    }
    app_control_add_extra_data(result, cmd ? cmd : "", value ? value : "");
    ug_send_result(m_pUG, result);
    app_control_destroy(result);
    VLOG_SYS("Send result to tv-viewer success");
    return true;
}

void CSportsUGMgr::RegisterPVRServiceResultCb() {
    VLOG_SYS("RegisterPVRServiceResultCb, this is [%p]", static_cast<void*>(this));
    svc_pvr_register_result_pvr_point_cb(t_PVRServiceResultCb, nullptr);
}

void CSportsUGMgr::UnRegisterPVRServiceResultCb() {
    VLOG_SYS("UnRegisterPVRServiceResultCb");
    svc_pvr_unregister_result_pvr_point_cb(t_PVRServiceResultCb);
}

void CSportsUGMgr::t_PVRServiceResultCb(ps_result_pvr* result, void* data) {
    int method = 0;
    int code = 0;
    if (result) ReadResultHead(result, &method, &code);
    VLOG_SYS("here receive serviec message, method [%d], result [%d]", method, code);
    if (!result) return;

    CSportsUGMgr* self = static_cast<CSportsUGMgr*>(data);
    if (!self) {
        VLOG_SYS("pThis is null");
        self = Get();
        if (!self) return;
    }
    if (method == PS_RESULT_METHOD_PLAY_RESUME) {
        VLOG_SYS("receive resume msg, set WaitPauseSuccessFlag false");
        self->m_bWaitPauseSuccessFlag = false;
    }
    VLOG_SYS("here flag is [%d]", self->m_bZoomWaitPauseFlag);
    if (self->m_bZoomWaitPauseFlag && method == PS_RESULT_METHOD_PLAY_PAUSE) {
        if (code == 0) {
            self->m_LaunchSportsModeApp("key_name", "key_soccer_zoom");
            VANTRO_RAISE_VIEWER();
            self->SendResultToTvviwer("show", "sportsmodezoom");
        } else {
            VLOG_SYS("pause failed, do nothing");
        }
        self->m_bZoomWaitPauseFlag = false;
    }
}

int CSportsUGMgr::ProcessUGEvent(int event) {
    VLOG_SYS("process ug event: %d", event);
    if (!CSportsUtil::IsSportsMode()) {
        VLOG_SYS("sports mode is off!");
        if (event == UG_EVENT_HIDE) {
            // A pop-up left over from before sports mode went off must still go.
            m_HideBookMarkWnd();
            return 1;
        }
        return 0;
    }
    switch (event) {
        case UG_EVENT_SHOW:
            m_ManualHighlight();
            break;
        case UG_EVENT_HIDE:
            m_HideBookMarkWnd();
            break;
        case UG_EVENT_ENTER_ZOOM:
            m_bZoomShowFlag = true;
            m_DeleteWaitPauseTimer();
            break;
        case UG_EVENT_EXIT_ZOOM:
            m_bZoomShowFlag = false;
            m_ProcessExitZoom();
            break;
        default:
            break;
    }
    return 1;
}

bool CSportsUGAPI::IsSportsmodeUGShow() {
    CSportsUGMgr* mgr = CSportsUGMgr::Get();
    return mgr ? mgr->m_IsBookmarkWndShow() : false;
}
