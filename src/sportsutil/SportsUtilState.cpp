// What the TV and the PVR are doing right now. Every answer is asked afresh
// from the platform; out values are preset so that a call that writes
// nothing reads as "off", "none" or "not recording".
#include <cstdlib>
#include <cstring>

#include "PVRChannelMgr.h"
#include "SportsUtil.h"
#include "TVServiceAPI.h"
#include "VantroLog.h"
#include "avoc.h"
#include "svc_pvr.h"
#include "system_info.h"
#include "vconf.h"

namespace {

const char* const kPxvStateKey = "memory/pxv/state";
const char* const kPxvFocusKey = "db/pxv/pxv_focus";
const char* const kPipOnOffKey = "db/menu/picture/pip/onoff";

const system_info_key_e kSupportPvrKey = 125;
const system_info_key_e kBoardGenerationKey = 362;
const system_info_key_e kSbbConnectedKey = 363;
const system_info_key_e kHighlightInAvKey = 464;

const int kShareDataWatchTv = 3;
const int kRecordingListCapacity = 10;

// The source window of a split-screen focus value: the focus names the other
// screen. False for a value out of range, which is then taken as the window.
bool WindowOfFocus(int focus, int* window) {
    switch (focus) {
        case 1:
        case 3:
        case 5:
            *window = 0;
            return true;
        case 0:
        case 2:
        case 4:
            *window = 1;
            return true;
        default:
            *window = focus;
            return false;
    }
}

unsigned long long CurrentServiceId() {
    unsigned long long serviceId = 0;
    CSportsUtil::GetCurrentServiceID(&serviceId);
    return serviceId;
}

}  // namespace

bool CSportsUtil::IsSportsMode() {
    int state = 0;
    svc_pvr_is_sports_mode(&state);
    return state == 1;
}

bool CSportsUtil::IsPXVStateON() {
    int state = 0;
    vconf_get_int(kPxvStateKey, &state);
    return state == 1;
}

bool CSportsUtil::IsPIPOn() {
    int onOff = 0;
    if (vconf_get_int(kPipOnOffKey, &onOff) != 0) {
        VLOG_SYS("get PipOnOff value failed!");
        return false;
    }
    VLOG_SYS("nPipOnOff = %d", onOff);
    return onOff != 0;
}

bool CSportsUtil::Is3DEffectOn() {
    int mode = 0;
    if (avoc_get_3d_mode(0, &mode, 0) == 0 && mode != 0) {
        VLOG_SYS("3d mode have been set on");
        return true;
    }
    VLOG_SYS("3d mode have been set off or get 3d mode failed");
    return false;
}

bool CSportsUtil::IsWatchLiveTV() {
    long long watching = 0;
    svc_pvr_get_share_data(kShareDataWatchTv, &watching);
    VLOG_INFO("llWatchTvVaule is [%lld]", watching);
    if (watching == 1) {
        VLOG_SYS("Watch live TV on.");
        return true;
    }
    VLOG_SYS("Watch live TV off.");
    return false;
}

bool CSportsUtil::IsHighlightPlayerShowing() {
    int flag = 0;
    if (svc_pvr_get_highlight_player_flag(&flag) != 0) return false;
    VLOG_SYS("svc_pvr_get_highlight_player_flag[%d]", flag);
    if (flag == 0) return false;
    VLOG_SYS("HP is running ,we need delay send next event");
    return true;
}

bool CSportsUtil::IsSupportPVR() {
    int supported = 0;
    if (system_info_get_value_int(kSupportPvrKey, &supported) != 0) {
        VLOG_SYS("system_info_get_value_int failure");
        return false;
    }
    if (supported == 0) {
        VLOG_SYS("your tv doesnot support PVR.");
        return false;
    }
    VLOG_SYS("your tv support PVR.");
    return true;
}

int CSportsUtil::GetCurrentRecordingNum() {
    unsigned long long list[kRecordingListCapacity] = {};
    int count = 0;
    svc_pvr_get_recording_service_id_list(list, kRecordingListCapacity, &count);
    return count;
}

bool CSportsUtil::IsCurrentChannelTimeshifting() {
    unsigned long long serviceId = CurrentServiceId();
    int timeshifting = 0;
    svc_pvr_is_timeshifting(serviceId, &timeshifting);
    return timeshifting != 0;
}

bool CSportsUtil::IsRecorderPauseSuccess() {
    unsigned long long serviceId = CurrentServiceId();
    int state = 0;
    svc_pvr_get_play_state_by_service_id(serviceId, &state);
    return state == PS_PLAY_STATE_PAUSE;
}

bool CSportsUtil::PlayPause() {
    unsigned long long serviceId = CurrentServiceId();
    // The zoomed picture goes back to full size before the recorder pauses.
    CPVRChannelMgr* channelMgr = CPVRChannelMgr::GetChannelMgrInstance();
    if (channelMgr) channelMgr->SetDefaultSize();
    svc_pvr_play_pause_by_service_id(serviceId);
    return true;
}

bool CSportsUtil::PlayResume() {
    unsigned long long serviceId = CurrentServiceId();
    svc_pvr_play_resume_by_service_id(serviceId);
    return true;
}

bool CSportsUtil::GetCurrentRecordingURI(std::string& uri) {
    unsigned long long serviceId = CurrentServiceId();
    char buffer[PS_RECORDING_URI_SIZE];
    std::memset(buffer, 0, sizeof buffer);
    if (svc_pvr_get_recording_uri_by_service_id(serviceId, buffer) != 0) return false;
    // A path filling the whole buffer has no terminator of its own.
    uri.assign(buffer, strnlen(buffer, sizeof buffer));
    return true;
}

int CSportsUtil::GetSourceType(int& type) {
    int pxvState = 0;
    vconf_get_int(kPxvStateKey, &pxvState);
    int window = 0;
    if (pxvState == 1) {
        VLOG_SYS("PXV Mode");
        int focus = 0;
        if (vconf_get_int(kPxvFocusKey, &focus) != 0) {
            VLOG_SYS("Get focus windowId failed!");
            focus = 0;
        }
        VLOG_SYS("PXV focus screen Id is [%d]", focus);
        if (!WindowOfFocus(focus, &window)) VLOG_SYS("FouceSreenId error");
    }

    ISourceControl* sourceControl = nullptr;
    TVServiceAPI::CreateSourceControl(PROFILE_MAIN, window, &sourceControl);
    if (!sourceControl) {
        VLOG_SYS("TVServiceAPI::CreateSourceControl failed");
        return -1;
    }
    int source = 0;
    int ret = sourceControl->GetCurrentSourceInfo(&source);
    VLOG_SYS("ISourceControl::GetCurrentSourceInfo,current source [%d] [0:tv, playback:25], rtn [%d]", source, ret);
    type = source;
    return ret;
}

bool CSportsUtil::IsAVSource() {
    int type = -1;
    if (GetSourceType(type) == -1) {
        VLOG_SYS("Get source type failed.");
        return false;
    }
    if (IsAVSourceType(type)) {
        VLOG_SYS("iCurSourceType is [%d],current source is SOURCE_TYPE_AV or SOURCE_TYPE_PLAYBACK_AV.", type);
        return true;
    }
    VLOG_SYS("current source is not SOURCE_TYPE_AV.");
    return false;
}

bool CSportsUtil::GetCurrentServiceID(unsigned long long* serviceId) {
    unsigned long long scratch = 0;
    unsigned long long* out = serviceId ? serviceId : &scratch;
    if (IsAVSource()) {
        *out = kAVServiceId;
        return true;
    }
    svc_pvr_get_current_livetv_service_id(out);
    return true;
}

bool CSportsUtil::IsSupportHighlightInAV() {
    int type = -1;
    if (GetSourceType(type) == -1) {
        VLOG_SYS("get current source type failed!!, not supprot");
        return false;
    }
    if (!IsAVSourceType(type)) {
        VLOG_SYS("Not AV source, support");
        return true;
    }
    VLOG_SYS("current source is AV, need further check");
    bool supported = false;
    if (system_info_get_value_bool(kHighlightInAvKey, &supported) != 0) {
        VLOG_SYS("system_info_get_value_int failure");
        return false;
    }
    if (!supported) {
        VLOG_SYS("your tv doesnot support Highlight in AV.");
        return false;
    }
    VLOG_SYS("your tv support Highlight in AV.");
    return true;
}

bool CSportsUtil::IsSupportATVRecording() {
    bool connected = false;
    int ret = system_info_get_value_bool(kSbbConnectedKey, &connected);
    if (ret != 0) {
        VLOG_SYS("system_info_get_value_bool fail, ret_sbb = [%d]", ret);
        return true;
    }
    VLOG_SYS("SBB is connected or not , the value is [%d]", connected ? 1 : 0);
    if (!connected) {
        VLOG_SYS("SBB is not connected");
        return true;
    }

    char* board = nullptr;
    if (system_info_get_value_string(kBoardGenerationKey, &board) != 0 || !board) {
        // Without a board generation to go by, recording is not refused.
        free(board);
        VLOG_SYS("The TV board is unknown, support ATV recording. [%d]", connected ? 1 : 0);
        return true;
    }
    bool earlier = std::strncmp(board, "2015", 4) < 0;
    free(board);
    if (earlier) {
        VLOG_SYS("The TV board is earlier than Vorrel, donot support ATV recording. [%d]", connected ? 1 : 0);
        return false;
    }
    VLOG_SYS("The TV board is 2015 Vorrel,support ATV recording. [%d]", connected ? 1 : 0);
    return true;
}

bool CSportsUtil::IsParentLocked() {
    IAVControl* avControl = nullptr;
    TVServiceAPI::CreateAVControl(PROFILE_MAIN, 0, &avControl);
    if (!avControl) return false;
    bool locked = false;
    if (avControl->GetParentalLock(&locked, 0) <= 0) return false;
    VLOG_SYS("bLocked = %d", locked ? 1 : 0);
    if (!locked) return false;
    VLOG_SYS("Is parent locked.");
    return true;
}

bool CSportsUtil::IsCurrentChannelRecording() {
    unsigned long long serviceId = CurrentServiceId();
    int recState = 0;
    int isTimeshift = 0;
    if (svc_pvr_get_record_state_by_service_id(serviceId, &recState, &isTimeshift) != PS_CALL_METHOD_SUCCESS) {
        VLOG_SYS("svc_pvr_get_record_state_by_service_id return not PS_CALL_METHOD_SUCCESS.");
        return false;
    }
    VLOG_SYS("Current service id [%llu], rec_state is [%d], PS_RECORD_STATE_STOP is [%d], isTimeshift is [%d].",
             serviceId, recState, static_cast<int>(PS_RECORD_STATE_STOP), isTimeshift);
    // Stopped and state 1 both mean no recording in progress.
    if (recState != PS_RECORD_STATE_STOP && recState != 1) {
        VLOG_SYS("Current channel is recording.");
        return true;
    }
    int complete = 0;
    svc_pvr_is_past_record_complete(serviceId, &complete);
    if (complete == 1) {
        VLOG_SYS("Now is past record complete state.");
        return true;
    }
    VLOG_SYS("There is no recording.");
    return false;
}

void CSportsUtil::FormatLongToTime(long seconds, char* text) {
    if (!text) return;
    // Two hour digits only: longer (or negative) durations pin to the ends.
    if (seconds < 0) seconds = 0;
    if (seconds > 99L * 3600 + 59 * 60 + 59) seconds = 99L * 3600 + 59 * 60 + 59;
    const long fields[3] = {seconds / 3600, (seconds / 60) % 60, seconds % 60};
    for (int i = 0; i < 3; ++i) {
        text[i * 3] = static_cast<char>('0' + fields[i] / 10);
        text[i * 3 + 1] = static_cast<char>('0' + fields[i] % 10);
        text[i * 3 + 2] = i < 2 ? ':' : '\0';
    }
}

// Keys are debounced by gettimeofday readings, which a 32-bit time_t cannot
// hold after 2038: every target is built with 64-bit time.
static_assert(sizeof(time_t) == 8, "build with _TIME_BITS=64");

timeval CSportsUtil::GetTimeDifference(timeval start, timeval end) {
    VLOG_WARN("start:[ %ld , %ld ]", static_cast<long>(start.tv_sec), static_cast<long>(start.tv_usec));
    VLOG_WARN("end:[ %ld , %ld ]", static_cast<long>(end.tv_sec), static_cast<long>(end.tv_usec));
    long sec = static_cast<long>(end.tv_sec - start.tv_sec);
    long usec;
    timeval result;
    if (sec >= 1) {
        result.tv_sec = sec - 1;
        usec = static_cast<long>(end.tv_usec) + 1000000;
    } else {
        result.tv_sec = sec;
        usec = static_cast<long>(end.tv_usec);
    }
    result.tv_usec = usec - static_cast<long>(start.tv_usec);
    if (result.tv_usec > 999999) {
        result.tv_usec -= 1000000;
        result.tv_sec += 1;
    }
    return result;
}
