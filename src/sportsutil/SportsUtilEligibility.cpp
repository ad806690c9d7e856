// May a sports function run on the channel on screen, and does another
// application hold the TV in a way that rules recording functions out.
// Asked afresh on every call; the TV service objects used here are owned by
// the TV service.
#include "CIService.h"
#include "PVRChannelMgr.h"
#include "SportsUtil.h"
#include "TVServiceAPI.h"
#include "VantroLog.h"
#include "casv.h"
#include "svc_pvr.h"
#include "vconf.h"

namespace {

const char* const kTv2MobileKey = "memory/menu/network/screenmirroring/smsrc_status";
const char* const kScreenMirroringKey = "memory/menu/network/screenmirroring/sm_status";
const char* const kDualTvKey = "db/dualtv/dualtv_view_status";

const int kGameResumeMode = 1;
const int kRecordingPair = 2;

// Of two recordings, the one that plays the current channel; the other is
// written to *other. When neither is live the second plays the current one.
unsigned long long CurrentOfPair(const unsigned long long list[kRecordingPair], unsigned long long* other) {
    if (list[0] == CSportsUtil::GetLiveServiceId()) {
        *other = list[1];
        return list[0];
    }
    *other = list[0];
    return list[1];
}

}  // namespace

unsigned long long CSportsUtil::GetLiveServiceId() {
    unsigned long long serviceId = kAVServiceId;
    if (!IsAVSource()) {
        serviceId = 0;
        if (svc_pvr_get_current_livetv_service_id(&serviceId) != PS_CALL_METHOD_SUCCESS) return 0;
    }
    VLOG_SYS("Live service id is [%llu]", serviceId);
    return serviceId;
}

bool CSportsUtil::IsAnalysisPipelineUsing() {
    int highlight = CASV_IsHighlightModeRunning();
    VLOG_SYS("Call spt-call-api-ae CASV_IsHighlightModeRunning, ret [%d]", highlight);
    if (highlight != 0) return true;
    int gameResume = CASV_IsGameResumeModeRunning(kGameResumeMode);
    VLOG_SYS("Call spt-call-api-ae CASV_IsGameResumeModeRunning, ret [%d]", gameResume);
    return gameResume != 0;
}

bool CSportsUtil::IsAnalysisActive() {
    ISourceControl* analysis = nullptr;
    TVServiceAPI::CreateSourceControl(PROFILE_ANALYSIS, 0, &analysis);
    if (!analysis) return false;
    bool active = false;
    analysis->GetAnalysisActive(&active, 0);
    VLOG_SYS("IsAnalysisActive is [%d]", active ? 1 : 0);
    return active;
}

bool CSportsUtil::IsAnalysisConnected(unsigned long long serviceId) {
    CPVRChannelMgr* channelMgr = CPVRChannelMgr::GetChannelMgrInstance();
    if (!channelMgr) return false;
    unsigned long long analysed = channelMgr->GetAnaysisChannelInfo();
    if (analysed != serviceId) return false;
    VLOG_SYS("Analysis Connected channel service id [%llu].", analysed);
    return true;
}

long long CSportsUtil::GetRecordingTime(unsigned long long serviceId) {
    int mode = 0;
    long long playTime = 0;
    long long recordTime = 0;
    if (svc_pvr_get_progress_by_service_id(serviceId, &mode, &playTime, &recordTime) == PS_CALL_METHOD_FAIL_PROGRESS) {
        VLOG_SYS("Fail get play time and record time from service.");
        return -1;
    }
    return recordTime;
}

bool CSportsUtil::IsAbleToSportFunction() {
    int sourceType = 0;
    GetSourceType(sourceType);

    // An AV input has no broadcast channel for the analysis engine to follow.
    if (IsAVSourceType(sourceType)) {
        VLOG_SYS("this is composite source, we do not check the IsAnalysisPipelineUsing or not ");
    } else {
        unsigned long long liveId = 0;
        svc_pvr_get_current_livetv_service_id(&liveId);
        VLOG_SYS("svc_pvr_get_current_livetv_service_id return id [%llu].", liveId);
        if (IsAnalysisPipelineUsing() && CASV_IsAnalysisEngineRunning(liveId) == 0) {
            VLOG_SYS("Current channel can't highlight, Analysis Pipeline Using by other channel.");
            return false;
        }
    }

    int recordings = 0;
    svc_pvr_get_current_recording_count(&recordings);
    VLOG_SYS("svc_pvr_get_current_recording_count return REC Num is [%d]", recordings);
    if (recordings == 1) return true;
    if (recordings != kRecordingPair) return false;

    // Two recordings share one analysis engine: the one already analysed
    // keeps it, otherwise the longer recording wins.
    unsigned long long list[kRecordingPair] = {0, 0};
    int count = 0;
    svc_pvr_get_recording_service_id_list(list, kRecordingPair, &count);
    VLOG_SYS("pServiceIDList[0] is [%llu],pServiceIDList[1] is [%llu]", list[0], list[1]);

    if (IsAnalysisActive()) {
        if (IsAnalysisConnected(GetLiveServiceId())) {
            VLOG_SYS("Current channel is analysing");
            return true;
        }
        unsigned long long other = list[0] == GetLiveServiceId() ? list[1] : list[0];
        if (IsAnalysisConnected(other)) {
            VLOG_SYS("Another REC channel is analysing");
            return false;
        }
    }

    unsigned long long otherId = 0;
    unsigned long long currentId = CurrentOfPair(list, &otherId);
    long long currentTime = GetRecordingTime(currentId);
    long long otherTime = GetRecordingTime(otherId);
    VLOG_SYS("CurChRecTime is [%lld],OtherChRecTime is [%lld] ", currentTime, otherTime);
    if (currentTime >= otherTime) {
        VLOG_SYS("Current channel has higher recorded time.");
        return true;
    }
    VLOG_SYS("The other channel has higher recorded time.");
    return false;
}

bool CSportsUtil::IsAudioChannel() {
    unsigned long long liveId = GetLiveServiceId();
    int analog = 0;
    svc_pvr_is_analog_channel(liveId, &analog);
    int audioOnly = 0;
    if (analog == 1) {
        // For an analogue channel the TV service's own id is the one the PVR
        // service knows the channel by.
        unsigned long long currentId = 0;
        CPVRChannelMgr* channelMgr = CPVRChannelMgr::GetChannelMgrInstance();
        if (channelMgr) channelMgr->GetCurrentServiceId(&currentId);
        VLOG_SYS("svc_pvr_is_analog_channel return RESULT_TRUE. lluCurServiceID is [%llu].", currentId);
        svc_pvr_is_audio_only_channel(currentId, &audioOnly);
    } else {
        svc_pvr_is_audio_only_channel(liveId, &audioOnly);
    }
    if (audioOnly != 1) return false;
    VLOG_SYS("svc_pvr_is_audio_only_channel return RESULT_TRUE. lluLiveServiceID is [%llu].", liveId);
    return true;
}

bool CSportsUtil::IsAnalogChannel() {
    int analog = 0;
    svc_pvr_is_analog_channel(GetLiveServiceId(), &analog);
    if (analog != 1) return false;
    VLOG_SYS("svc_pvr_is_analog_channel return RESULT_TRUE.");
    return true;
}

bool CSportsUtil::IsVirtualChannel() {
    IServiceNavigation* navigation = nullptr;
    if (TVServiceAPI::CreateServiceNavigation(PROFILE_MAIN, 0, &navigation) != 0 || !navigation) {
        VLOG_SYS("Fail to GetCurrentServiceInfo");
        return false;
    }
    TCCriteriaHelper criteria;
    criteria.Fetch(SERVICE_FIELD_CHANNEL_TYPE);
    TCServiceData data;
    TSTvMode mode;
    mode.mode = -1;
    mode.subMode = -1;

    // Without the TV mode the service data stays empty and has no type.
    if (navigation->GetTvMode(mode) <= 0) {
        VLOG_SYS("Fail to GetTvMode");
    } else if (navigation->GetCurrentServiceInfo(mode, criteria, data) <= 0) {
        VLOG_SYS("Fail to GetCurrentServiceInfo");
        return false;
    }
    int type = static_cast<int>(data.Get(SERVICE_FIELD_CHANNEL_TYPE, -1));
    if (type == CHANNEL_TYPE_VIRTUAL) {
        VLOG_SYS("CHANNEL_TYPE_VIRTUAL channel,The channel type is %d", type);
        return true;
    }
    VLOG_SYS("The channel type is %d", type);
    return false;
}

bool CSportsUtil::IsExistConflictApp() {
    // A setting that cannot be read is no evidence of a conflict.
    int tv2Mobile = 0;
    if (vconf_get_int(kTv2MobileKey, &tv2Mobile) != 0) {
        VLOG_SYS("Get TV2Mobile failed");
    } else {
        VLOG_SYS("nSMSRCStatus :[%d]", tv2Mobile);
        if (tv2Mobile == 1) {
            VLOG_SYS("Conflict App, TV2Mobile is running,can not start rec");
            return true;
        }
    }

    int mirroring = 0;
    if (vconf_get_int(kScreenMirroringKey, &mirroring) != 0) {
        VLOG_SYS("Get Screen Mirroring failed");
    } else {
        VLOG_SYS("SMStatus :[%d]", mirroring);
        if (mirroring == 1 || mirroring == 2) {
            VLOG_SYS("Conflict App, Screen Mirroring is running,can not start rec");
            return true;
        }
    }

    int dualTv = 0;
    if (vconf_get_bool(kDualTvKey, &dualTv) != 0) {
        VLOG_SYS("Get DualTV status failed");
    } else {
        VLOG_SYS("nDualTVStatus :[%d]", dualTv);
        if (dualTv == 1) {
            VLOG_SYS("Dual TV is running,can not start rec");
            return true;
        }
    }

    CIM::TCCIService* ci = CIM::TCCIService::CIGeneralInstance();
    bool hostControl = false;
    if (ci && ci->IsHostControlRunning(&hostControl, 0) == 1 && hostControl) {
        VLOG_SYS("Host Control is running.");
        CPVRChannelMgr* channelMgr = CPVRChannelMgr::GetChannelMgrInstance();
        if (channelMgr && channelMgr->CheckHostControllerIsActive(GetLiveServiceId())) {
            VLOG_SYS("ConflictApp, It's ZiggoVOD");
            return true;
        }
    }

    VLOG_SYS("Not exist confilct app, support PVR key.");
    return false;
}
