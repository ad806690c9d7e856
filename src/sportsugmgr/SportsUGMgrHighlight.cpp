// Manual highlights: the bookmark set at the current position, the pop-up
// showing the latest bookmark and its auto-hide, and the highlight player.
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "BookmarkThumbnailWnd.h"
#include "SportsUGMgr.h"
#include "SportsUtil.h"
#include "TimerHandle.h"
#include "VantroLog.h"
#include "svc_pvr.h"

namespace {

const double kBookmarkWndTimeout = 15.0;
const size_t kUriBufferSize = 256;

void FreeBookmark(stBookmarkThumbnail*& record) {
    if (!record) return;
    if (record->pImageBuffer) {
        std::free(record->pImageBuffer);
        record->pImageBuffer = nullptr;
    }
    delete record;
    record = nullptr;
}

}  // namespace

bool CSportsUGMgr::m_SetBookmark() {
    unsigned long long serviceId = 0;
    int mode = 1;
    long long playTime = -1;
    long long recordTime = -1;
    CSportsUtil::GetCurrentServiceID(&serviceId);
    svc_pvr_get_progress_by_service_id(serviceId, &mode, &playTime, &recordTime);
    VLOG_SYS("Current play and record time from service is [%lld], [%lld]", playTime, recordTime);
    // While the live edge is shown the play position is unknown (-1): the
    // bookmark then goes to the recording's end.
    const long long bookmarkTime = playTime >= 0 ? playTime : recordTime;

    std::string uri;
    if (!CSportsUtil::GetCurrentRecordingURI(uri)) {
        VLOG_SYS("Failed to get URI!");
        return false;
    }
    if (uri.empty()) {
        VLOG_SYS("URI is NULL!");
        return false;
    }
    char charURI[kUriBufferSize];
    std::memset(charURI, 0, sizeof(charURI));
    std::strncpy(charURI, uri.c_str(), sizeof(charURI) - 1);
    VLOG_SYS("charURI = [%s],TimeSendToService = [%lld]", charURI, bookmarkTime);
    // The service takes the time as 32 bits.
    if (svc_pvr_set_bookmark(charURI, static_cast<int>(static_cast<unsigned int>(bookmarkTime & 0xFFFFFFFFLL))) != 0) {
        VLOG_SYS("svc_pvr_set_bookmark result is not 0");
        return false;
    }
    return true;
}

int CSportsUGMgr::m_ProcessManualHighlight() {
    if (!m_SetBookmark()) {
        VLOG_SYS("Failed to set bookmark!");
        return 0;
    }
    if (m_IsBookmarkWndShow()) {
        // Already on screen: refresh it directly with the newer bookmark.
        const bool shown = m_ManualHighlight();
        if (!shown) VLOG_SYS("Failed to manual highlight");
        return shown ? 1 : 0;
    }
    if (CSportsUtil::IsHighlightPlayerShowing()) {
        VLOG_SYS("Highlight Player is showing, do not show again");
        return 1;
    }
    // The viewer answers "show", which brings the pop-up up.
    SendResultToTvviwer("show", "pvrsportsmode");
    return 1;
}

bool CSportsUGMgr::m_ManualHighlight() {
    std::string uri;
    if (!CSportsUtil::GetCurrentRecordingURI(uri)) {
        VLOG_SYS("Failed to get URI!");
        return false;
    }
    if (uri.empty()) {
        VLOG_SYS("URI is NULL!");
        return false;
    }
    stBookmarkThumbnail* record = new (std::nothrow) stBookmarkThumbnail;
    if (!record) {
        VLOG_SYS("pLatestBookmark is NULL!");
        return false;
    }
    if (!CSportsUtil::GetLatestBookmark(uri, record)) {
        VLOG_SYS("failed to get lastest bookmark!");
        // A failed read leaves the record untouched: nothing else to free.
        delete record;
        return false;
    }
    m_ShowBookMarkThumbnailWnd(record);
    FreeBookmark(record);
    return true;
}

int CSportsUGMgr::m_ShowBookMarkThumbnailWnd(stBookmarkThumbnail*& record) {
    VLOG_SYS("show bookmark thumbnail wnd");
    if (!m_pBookmarkThumbnailWnd) {
        m_pBookmarkThumbnailWnd = new (std::nothrow) CBookmarkThumbnailWnd();
        if (!m_pBookmarkThumbnailWnd) {
            VLOG_SYS("failed to new m_pBookmarkThumbnailWnd!");
            return 0;
        }
        m_pBookmarkThumbnailWnd->Create(m_pBaseLayout);
        m_pBookmarkWndTimer = ecore_timer_add(kBookmarkWndTimeout, m_OnBookMarkWndTimeOutCB, this);
    }
    // Every show or refresh gives the pop-up its full 15 seconds again.
    if (m_pBookmarkWndTimer)
        ecore_timer_reset(m_pBookmarkWndTimer);
    else
        m_pBookmarkWndTimer = ecore_timer_add(kBookmarkWndTimeout, m_OnBookMarkWndTimeOutCB, this);

    m_pBookmarkThumbnailWnd->SetBookmarkData(record);
    m_pBookmarkThumbnailWnd->Show();
    return 1;
}

Eina_Bool CSportsUGMgr::m_OnBookMarkWndTimeOutCB(void* data) {
    CSportsUGMgr* self = static_cast<CSportsUGMgr*>(data);
    if (!self) {
        VLOG_SYS("Mgr is NULL");
        return ECORE_CALLBACK_CANCEL;
    }
    self->m_pBookmarkWndTimer = nullptr;
    // The window goes when the viewer answers with its "hide".
    self->SendResultToTvviwer("hide", "pvrsportsmode");
    return ECORE_CALLBACK_CANCEL;
}

int CSportsUGMgr::m_HideBookMarkWnd() {
    vantro::DeleteTimer(m_pBookmarkWndTimer);
    if (m_pBookmarkThumbnailWnd && m_pBookmarkThumbnailWnd->FlagCreate()) {
        m_pBookmarkThumbnailWnd->Destroy();
        delete m_pBookmarkThumbnailWnd;
        m_pBookmarkThumbnailWnd = nullptr;
    }
    return 1;
}

int CSportsUGMgr::m_CloseHighlightWnd() { return m_HideBookMarkWnd(); }

bool CSportsUGMgr::m_IsBookmarkWndShow() { return m_pBookmarkThumbnailWnd && m_pBookmarkThumbnailWnd->FlagCreate(); }

int CSportsUGMgr::m_EnterHighlightPlayer(bool playLast) {
    if (!playLast) {
        m_LaunchSportsModeApp("key_name", "key_soccer_hp");
        return 1;
    }
    m_LaunchSportsModeApp("key_name", "key_soccer_hp_play_last");
    SendResultToTvviwer("hide", "pvrsportsmode");
    return 1;
}

int CSportsUGMgr::ShowHighlightPlayerForMouse() { return m_EnterHighlightPlayer(true); }
