// Process-wide channel manager over the TV service interface.
#ifndef VANTRO_PVRCHANNELMGR_H
#define VANTRO_PVRCHANNELMGR_H

#include <pthread.h>

#include <initializer_list>

#include "TVServiceAPI.h"

struct _pvr_file_info;

class CPVRChannelMgr {
public:
    CPVRChannelMgr();
    virtual ~CPVRChannelMgr();

    static CPVRChannelMgr* GetChannelMgrInstance();

    int ChannelInit();
    void ChannelFinish();

    int GetCurrentTvMode(TSTvMode& mode);
    int m_GetTVmModes(TSTvMode& mode, ENavigationMode* navigationMode);
    bool IsNoSignalChannel();
    int GetCurrentServiceData(TCServiceData& data);
    int GetServiceDataByServiceId(TCServiceData& data, unsigned long long serviceId);
    bool IsAnalogChannel(unsigned long long serviceId);
    bool IsChildLockChannel(unsigned long long serviceId);
    bool IsAudioOnlyChannel(unsigned long long serviceId);
    bool CheckHostControllerIsActive(unsigned long long serviceId);
    int GetCurrentServiceId(unsigned long long* serviceId);
    bool SetDefaultSize();

    // ---- channel record ----
    static void Ucs2Utf8(char* out, unsigned int outSize, char* in, unsigned int inLength);
    void m_GetChannelName(char* out, unsigned int outSize, TCServiceData& data);
    void m_GetPrensentProgramTitle(char* out, unsigned int outSize, TCProgramData& program);
    int m_TvServiceConvertPvrInf(TCServiceData& data, TCProgramData& program, _pvr_file_info& info);
    int GetCurrentChannelInfo(_pvr_file_info& info);
    int GetChannelInfoByServiceId(_pvr_file_info& info, unsigned long long serviceId);
    unsigned long long GetAnaysisChannelInfo();

    IService* m_pService;
    IServiceNavigation* m_pServiceNavigation;
    IServiceGuide* m_pServiceGuide;
    ISourceControl* m_pSourceControl;
    TCServiceData m_CurServiceData;

    static pthread_mutex_t m_Mutex;
    static CPVRChannelMgr* m_pChannelMgr;

private:
    // FindService for one id with the given fetched fields; true when it matched.
    bool m_FindServiceById(TCServiceData& data, unsigned long long serviceId,
                           std::initializer_list<EServiceField> fields);
};

#endif
