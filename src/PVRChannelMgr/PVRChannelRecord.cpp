// Conversion of a TV service channel into the PVR service's channel record.
#include <iconv.h>
#include <libintl.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

#include "PVRChannelMgr.h"
#include "PvrFileInfo.h"
#include "ResourcePaths.h"
#include "VantroLog.h"

namespace {

const long long kAbsent16 = 65535;

// Text fields are logged bounded by their size: a caller's record need not
// have been zero-filled, and the conversion writes no terminator.
#define FIELD_ARG(field) static_cast<int>(sizeof(field)), (field)

void SetPlaceholder(char* field, std::size_t size) {
    std::snprintf(field, size, "%s", dgettext(VANTRO_TEXT_DOMAIN, "SID_NO_TITLE"));
}

}  // namespace

void CPVRChannelMgr::Ucs2Utf8(char* out, unsigned int outSize, char* in, unsigned int inLength) {
    // Nothing fits beside the terminator the owner keeps after the text.
    if (!out || outSize == 0) return;
    iconv_t cd = iconv_open("UTF-8", "UTF-16BE");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        VLOG_SYS("Iconv open failed");
        return;
    }
    char* inBuf = in;
    size_t inLeft = in ? inLength : 0;
    char* outBuf = out;
    size_t outLeft = outSize - 1;
    if (iconv(cd, &inBuf, &inLeft, &outBuf, &outLeft) == static_cast<size_t>(-1)) VLOG_SYS("iconv failed: %d", errno);
    iconv_close(cd);
}

void CPVRChannelMgr::m_GetChannelName(char* out, unsigned int outSize, TCServiceData& data) {
    if (!out) return;
    unsigned int n = data.GetLength(SERVICE_FIELD_CHANNEL_NAME);
    if (n >= 0x7FFFFFFFu) return;
    unsigned short* units = new (std::nothrow) unsigned short[n + 1];
    if (!units) return;
    unsigned int copied = data.Get(SERVICE_FIELD_CHANNEL_NAME, units);
    if (copied > n) copied = n;
    Ucs2Utf8(out, outSize, reinterpret_cast<char*>(units), 2 * copied);
    delete[] units;
}

void CPVRChannelMgr::m_GetPrensentProgramTitle(char* out, unsigned int outSize, TCProgramData& program) {
    unsigned int n = program.TitleLength();
    VLOG_WARN("title1 length %d ", n);
    if (n >= 0x7FFFFFFFu) return;
    unsigned short* units = new (std::nothrow) unsigned short[n + 1];
    if (!units) return;
    unsigned int filled = n;
    // Never convert more than was allocated, whatever the guide reports.
    if (!program.Title(units, &filled) || filled > n) filled = 0;
    Ucs2Utf8(out, outSize, reinterpret_cast<char*>(units), 2 * filled);
    delete[] units;
}

int CPVRChannelMgr::m_TvServiceConvertPvrInf(TCServiceData& data, TCProgramData& program, _pvr_file_info& info) {
    unsigned long long serviceId =
        static_cast<unsigned long long>(data.Get(SERVICE_FIELD_SERVICE_ID, static_cast<long long>(~0ULL)));
    VLOG_WARN("the service id [%llu]", serviceId);

    info.channel_type = static_cast<unsigned short>(data.Get(SERVICE_FIELD_CHANNEL_TYPE, kAbsent16));
    VLOG_WARN("the channel_type is [%d]", info.channel_type);

    info.program_num = static_cast<unsigned short>(data.Get(SERVICE_FIELD_PROGRAM_NUMBER, kAbsent16));
    info.program_num_copy = info.program_num;
    VLOG_WARN("the program num [%d]", info.program_num);

    info.major = static_cast<unsigned short>(data.Get(SERVICE_FIELD_MAJOR, kAbsent16));
    VLOG_WARN("the major [%d] ", info.major);
    info.minor = static_cast<unsigned short>(data.Get(SERVICE_FIELD_MINOR, kAbsent16));
    VLOG_WARN("the minor  [%d]", info.minor);

    int major = info.major, minor = info.minor;
    if (minor == 0 && major != 0)
        std::snprintf(info.channel_num, sizeof info.channel_num, "%d", major);
    else
        std::snprintf(info.channel_num, sizeof info.channel_num, "%d-%d", major, minor);
    VLOG_WARN("channel_num is [%.*s]", FIELD_ARG(info.channel_num));

    if (data.GetLength(SERVICE_FIELD_CHANNEL_NAME) == 0)
        SetPlaceholder(info.channel_name, sizeof info.channel_name);
    else
        m_GetChannelName(info.channel_name, sizeof info.channel_name, data);
    VLOG_WARN("channel_name is [%.*s]", FIELD_ARG(info.channel_name));

    if (m_pServiceGuide) m_pServiceGuide->GetPresentProgram(serviceId, program);
    m_GetPrensentProgramTitle(info.programe_title, sizeof info.programe_title, program);
    if (program.TitleLength() == 0) SetPlaceholder(info.programe_title, sizeof info.programe_title);
    VLOG_WARN("programe_title is [%.*s]", FIELD_ARG(info.programe_title));

    info.program_start_time = program.StartTime();
    VLOG_WARN("the program_start_time  [%d]", program.StartTime());
    info.program_end_time = program.EndTime();
    VLOG_WARN("the program_end_time  [%d]", program.EndTime());

    info.video_type = static_cast<int>(data.Get(SERVICE_FIELD_VIDEO_STREAM, -1));
    if (info.video_type == -1) {
        info.no_video = 1;
        VLOG_INFO("tvs_api_wrapper | it's not video channel");
    } else {
        unsigned int pid = static_cast<unsigned short>(data.Get(SERVICE_FIELD_VIDEO_PID, kAbsent16));
        info.video_pid = pid;
        info.no_video = 0;
        VLOG_INFO("tvs_api_wrapper | get video pid successfully, video pid [ %d ]", static_cast<int>(pid));
    }
    return 0;
}

int CPVRChannelMgr::GetCurrentChannelInfo(_pvr_file_info& info) {
    VLOG_SYS("GetCurrentChannelInfo");
    if (!m_pServiceNavigation) {
        VLOG_SYS("get current service info failed");
        return -1;
    }
    TSTvMode mode;
    int modeResult = m_pServiceNavigation->GetTvMode(mode);

    TCCriteriaHelper criteria;
    for (EServiceField field :
         {SERVICE_FIELD_SERVICE_ID, SERVICE_FIELD_MAJOR, SERVICE_FIELD_MINOR, SERVICE_FIELD_PROGRAM_NUMBER,
          SERVICE_FIELD_ORIGIN, SERVICE_FIELD_CHANNEL_TYPE, SERVICE_FIELD_CHANNEL_NAME, SERVICE_FIELD_FAVOURITE,
          SERVICE_FIELD_CHILD_LOCK, SERVICE_FIELD_LOCK_MODE, SERVICE_FIELD_HOST_CONTROLLER, SERVICE_FIELD_VIDEO_STREAM,
          SERVICE_FIELD_VIDEO_PID})
        criteria.Fetch(field);
    if (m_pServiceNavigation->GetCurrentServiceInfo(mode, criteria, m_CurServiceData) <= 0) {
        VLOG_SYS("get current service info failed");
        return -1;
    }
    TCProgramData program;
    m_TvServiceConvertPvrInf(m_CurServiceData, program, info);
    return modeResult;
}

int CPVRChannelMgr::GetChannelInfoByServiceId(_pvr_file_info& info, unsigned long long serviceId) {
    VLOG_SYS("the service id is [%llu]", serviceId);
    TCServiceData data;
    if (GetServiceDataByServiceId(data, serviceId) == -1) return -1;
    TCProgramData program;
    m_TvServiceConvertPvrInf(data, program, info);
    return 0;
}

unsigned long long CPVRChannelMgr::GetAnaysisChannelInfo() {
    _pvr_file_info* scratch = new (std::nothrow) _pvr_file_info;
    if (!scratch) {
        VLOG_SYS("channel record allocation failed");
        return 0;
    }
    std::memset(scratch, 0, sizeof *scratch);
    TCProgramData program;
    unsigned long long serviceId = 0;

    // Refreshes m_CurServiceData as well; its answer does not matter here.
    GetCurrentChannelInfo(*scratch);

    IServiceNavigation* analysis = nullptr;
    TSTvMode mode;
    TCCriteriaHelper criteria;
    TCServiceData data;
    if (TVServiceAPI::CreateServiceNavigation(PROFILE_ANALYSIS, 0, &analysis) != 0 || !analysis) {
        VLOG_SYS("Create Service Navigation failed");
    } else if (analysis->GetTvMode(mode) <= 0) {
        VLOG_SYS("Get TV Mode failed");
    } else {
        for (EServiceField field : {SERVICE_FIELD_SERVICE_ID, SERVICE_FIELD_MAJOR, SERVICE_FIELD_MINOR,
                                    SERVICE_FIELD_PROGRAM_NUMBER, SERVICE_FIELD_ORIGIN, SERVICE_FIELD_CHANNEL_NAME})
            criteria.Fetch(field);
        if (analysis->GetCurrentServiceInfo(mode, criteria, data) <= 0) {
            VLOG_SYS("get current service info failed");
        } else {
            m_TvServiceConvertPvrInf(data, program, *scratch);
            serviceId =
                static_cast<unsigned long long>(data.Get(SERVICE_FIELD_SERVICE_ID, static_cast<long long>(~0ULL)));
            VLOG_SYS("the service id [%llu]", serviceId);
        }
    }
    delete scratch;
    return serviceId;
}
