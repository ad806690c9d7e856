// Red, green and yellow in sports mode: zoom, manual highlight and the
// highlight player, plus the wait that blocks green while the player comes up.
#include "PVRKey.h"
#include "SportsUGMgr.h"
#include "SportsUtil.h"
#include "VantroLog.h"
#include "svc_pvr.h"
#include "tvcontext.h"

namespace {

const long kRedRepeatUs = 499999;
const long kGreenRepeatUs = 499999;
const long kYellowRepeatUs = 799999;
// Ticks of the green-after-yellow wait before it gives up.
const int kGreenWaitMaxTicks = 14;

bool IsWithin(const timeval& diff, long thresholdUs) { return diff.tv_sec == 0 && diff.tv_usec <= thresholdUs; }

}  // namespace

// The measured difference is logged by the key handling that asks, under its own name.
#define VANTRO_LOG_DIFFERENCE(family, diff)                                                               \
    VLOG_WARN("time difference for %s key is [%ld] s [%ld] us", family, static_cast<long>((diff).tv_sec), \
              static_cast<long>((diff).tv_usec))

int CSportsUGMgr::m_ProcessUgRecognitionKey(int key) {
    if (!CSportsUtil::IsSportsMode()) {
        VLOG_SYS("sports mode is off!");
        return 0;
    }
    if (CSportsUtil::IsVirtualChannel()) {
        VLOG_SYS("virtual channel, not process A/B/C key.");
        return 0;
    }
    // Without focus the keys are ours only while the function OSD is up.
    Evas_Object* win = ug_get_window();
    if (win && !elm_win_focus_get(win)) {
        int visible = 0;
        int ret = tvcontext_check_visible("orvane.function-osd", 0, 0, &visible);
        VLOG_SYS("Check Visiable Ret: [%d], function-osd Visiable: [%d].", ret, visible);
        if (visible == 1) {
            VLOG_SYS("tvviewer focus OUT but function-osd is showing, we  process A/B/C/D");
        } else {
            VLOG_SYS("tvviewer focus OUT and function-osd is not showing, we do not process A/B/C/D.");
            return 0;
        }
    }
    if (key != CPVRKey::KEY_RED_T && key != CPVRKey::KEY_GREEN_T && key != CPVRKey::KEY_YELLOW_T) return 0;

    timeval now = {};
    gettimeofday(&now, nullptr);
    if (key == CPVRKey::KEY_RED_T) {
        const timeval diff = CSportsUtil::GetTimeDifference(m_stRedKeyTime, now);
        VANTRO_LOG_DIFFERENCE("red", diff);
        if (IsWithin(diff, kRedRepeatUs)) {
            VLOG_SYS("time difference for red key is less than 500ms, ignore it!");
            return 0;
        }
        gettimeofday(&m_stRedKeyTime, nullptr);

        if (m_bZoomShowFlag) {
            // Leaving zoom goes on when the viewer reports it has closed.
            VLOG_SYS("current zoom showing, exit zoom sequence");
            SendResultToTvviwer("hide", "sportsmodezoom");
            return 1;
        }
        if (!CSportsUtil::IsCurrentChannelRecording() && !CSportsUtil::IsCurrentChannelTimeshifting()) {
            VLOG_SYS("Current recording or timeshift not start, do nothing. Pass A key to tv-viewer.");
            return 0;
        }
        if (m_bWaitPauseSuccessFlag) {
            VLOG_SYS("Current resume operation not finished, consume A key directly.");
            return 1;
        }
        if (CSportsUtil::IsAudioChannel() || CSportsUtil::IsParentLocked() || CSportsUtil::IsWatchLiveTV() ||
            CSportsUtil::Is3DEffectOn() || CSportsUtil::IsPIPOn()) {
            VLOG_SYS("can't zoom, consume A key, show N/A.");
            m_ShowNAPopup();
            return 1;
        }
        if (CSportsUtil::IsRecorderPauseSuccess()) {
            VLOG_SYS("current is pause state, do not pause again, show zoom directly");
            m_LaunchSportsModeApp("key_name", "key_soccer_zoom");
            VANTRO_RAISE_VIEWER();
            SendResultToTvviwer("show", "sportsmodezoom");
        } else {
            // Zoom opens when the service confirms the pause.
            bool ret = CSportsUtil::PlayPause();
            VLOG_SYS("Before enter zoom, calls svc_pvr_play_pause_by_service_id api.bRet = [%d]", ret ? 1 : 0);
        }
        m_bZoomWaitPauseFlag = true;
        return 1;
    }

    const bool green = key == CPVRKey::KEY_GREEN_T;
    if (green) {
        const timeval diff = CSportsUtil::GetTimeDifference(m_stGreenKeyTime, now);
        VANTRO_LOG_DIFFERENCE("green", diff);
        if (IsWithin(diff, kGreenRepeatUs)) {
            VLOG_SYS("time difference for green key is less than 500ms, ignore it!");
            return 1;
        }
    } else {
        const timeval diff = CSportsUtil::GetTimeDifference(m_stYellowKeyTime, now);
        VANTRO_LOG_DIFFERENCE("yellow", diff);
        if (IsWithin(diff, kYellowRepeatUs)) {
            VLOG_SYS("time difference for yellow key is less than 800ms, ignore it!");
            return 1;
        }
    }
    if (m_bZoomShowFlag) {
        VLOG_SYS("current is zoom, not process B/C, but consumed.");
        return 1;
    }
    if (CSportsUtil::IsParentLocked() || CSportsUtil::IsAudioChannel() || !CSportsUtil::IsSupportHighlightInAV()) {
        VLOG_SYS("current channel not support sport function, show N/A.");
        m_ShowNAPopup();
        return 1;
    }
    if (!CSportsUtil::IsCurrentChannelRecording()) {
        if (green) {
            VLOG_SYS("current channel is not recording! process KEY_GREEN_T show N/A.");
            m_ShowNAPopup();
        } else {
            VLOG_SYS("current channel is not recording! process KEY_YELLOW_T show need turn record on popup.");
            m_LaunchRecorderApp("key_name", "key_video_recorder_turned_on");
        }
        return 1;
    }
    int available = 0;
    svc_pvr_is_highlight_player_available(&available);
    VLOG_SYS("nIsHPAvai is:[%d]", available);
    if (!green && available == 0) {
        VLOG_SYS("current channel has no bookmark! process KEY_YELLOW_T show save no popup.");
        m_LaunchRecorderApp("key_name", "key_soccer_save_na");
        return 1;
    }
    if (!CSportsUtil::IsAbleToSportFunction()) {
        VLOG_SYS("current channel not support sport function, show N/A.");
        m_ShowNAPopup();
        return 1;
    }

    if (green) {
        gettimeofday(&m_stGreenKeyTime, nullptr);
        if (m_bGreenWaitYellowProcessFlag) {
            VLOG_SYS("Current m_bGreenWaitYellowProcessFlag is true, consume the Green key");
            return 1;
        }
        VLOG_SYS("Current m_bGreenWaitYellowProcessFlag is false");
        VANTRO_RAISE_VIEWER();
        int ret = m_ProcessManualHighlight();
        if (ret == 0) {
            m_ShowNAPopup();
            return 1;
        }
        return ret;
    }

    gettimeofday(&m_stYellowKeyTime, nullptr);
    if (!m_bGreenWaitYellowProcessFlag) {
        // Green waits only while a timer exists to end the wait; without one
        // green would be swallowed for as long as the manager lives.
        m_nGreenWaitYellowCount = 0;
        m_pGreenWaitYellowAlarm = ecore_timer_add(1.0, m_GreenWaitYellowProcessCB, this);
        if (m_pGreenWaitYellowAlarm)
            m_bGreenWaitYellowProcessFlag = true;
        else
            VLOG_SYS("failed to add the green wait timer, green keys are not held back");
    }
    m_EnterHighlightPlayer(false);
    return 1;
}

Eina_Bool CSportsUGMgr::m_GreenWaitYellowProcessCB(void* data) {
    CSportsUGMgr* self = static_cast<CSportsUGMgr*>(data);
    if (!self) {
        VLOG_SYS("data is null");
        return ECORE_CALLBACK_CANCEL;
    }
    VLOG_SYS("green wait yellow count is [%d]", self->m_nGreenWaitYellowCount);
    if (CSportsUtil::IsHighlightPlayerShowing()) {
        VLOG_SYS("highlight player showing, set m_bGreenWaitYellowProcessFlag false");
        self->m_bGreenWaitYellowProcessFlag = false;
        self->m_pGreenWaitYellowAlarm = nullptr;
        self->m_nGreenWaitYellowCount = 0;
        return ECORE_CALLBACK_CANCEL;
    }
    self->m_nGreenWaitYellowCount++;
    if (self->m_nGreenWaitYellowCount > kGreenWaitMaxTicks) {
        VLOG_SYS("wait pause success TimeOut, set GreenWaitYellowProcessFlag to false directly");
        self->m_bGreenWaitYellowProcessFlag = false;
        self->m_pGreenWaitYellowAlarm = nullptr;
        self->m_nGreenWaitYellowCount = 0;
        return ECORE_CALLBACK_CANCEL;
    }
    VLOG_SYS("here still wait");
    return ECORE_CALLBACK_RENEW;
}
