// TV service interface: service database, navigation, programme guide and the
// controls of the picture, per profile and window.
#ifndef VANTRO_PLATFORM_TVSERVICEAPI_H
#define VANTRO_PLATFORM_TVSERVICEAPI_H

#include <map>
#include <vector>

enum EProfile {
    PROFILE_MAIN = 1,
    PROFILE_ANALYSIS = 401,
};

enum EChannelType {
    CHANNEL_TYPE_UNKNOWN = -1,
    CHANNEL_TYPE_DTV = 0,
    CHANNEL_TYPE_ATV = 1,
    CHANNEL_TYPE_CATV = 2,
    CHANNEL_TYPE_CDTV = 3,
    CHANNEL_TYPE_SATELLITE = 4,
    CHANNEL_TYPE_VIRTUAL = 9,
};

typedef int ENavigationMode;

// Field codes of TCServiceData.
enum EServiceField {
    SERVICE_FIELD_CHANNEL_TYPE = 1,
    SERVICE_FIELD_ORIGIN = 2,
    SERVICE_FIELD_SERVICE_ID = 12,
    SERVICE_FIELD_MAJOR = 13,
    SERVICE_FIELD_MINOR = 14,
    SERVICE_FIELD_PROGRAM_NUMBER = 15,
    SERVICE_FIELD_CHANNEL_NAME = 16,
    SERVICE_FIELD_VIDEO_STREAM = 19,
    SERVICE_FIELD_VIDEO_PID = 20,
    SERVICE_FIELD_CHILD_LOCK = 22,
    SERVICE_FIELD_LOCK_MODE = 26,
    SERVICE_FIELD_HOST_CONTROLLER = 27,
    SERVICE_FIELD_FAVOURITE = 63,
};

struct TSTvMode {
    int mode;
    int subMode;
    TSTvMode() : mode(-1), subMode(-1) {}
};

// A query: the fields the answer must carry and equality conditions.
class TCCriteriaHelper {
public:
    void Fetch(int field);
    void Where(int field, unsigned long long const& value);

    const std::vector<int>& FetchedFields() const { return m_fetch; }
    const std::vector<std::pair<int, unsigned long long>>& Conditions() const { return m_where; }

private:
    std::vector<int> m_fetch;
    std::vector<std::pair<int, unsigned long long>> m_where;
};

// The fields of one service; each present or absent.
class TCServiceData {
public:
    bool IsSet(int field) const;
    // Integer fields; absentValue when the field is absent.
    long long Get(int field, long long absentValue) const;
    // Text fields, in 16-bit units. Each unit is kept in broadcast byte order
    // (big-endian in memory, whatever the host's order).
    unsigned int GetLength(int field) const;
    // Copies GetLength(field) units; returns the number copied.
    unsigned int Get(int field, unsigned short* units) const;

    void Set(int field, long long value);
    void SetText(int field, const std::vector<unsigned short>& units);
    void Clear();

private:
    std::map<int, long long> m_values;
    std::map<int, std::vector<unsigned short>> m_texts;
};

// One programme of the guide. The title's units are big-endian in memory, as
// the text fields of TCServiceData.
class TCProgramData {
public:
    unsigned int TitleLength() const;
    // Copies at most *length units, writes the number copied back to *length.
    bool Title(unsigned short* units, unsigned int* length);
    int StartTime() const;
    int EndTime() const;

    void SetTitle(const std::vector<unsigned short>& units);
    void SetTimes(int start, int end);

private:
    std::vector<unsigned short> m_title;
    int m_start = 0;
    int m_end = 0;
};

class IService {
public:
    virtual ~IService() {}
    // Result above 0 when a service matched; its fetched fields are in data.
    virtual int FindService(TCCriteriaHelper& criteria, TCServiceData& data, int maxCount) = 0;
};

class IServiceNavigation {
public:
    virtual ~IServiceNavigation() {}
    // Results above 0 mean success.
    virtual int GetTvMode(TSTvMode& mode) = 0;
    virtual int GetCurrentServiceInfo(TSTvMode mode, TCCriteriaHelper& criteria, TCServiceData& data) = 0;
};

class IServiceGuide {
public:
    virtual ~IServiceGuide() {}
    virtual int GetPresentProgram(unsigned long long& serviceId, TCProgramData& program) = 0;
};

class ISourceControl {
public:
    virtual ~ISourceControl() {}
    virtual int GetCurrentSourceInfo(int* sourceType) = 0;
    virtual int GetSourceState(int* state) = 0;
    virtual int GetAnalysisActive(bool* active, int reserved) = 0;
};

class IVideoControl {
public:
    virtual ~IVideoControl() {}
    // Nonzero when the video window was reset to its default size.
    virtual int SetDefaultSize() = 0;
};

class IAVControl {
public:
    virtual ~IAVControl() {}
    // Result above 0 means success.
    virtual int GetParentalLock(bool* locked, int reserved) = 0;
};

// Creation calls return 0 on success. The TV service owns every object it hands out.
class TVServiceAPI {
public:
    static int CreateService(IService** service);
    static int CreateServiceNavigation(EProfile profile, int window, IServiceNavigation** navigation);
    static int CreateServiceGuide(IServiceGuide** guide);
    static int CreateSourceControl(EProfile profile, int window, ISourceControl** control);
    static int CreateVideoControl(EProfile profile, int window, IVideoControl** control);
    static int CreateAVControl(EProfile profile, int window, IAVControl** control);
    static void Destroy();
};

class TCServiceUtility {
public:
    static bool IsAnalogChannelType(EChannelType type);
};

#endif
