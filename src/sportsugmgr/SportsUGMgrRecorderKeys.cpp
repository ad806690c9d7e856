// Recorder keys and every launch request the gadget makes: the recorder, the
// sports-mode application and the not-available pop-up.
#include "PVRKey.h"
#include "SportsUGMgr.h"
#include "SportsUtil.h"
#include "VantroLog.h"
#include "app_control.h"
#include "aul.h"
#include "bundle.h"
#include "system_info.h"
#include "vconf.h"

namespace {

const char* const kRecorderApp = "orvane.pvrrecorder";
const char* const kSportsModeApp = "orvane.pvrsportsmode";
const char* const kSysPopupApp = "orvane.alert-syspopup";
const char* const kViewerApp = "orvane.tv-viewer";

// Set when a second recorder (a picture-in-picture one) takes the record key.
const system_info_key_e kSysInfoAPicture = 518;
const char* const kPxvStateKey = "memory/pxv/state";

// Recorder keys closer together than this are one press repeated.
const long kRecorderRepeatUs = 199999;

// One app-control launch with the given pairs, then "called_app".
// Returns the send result, or -1 when no handle could be made.
int LaunchWithControl(const char* appId, const char* const* pairs, int pairCount, bool* created) {
    app_control_h handle = nullptr;
    *created = false;
    if (app_control_create(&handle) != APP_CONTROL_ERROR_NONE || !handle) return -1;
    *created = true;
    for (int i = 0; i < pairCount; ++i) app_control_add_extra_data(handle, pairs[2 * i], pairs[2 * i + 1]);
    app_control_add_extra_data(handle, "called_app", kViewerApp);
    app_control_set_app_id(handle, appId);
    int ret = app_control_send_launch_request(handle, nullptr, nullptr);
    app_control_destroy(handle);
    return ret;
}

}  // namespace

int CSportsUGMgr::m_ProcessRecordRecognitionKey(int key) {
    const CPVRKey::ERecorderKeyType type = static_cast<CPVRKey::ERecorderKeyType>(key);
    if (type == CPVRKey::KEY_RECORD_T) {
        bool aPicture = false;
        int ret = system_info_get_value_bool(kSysInfoAPicture, &aPicture);
        VLOG_SYS("Support_A_PIC =[%d], nRet=[%d]", aPicture ? 1 : 0, ret);
        if (aPicture) {
            VLOG_SYS("return record key to tv-viewer");
            return 0;
        }
        VLOG_SYS("keep check");
        if (CSportsUtil::IsVirtualChannel()) {
            VLOG_SYS("do not support virtual channel record, show N/A");
            m_ShowNAPopup();
            return 1;
        }
    } else if (CSportsUtil::IsVirtualChannel()) {
        if (type == CPVRKey::KEY_PAUSE_T || type == CPVRKey::KEY_PLAY_T) {
            VLOG_SYS("do not support virtual channel record, show N/A");
            m_ShowNAPopup();
            return 1;
        }
        if (type == CPVRKey::KEY_STOP_T) {
            // Stopping a recording must stay possible on any channel.
            VLOG_SYS("stop key, pass to app");
        } else {
            VLOG_SYS("virtual channel, return keys to tv-viewer.");
            return 0;
        }
    }

    if (CSportsUtil::IsAnalogChannel() && !CSportsUtil::IsSupportATVRecording()) {
        VLOG_SYS("current channel is ATV, but TV donot support ATV recroding, send it to tvviewer");
        return 0;
    }

    int pxv = 0;
    vconf_get_int(kPxvStateKey, &pxv);
    if (pxv == 1 && type != CPVRKey::KEY_RECORD_T && type != CPVRKey::KEY_STOP_T) {
        VLOG_SYS("in pxv mode,  pvr just process REC and stop key");
        return 1;
    }

    timeval now = {};
    gettimeofday(&now, nullptr);
    timeval diff = CSportsUtil::GetTimeDifference(m_stRecorderKeyTime, now);
    VLOG_WARN("time difference for recorder key is [%ld] s [%ld] us", static_cast<long>(diff.tv_sec),
              static_cast<long>(diff.tv_usec));
    if (diff.tv_sec == 0 && diff.tv_usec <= kRecorderRepeatUs) {
        VLOG_SYS("time difference for recorder key is less than 200ms, ignore it!");
        return 0;
    }
    gettimeofday(&m_stRecorderKeyTime, nullptr);

    switch (type) {
        case CPVRKey::KEY_RECORD_T:
        case CPVRKey::KEY_PAUSE_T:
        case CPVRKey::KEY_PLAY_T:
        case CPVRKey::KEY_STOP_T: {
            VLOG_SYS("Send pvr releated key to record app.");
            char calledApp[] = "context manager";
            m_LaunchRecorderApp(key, calledApp);
            return 1;
        }
        case CPVRKey::KEY_NEXT_T:
        case CPVRKey::KEY_REWIND_T:
        case CPVRKey::KEY_LEFT_T:
        case CPVRKey::KEY_RIGHT_T:
            // Seeking keys only mean something to the recorder while it has a stream.
            if (CSportsUtil::IsCurrentChannelRecording() || CSportsUtil::IsCurrentChannelTimeshifting()) {
                VLOG_SYS("pvrrecording is doing record or timeshift, send key to pvrrecorder");
                char calledApp[] = "orvane.tv-viewer";
                m_LaunchRecorderApp(key, calledApp);
                return 1;
            }
            VLOG_SYS("pvrrecording is NOT doing record or timeshift, send key to tvviewer");
            return 0;
        default:
            return 0;
    }
}

void CSportsUGMgr::m_LaunchRecorderApp(int key, char* calledApp) {
    bundle* b = bundle_create();
    if (!b) {
        VLOG_SYS("create bundle error");
        return;
    }
    const char* name = CPVRKey::KeyTypeToKeyName(static_cast<CPVRKey::ERecorderKeyType>(key));
    bundle_add(b, "key_name", name ? name : "");
    bundle_add(b, "called_app", calledApp ? calledApp : "");
    aul_launch_app_async(kRecorderApp, b);
    bundle_free(b);
}

void CSportsUGMgr::m_LaunchRecorderApp(char const* key, char const* value) {
    const char* pairs[] = {key, value};
    bool created = false;
    LaunchWithControl(kRecorderApp, pairs, 1, &created);
    if (!created) return;
    VLOG_SYS("Launch PVR_RECORDER_PACKAGE app, send [%s] key to it.", value ? value : "(null)");
}

void CSportsUGMgr::t_SendCmdToRecordApp(char const* method, char const* serviceId) {
    VLOG_SYS("Launch record app to [%s], servic id is:[%s]", method ? method : "(null)",
             serviceId ? serviceId : "(null)");
    const char* pairs[] = {"method", method, "service_id", serviceId};
    bool created = false;
    int ret = LaunchWithControl(kRecorderApp, pairs, serviceId ? 2 : 1, &created);
    if (created && ret != APP_CONTROL_ERROR_NONE)
        VLOG_SYS("[%s] launch  failed, the ret is [%d] , error info is ", kRecorderApp, ret);
}

void CSportsUGMgr::m_LaunchSportsModeApp(char const* key, char const* value) {
    const char* pairs[] = {key, value};
    bool created = false;
    LaunchWithControl(kSportsModeApp, pairs, 1, &created);
    if (!created) return;
    VLOG_SYS("Launch sportsmode app, send [%s] key to it.", value ? value : "(null)");
}

int CSportsUGMgr::m_ShowNAPopup() {
    app_control_h handle = nullptr;
    if (app_control_create(&handle) != APP_CONTROL_ERROR_NONE || !handle) return 0;
    app_control_add_extra_data(handle, "type", "unavailable");
    app_control_set_app_id(handle, kSysPopupApp);
    app_control_send_launch_request(handle, nullptr, nullptr);
    app_control_destroy(handle);
    VLOG_SYS("launch syspopup show NA");
    return 1;
}
