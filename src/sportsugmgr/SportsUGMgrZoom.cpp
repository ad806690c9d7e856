// Leaving zoom: the recorder is told to resume only once its pause has taken
// effect, polled once a second for at most 15 seconds.
#include <cstdio>

#include "SportsUGMgr.h"
#include "SportsUtil.h"
#include "TimerHandle.h"
#include "VantroLog.h"

namespace {

const int kWaitPauseMaxTicks = 14;
const int kServiceIdTextSize = 512;

}  // namespace

// Tells the recorder to resume; a macro so that its line is logged under the
// operation that saw the pause confirmed.
#define VANTRO_SEND_RESUME(self)                                                                                  \
    do {                                                                                                          \
        char serviceIdText[kServiceIdTextSize] = {};                                                              \
        unsigned long long serviceId = 0;                                                                         \
        CSportsUtil::GetCurrentServiceID(&serviceId);                                                             \
        std::snprintf(serviceIdText, sizeof serviceIdText, "%llu", serviceId);                                    \
        VLOG_SYS("Exit zoom, pause successed, launch record app to resume. szServiceId is [%s].", serviceIdText); \
        (self)->t_SendCmdToRecordApp("zoomresume", serviceIdText);                                                \
    } while (0)

int CSportsUGMgr::m_ProcessExitZoom() {
    if (!CSportsUtil::IsCurrentChannelRecording()) {
        VLOG_SYS("Current record not start, do nothing.");
        return 1;
    }
    if (CSportsUtil::IsRecorderPauseSuccess()) {
        VANTRO_SEND_RESUME(this);
        return 1;
    }
    // The count carries on from a wait replaced here.
    vantro::DeleteTimer(m_pWaitPauseSucceedAlarm);
    VLOG_SYS("wait pause success, set WaitPauseSuccessFlag to true");
    m_bWaitPauseSuccessFlag = true;
    m_pWaitPauseSucceedAlarm = ecore_timer_add(1.0, m_WaitPauseSucceedCB, this);
    if (!m_pWaitPauseSucceedAlarm) {
        // Nothing would ever end the wait: red would be consumed until a resume
        // result that no resume command asked for.
        VLOG_SYS("failed to add the wait pause timer, set WaitPauseSuccessFlag to false");
        m_bWaitPauseSuccessFlag = false;
    }
    return 1;
}

Eina_Bool CSportsUGMgr::m_WaitPauseSucceedCB(void* data) {
    CSportsUGMgr* self = static_cast<CSportsUGMgr*>(data);
    if (!self) {
        VLOG_SYS("data is null");
        return ECORE_CALLBACK_CANCEL;
    }
    VLOG_SYS("wait pause succeed count is [%d]", self->m_nWaitPauseSucceedCount);
    if (CSportsUtil::IsRecorderPauseSuccess()) {
        // The flag stays until the service reports the resume.
        VANTRO_SEND_RESUME(self);
        self->m_pWaitPauseSucceedAlarm = nullptr;
        self->m_nWaitPauseSucceedCount = 0;
        return ECORE_CALLBACK_CANCEL;
    }
    self->m_nWaitPauseSucceedCount++;
    if (self->m_nWaitPauseSucceedCount <= kWaitPauseMaxTicks) return ECORE_CALLBACK_RENEW;
    VLOG_SYS("wait pause success TimeOut, set WaitPauseSuccessFlag to false directly");
    self->m_pWaitPauseSucceedAlarm = nullptr;
    self->m_nWaitPauseSucceedCount = 0;
    self->m_bWaitPauseSuccessFlag = false;
    return ECORE_CALLBACK_CANCEL;
}

int CSportsUGMgr::m_DeleteWaitPauseTimer() {
    if (m_pWaitPauseSucceedAlarm) {
        VLOG_SYS("need to delete timer before enter zoom, m_pWaitPauseSucceedAlarm is [%p].",
                 static_cast<void*>(m_pWaitPauseSucceedAlarm));
        ecore_timer_freeze(m_pWaitPauseSucceedAlarm);
        vantro::DeleteTimer(m_pWaitPauseSucceedAlarm);
    }
    return 1;
}
