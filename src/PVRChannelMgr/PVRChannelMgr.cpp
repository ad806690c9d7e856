// The channel manager: the TV service objects of the main picture and the
// channel questions asked of them.
#include "PVRChannelMgr.h"

#include <new>

#include "VantroLog.h"
#include "vconf.h"

namespace {

const unsigned long long kAbsentServiceId = ~0ULL;
const char* const kNavigationModeKey = "db/broadcasting/channel_navigation_mode";

// Service id of the data, all bits set when the service left it out.
unsigned long long ServiceIdOf(const TCServiceData& data) {
    return static_cast<unsigned long long>(
        data.Get(SERVICE_FIELD_SERVICE_ID, static_cast<long long>(kAbsentServiceId)));
}

}  // namespace

pthread_mutex_t CPVRChannelMgr::m_Mutex = PTHREAD_MUTEX_INITIALIZER;
CPVRChannelMgr* CPVRChannelMgr::m_pChannelMgr = nullptr;

CPVRChannelMgr::CPVRChannelMgr()
    : m_pService(nullptr), m_pServiceNavigation(nullptr), m_pServiceGuide(nullptr), m_pSourceControl(nullptr) {
    VLOG_WARN("Init CPVRChannelMgr");
}

CPVRChannelMgr::~CPVRChannelMgr() {
    // The TV service objects belong to the TV service; they are not released here.
    VLOG_WARN("Finish CPVRChannelMgr");
}

namespace {

// The instance lives as long as the library: a framework that unloads the
// gadget and loads it again would otherwise leave one behind each time.
__attribute__((destructor)) void ReleaseChannelMgrWithTheLibrary() {
    pthread_mutex_lock(&CPVRChannelMgr::m_Mutex);
    delete CPVRChannelMgr::m_pChannelMgr;
    CPVRChannelMgr::m_pChannelMgr = nullptr;
    pthread_mutex_unlock(&CPVRChannelMgr::m_Mutex);
}

}  // namespace

CPVRChannelMgr* CPVRChannelMgr::GetChannelMgrInstance() {
    pthread_mutex_lock(&m_Mutex);
    if (!m_pChannelMgr) {
        CPVRChannelMgr* mgr = new (std::nothrow) CPVRChannelMgr();
        if (mgr) {
            m_pChannelMgr = mgr;
            // A failed initialisation keeps the instance; it is not tried again.
            mgr->ChannelInit();
        } else {
            VLOG_SYS("CPVRChannelMgr allocation failed");
        }
    }
    CPVRChannelMgr* instance = m_pChannelMgr;
    pthread_mutex_unlock(&m_Mutex);
    return instance;
}

int CPVRChannelMgr::ChannelInit() {
    if (TVServiceAPI::CreateService(&m_pService) != 0 || !m_pService) {
        VLOG_SYS("Create Service failed");
        ChannelFinish();
        return -1;
    }
    if (TVServiceAPI::CreateServiceNavigation(PROFILE_MAIN, 0, &m_pServiceNavigation) != 0 || !m_pServiceNavigation) {
        VLOG_SYS("Create Service Navigation failed");
        ChannelFinish();
        return -1;
    }
    if (TVServiceAPI::CreateServiceGuide(&m_pServiceGuide) != 0 || !m_pServiceGuide) {
        VLOG_SYS("Create Service Guide failed");
        ChannelFinish();
        return -1;
    }
    if (TVServiceAPI::CreateSourceControl(PROFILE_MAIN, 0, &m_pSourceControl) != 0 || !m_pSourceControl) {
        VLOG_SYS("Create source control failed");
        ChannelFinish();
        return -1;
    }
    VLOG_WARN("Init channel service succuss!");
    return 0;
}

void CPVRChannelMgr::ChannelFinish() {
    TVServiceAPI::Destroy();
    m_pService = nullptr;
    m_pServiceNavigation = nullptr;
    m_pServiceGuide = nullptr;
    m_pSourceControl = nullptr;
    VLOG_WARN("Finish channel mgr succuss!");
}

int CPVRChannelMgr::GetCurrentTvMode(TSTvMode& mode) {
    int ret = m_pServiceNavigation ? m_pServiceNavigation->GetTvMode(mode) : -1;
    if (ret > 0) {
        VLOG_SYS("the current tv mode is [%d]", mode.mode);
        return ret;
    }
    VLOG_SYS("get current tv mode Failed!!! ret = [%d]", ret);
    return -1;
}

int CPVRChannelMgr::m_GetTVmModes(TSTvMode& mode, ENavigationMode* navigationMode) {
    if (!m_pServiceNavigation || m_pServiceNavigation->GetTvMode(mode) < 1) {
        VLOG_SYS("get tv mode failed");
        return -1;
    }
    int value = 0;
    vconf_get_int(kNavigationModeKey, &value);
    if (navigationMode) *navigationMode = value;
    return 0;
}

bool CPVRChannelMgr::IsNoSignalChannel() {
    int state = -1;
    if (!m_pSourceControl || m_pSourceControl->GetSourceState(&state) <= 0) {
        VLOG_SYS("get the source state failed, no signal");
        return true;
    }
    VLOG_SYS("get the source state success");
    if (state == 1) {
        VLOG_SYS("current source has signal,the source state is [%d]", state);
        return false;
    }
    VLOG_SYS("current source has no signal, the sourceState is [%d]", state);
    return true;
}

int CPVRChannelMgr::GetCurrentServiceData(TCServiceData& data) {
    if (!m_pServiceNavigation) {
        VLOG_SYS("get current service info failed");
        return -1;
    }
    TCCriteriaHelper criteria;
    TSTvMode mode;
    int ret = m_pServiceNavigation->GetTvMode(mode);
    VLOG_WARN("ret is :%d", ret);
    if (m_pServiceNavigation->GetCurrentServiceInfo(mode, criteria, data) > 0) return 0;
    VLOG_SYS("get current service info failed");
    return -1;
}

int CPVRChannelMgr::GetCurrentServiceId(unsigned long long* serviceId) {
    TSTvMode mode;
    ENavigationMode navigationMode = 0;
    if (m_GetTVmModes(mode, &navigationMode) != 0) return -1;

    TCCriteriaHelper criteria;
    criteria.Fetch(SERVICE_FIELD_SERVICE_ID);
    TCServiceData data;
    int ret = m_pServiceNavigation->GetCurrentServiceInfo(mode, criteria, data);
    if (ret <= 0) {
        VLOG_SYS("get current service info failed, ret: [%d]", ret);
        return -1;
    }
    unsigned long long id = ServiceIdOf(data);
    if (serviceId) *serviceId = id;
    VLOG_WARN("Get current service_id [%llu]", id);
    return 0;
}

bool CPVRChannelMgr::m_FindServiceById(TCServiceData& data, unsigned long long serviceId,
                                       std::initializer_list<EServiceField> fields) {
    if (!m_pService) return false;
    TCCriteriaHelper criteria;
    for (EServiceField field : fields) criteria.Fetch(field);
    criteria.Where(SERVICE_FIELD_SERVICE_ID, serviceId);
    return m_pService->FindService(criteria, data, 1) > 0;
}

int CPVRChannelMgr::GetServiceDataByServiceId(TCServiceData& data, unsigned long long serviceId) {
    VLOG_SYS("the src service_id is [%llu]", serviceId);
    if (!m_FindServiceById(
            data, serviceId,
            {SERVICE_FIELD_MAJOR, SERVICE_FIELD_MINOR, SERVICE_FIELD_PROGRAM_NUMBER, SERVICE_FIELD_ORIGIN,
             SERVICE_FIELD_CHANNEL_TYPE, SERVICE_FIELD_CHANNEL_NAME, SERVICE_FIELD_FAVOURITE, SERVICE_FIELD_CHILD_LOCK,
             SERVICE_FIELD_LOCK_MODE, SERVICE_FIELD_HOST_CONTROLLER, SERVICE_FIELD_VIDEO_STREAM,
             SERVICE_FIELD_VIDEO_PID, SERVICE_FIELD_SERVICE_ID})) {
        VLOG_SYS("can not find the servicedata by service_id [%llu]", serviceId);
        return -1;
    }
    VLOG_SYS(" find the servicedata by service_id [%llu] ", serviceId);
    return 0;
}

bool CPVRChannelMgr::IsAnalogChannel(unsigned long long serviceId) {
    VLOG_SYS("the src service_id is [%llu]", serviceId);
    TCServiceData data;
    if (!m_FindServiceById(data, serviceId, {SERVICE_FIELD_CHANNEL_TYPE})) {
        VLOG_SYS("can not find the servicedata by service_id [%llu]", serviceId);
        return false;
    }
    VLOG_SYS(" find the servicedata by service_id [%llu] ", serviceId);
    EChannelType type = static_cast<EChannelType>(data.Get(SERVICE_FIELD_CHANNEL_TYPE, CHANNEL_TYPE_UNKNOWN));
    return TCServiceUtility::IsAnalogChannelType(type);
}

bool CPVRChannelMgr::IsChildLockChannel(unsigned long long serviceId) {
    VLOG_SYS("the serviceID is [%llu]", serviceId);
    TCServiceData data;
    if (!m_FindServiceById(data, serviceId, {SERVICE_FIELD_CHILD_LOCK})) {
        VLOG_SYS("can not find the servicedata by service_id [%llu]", serviceId);
        return false;
    }
    // A found service that does not say counts as locked.
    if (data.IsSet(SERVICE_FIELD_CHILD_LOCK) && data.Get(SERVICE_FIELD_CHILD_LOCK, 1) == 0) {
        VLOG_SYS("the channel is not child lock, service id is [%llu]", serviceId);
        return false;
    }
    VLOG_SYS("the channel is child lock, service id is [%llu]", serviceId);
    return true;
}

bool CPVRChannelMgr::IsAudioOnlyChannel(unsigned long long serviceId) {
    VLOG_SYS("the serviceID is [%llu]", serviceId);
    // Without a service database there is no answer at all, which is not the
    // same as a service the database does not know (that one counts as audio-only).
    if (!m_pService) return false;
    TCServiceData data;
    if (!m_FindServiceById(data, serviceId, {SERVICE_FIELD_VIDEO_STREAM})) {
        VLOG_SYS("can not find the servicedata by service_id [%llu]", serviceId);
        return true;
    }
    if (data.Get(SERVICE_FIELD_VIDEO_STREAM, -1) == -1) {
        VLOG_INFO("the channel is audio only  channel");
        VLOG_SYS("the channel is audio only channel, service id is [%llu]", serviceId);
        return true;
    }
    VLOG_SYS("the channel is a video channel");
    return false;
}

bool CPVRChannelMgr::CheckHostControllerIsActive(unsigned long long serviceId) {
    TCServiceData data;
    if (!m_FindServiceById(data, serviceId, {SERVICE_FIELD_HOST_CONTROLLER})) {
        VLOG_SYS("Failed to find the serviceData through serviceId. serviceId is [%llu].", serviceId);
        return false;
    }
    if (data.Get(SERVICE_FIELD_HOST_CONTROLLER, 0LL) != 0) {
        VLOG_SYS("Host Controller Is Active.");
        return true;
    }
    VLOG_SYS("Host Controller Is Not Active.");
    return false;
}

bool CPVRChannelMgr::SetDefaultSize() {
    // A fresh video control every time; the TV service keeps it.
    IVideoControl* videoControl = nullptr;
    TVServiceAPI::CreateVideoControl(PROFILE_MAIN, 0, &videoControl);
    if (!videoControl) {
        VLOG_SYS("pVideoCtrl is created failed");
        return false;
    }
    bool done = videoControl->SetDefaultSize() != 0;
    VLOG_SYS("call-api-tvs SetDefaultSize, result is [%d]", done ? 1 : 0);
    if (!done) {
        VLOG_SYS("SetDefaultSize failed!!");
        return false;
    }
    return true;
}
