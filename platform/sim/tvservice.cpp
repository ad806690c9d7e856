// TV service and CI service: answers from the world, every call journaled.
//
// Objects are made once per kind (and per profile and window) and kept for the
// whole process, so a pointer the gadget holds never dangles; Destroy only
// journals itself.
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "CIService.h"
#include "TVServiceAPI.h"
#include "fallible.h"
#include "sim_world.h"

namespace {

const char* const kFindService = "IService::FindService";
const char* const kNull = "null";
// What a call of the service answers when it fails.
const int kFailed = -1;

const vsim::DefaultFacts kDefaults({
    {"TVServiceAPI::CreateServiceNavigation[401,0]", {kNull}},
    {"IService::FindService[1001]",
     {"1=0", "13=7", "14=1", "15=101", "16=Sport One", "19=2", "20=256", "22=0", "27=0"}},
    {"IServiceNavigation::GetTvMode", {"1", "0"}},
    {"IServiceNavigation::GetTvMode.ret", {"1"}},
    {"IServiceNavigation::GetCurrentServiceInfo[1,0]", {"1001"}},
    {"IServiceGuide::GetPresentProgram.ret", {"1"}},
    {"ISourceControl::GetCurrentSourceInfo", {"0"}},
    {"ISourceControl::GetCurrentSourceInfo.ret", {"0"}},
    {"ISourceControl::GetSourceState", {"1"}},
    {"ISourceControl::GetSourceState.ret", {"1"}},
    {"ISourceControl::GetAnalysisActive", {"0"}},
    {"ISourceControl::GetAnalysisActive.ret", {"1"}},
    {"IVideoControl::SetDefaultSize.ret", {"1"}},
    {"IAVControl::GetParentalLock", {"0"}},
    {"IAVControl::GetParentalLock.ret", {"1"}},
    {"CIM::TCCIService::CIGeneralInstance", {}},
    {"CIM::TCCIService::IsHostControlRunning", {"0"}},
    {"CIM::TCCIService::IsHostControlRunning.ret", {"1"}},
});

// ---- text ------------------------------------------------------------------

// One 16-bit unit laid out big-endian in memory.
unsigned short BigEndianUnit(unsigned int value) {
    unsigned char bytes[2] = {static_cast<unsigned char>(value >> 8), static_cast<unsigned char>(value & 0xFF)};
    unsigned short unit;
    std::memcpy(&unit, bytes, sizeof unit);
    return unit;
}

void AppendCodePoint(std::vector<unsigned short>* units, unsigned int cp) {
    if (cp >= 0x10000) {
        cp -= 0x10000;
        units->push_back(BigEndianUnit(0xD800 + (cp >> 10)));
        units->push_back(BigEndianUnit(0xDC00 + (cp & 0x3FF)));
    } else {
        units->push_back(BigEndianUnit(cp));
    }
}

// UTF-8 text of a fact to UTF-16 units; malformed bytes become U+FFFD.
std::vector<unsigned short> Utf16FromUtf8(const std::string& text) {
    std::vector<unsigned short> units;
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    std::size_t n = text.size(), i = 0;
    while (i < n) {
        unsigned int c = s[i];
        int extra = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : -1;
        unsigned int cp = extra > 0 ? c & (0x3Fu >> extra) : c;
        bool ok = extra >= 0;
        for (int k = 1; ok && k <= extra; ++k) {
            ok = i + k < n && (s[i + k] & 0xC0) == 0x80;
            if (ok) cp = (cp << 6) | (s[i + k] & 0x3Fu);
        }
        if (!ok || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            AppendCodePoint(&units, 0xFFFD);
            ++i;
            continue;
        }
        AppendCodePoint(&units, cp);
        i += static_cast<std::size_t>(extra) + 1;
    }
    return units;
}

// Raw units written as hex, comma-separated ("D800,0041"); false when malformed.
bool Utf16FromHex(const std::string& text, std::vector<unsigned short>* units) {
    units->clear();
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t comma = text.find(',', start);
        std::string word = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (word.empty() && text.empty()) return true;
        long long value;
        if (!vsim::ParseInt("0x" + word, &value) || value < 0 || value > 0xFFFF) return false;
        units->push_back(BigEndianUnit(static_cast<unsigned int>(value)));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return true;
}

// ---- the line-up -----------------------------------------------------------

struct Service {
    std::map<int, long long> values;
    std::map<int, std::vector<unsigned short>> texts;
    bool idListed = false;  // "12=..." given, even empty: no id filled in
};

// Parses "FIELD=VALUE" words; a field whose value is empty or does not parse
// is absent ("12=" leaves even the service id out). FIELD may carry a "u"
// suffix for raw hex units ("16u=D800,0041").
Service ParseService(const vsim::Values& words) {
    Service service;
    for (const std::string& word : words) {
        std::size_t eq = word.find('=');
        if (eq == std::string::npos || eq == 0) continue;
        std::string key = word.substr(0, eq), value = word.substr(eq + 1);
        bool raw = key.back() == 'u';
        if (raw) key.pop_back();
        long long field;
        if (!vsim::ParseInt(key, &field)) continue;
        int code = static_cast<int>(field);
        if (code == SERVICE_FIELD_SERVICE_ID) service.idListed = true;
        if (value.empty()) continue;  // listed without a value: absent
        if (raw) {
            std::vector<unsigned short> units;
            if (Utf16FromHex(value, &units)) service.texts[code] = units;
        } else if (code == SERVICE_FIELD_CHANNEL_NAME) {
            service.texts[code] = Utf16FromUtf8(value);
        } else {
            long long number;
            if (vsim::ParseInt(value, &number)) service.values[code] = number;
        }
    }
    return service;
}

// The line-up entry for an id (or the catch-all entry); false when none.
bool FindInLineUp(const std::string& fact, bool haveId, unsigned long long id, Service* out) {
    const vsim::Values* words = vsim::Fact(fact);
    if (!words) return false;
    *out = ParseService(*words);
    if (haveId && !out->idListed) out->values[SERVICE_FIELD_SERVICE_ID] = static_cast<long long>(id);
    return true;
}

void CopyFetched(const Service& service, const TCCriteriaHelper& criteria, TCServiceData& data) {
    data.Clear();
    for (int field : criteria.FetchedFields()) {
        auto v = service.values.find(field);
        if (v != service.values.end()) data.Set(field, v->second);
        auto t = service.texts.find(field);
        if (t != service.texts.end()) data.SetText(field, t->second);
    }
}

std::string Describe(const TCCriteriaHelper& criteria) {
    std::string fetch = "fetch=";
    for (std::size_t i = 0; i < criteria.FetchedFields().size(); ++i)
        fetch += (i ? "," : "") + std::to_string(criteria.FetchedFields()[i]);
    for (const auto& cond : criteria.Conditions())
        fetch += " where=" + std::to_string(cond.first) + ":" + std::to_string(cond.second);
    return fetch;
}

std::string ProfileWindow(int profile, int window) { return std::to_string(profile) + "," + std::to_string(window); }

bool IsNull(std::string_view fact) { return vsim::FactIs(fact, 0, kNull); }

// ---- the objects -----------------------------------------------------------

class SimService : public IService {
public:
    int FindService(TCCriteriaHelper& criteria, TCServiceData& data, int maxCount) override {
        VSIM_FALLIBLE(kFindService, kFailed);
        vsim::RecordCall(kFindService, Describe(criteria) + " max=" + std::to_string(maxCount));
        bool haveId = false;
        unsigned long long id = 0;
        for (const auto& cond : criteria.Conditions()) {
            if (cond.first == SERVICE_FIELD_SERVICE_ID) {
                haveId = true;
                id = cond.second;
            }
        }
        std::string fact = haveId ? vsim::FactFor(kFindService, std::to_string(id)) : kFindService;
        Service service;
        bool found = FindInLineUp(fact, haveId, id, &service);
        if (found) CopyFetched(service, criteria, data);
        return vsim::CallResult(fact, found ? 1 : 0);
    }
};

class SimNavigation : public IServiceNavigation {
public:
    explicit SimNavigation(std::string pw) : m_pw(std::move(pw)) {}

    int GetTvMode(TSTvMode& mode) override {
        VSIM_FALLIBLE("IServiceNavigation::GetTvMode", kFailed);
        vsim::RecordCall("IServiceNavigation::GetTvMode", m_pw);
        std::string fact = vsim::FactFor("IServiceNavigation::GetTvMode", m_pw);
        vsim::OutInt(fact, 0, &mode.mode);
        vsim::OutInt(fact, 1, &mode.subMode);
        return vsim::CallResult(fact, 1);
    }

    int GetCurrentServiceInfo(TSTvMode mode, TCCriteriaHelper& criteria, TCServiceData& data) override {
        VSIM_FALLIBLE("IServiceNavigation::GetCurrentServiceInfo", kFailed);
        vsim::RecordCall("IServiceNavigation::GetCurrentServiceInfo", m_pw + " mode=" + std::to_string(mode.mode) +
                                                                          "," + std::to_string(mode.subMode) + " " +
                                                                          Describe(criteria));
        std::string fact = vsim::FactFor("IServiceNavigation::GetCurrentServiceInfo", m_pw);
        long long id;
        Service service;
        bool found = vsim::FactInt(fact, 0, &id) &&
                     FindInLineUp(vsim::FactFor(kFindService, std::to_string(static_cast<unsigned long long>(id))),
                                  true, static_cast<unsigned long long>(id), &service);
        if (found) CopyFetched(service, criteria, data);
        return vsim::CallResult(fact, found ? 1 : 0);
    }

private:
    std::string m_pw;
};

class SimGuide : public IServiceGuide {
public:
    int GetPresentProgram(unsigned long long& serviceId, TCProgramData& program) override {
        VSIM_FALLIBLE("IServiceGuide::GetPresentProgram", kFailed);
        std::string id = std::to_string(serviceId);
        vsim::RecordCall("IServiceGuide::GetPresentProgram", id);
        std::string fact = vsim::FactFor("IServiceGuide::GetPresentProgram", id);
        std::string title;
        std::vector<unsigned short> units;
        if (vsim::FactString(fact, 0, &title)) {
            // "u=D800,0041" gives the title as raw units.
            if (title.compare(0, 2, "u=") != 0 || !Utf16FromHex(title.substr(2), &units)) units = Utf16FromUtf8(title);
        }
        program.SetTitle(units);
        program.SetTimes(static_cast<int>(vsim::FactIntOr(fact, 1, 0)), static_cast<int>(vsim::FactIntOr(fact, 2, 0)));
        return vsim::CallResult(fact, 1);
    }
};

class SimSourceControl : public ISourceControl {
public:
    explicit SimSourceControl(std::string pw) : m_pw(std::move(pw)) {}

    int GetCurrentSourceInfo(int* sourceType) override {
        VSIM_FALLIBLE("ISourceControl::GetCurrentSourceInfo", kFailed);
        return Answer("ISourceControl::GetCurrentSourceInfo", "", sourceType, 0);
    }
    int GetSourceState(int* state) override {
        VSIM_FALLIBLE("ISourceControl::GetSourceState", kFailed);
        return Answer("ISourceControl::GetSourceState", "", state, 1);
    }
    int GetAnalysisActive(bool* active, int reserved) override {
        VSIM_FALLIBLE("ISourceControl::GetAnalysisActive", kFailed);
        int value = active ? *active : 0;
        int ret = Answer("ISourceControl::GetAnalysisActive", " " + std::to_string(reserved), &value, 1);
        if (active) *active = value != 0;
        return ret;
    }

private:
    int Answer(const char* call, const std::string& extra, int* out, int fallback) {
        vsim::RecordCall(call, m_pw + extra);
        std::string fact = vsim::FactFor(call, m_pw);
        vsim::OutInt(fact, 0, out);
        return vsim::CallResult(fact, fallback);
    }
    std::string m_pw;
};

class SimVideoControl : public IVideoControl {
public:
    explicit SimVideoControl(std::string pw) : m_pw(std::move(pw)) {}
    int SetDefaultSize() override {
        // Zero: the window was not reset.
        VSIM_FALLIBLE("IVideoControl::SetDefaultSize", 0);
        vsim::RecordCall("IVideoControl::SetDefaultSize", m_pw);
        return vsim::CallResult(vsim::FactFor("IVideoControl::SetDefaultSize", m_pw), 1);
    }

private:
    std::string m_pw;
};

class SimAVControl : public IAVControl {
public:
    explicit SimAVControl(std::string pw) : m_pw(std::move(pw)) {}
    int GetParentalLock(bool* locked, int reserved) override {
        VSIM_FALLIBLE("IAVControl::GetParentalLock", kFailed);
        vsim::RecordCall("IAVControl::GetParentalLock", m_pw + " " + std::to_string(reserved));
        std::string fact = vsim::FactFor("IAVControl::GetParentalLock", m_pw);
        int value;
        if (locked && vsim::OutInt(fact, 0, &value)) *locked = value != 0;
        return vsim::CallResult(fact, 1);
    }

private:
    std::string m_pw;
};

class SimCIService : public CIM::TCCIService {
public:
    int IsHostControlRunning(bool* running, int reserved) override {
        const char* call = "CIM::TCCIService::IsHostControlRunning";
        VSIM_FALLIBLE(call, kFailed);
        vsim::RecordCall(call, std::to_string(reserved));
        int value;
        if (running && vsim::OutInt(call, 0, &value)) *running = value != 0;
        return vsim::CallResult(call, 1);
    }
};

// Every object handed out, reachable for the life of the process.
struct Objects {
    std::mutex lock;
    std::unique_ptr<SimService> service;
    std::unique_ptr<SimGuide> guide;
    std::unique_ptr<SimCIService> ci;
    std::map<std::string, std::unique_ptr<SimNavigation>> navigations;
    std::map<std::string, std::unique_ptr<SimSourceControl>> sources;
    std::map<std::string, std::unique_ptr<SimVideoControl>> videos;
    std::map<std::string, std::unique_ptr<SimAVControl>> avs;
};

Objects& TheObjects() {
    static auto* objects = new Objects;
    return *objects;
}

template <typename T>
T* Single(std::unique_ptr<T>& slot) {
    std::lock_guard<std::mutex> guard(TheObjects().lock);
    if (!slot) slot.reset(new T);
    return slot.get();
}

template <typename T>
T* PerProfile(std::map<std::string, std::unique_ptr<T>>& slots, const std::string& pw) {
    std::lock_guard<std::mutex> guard(TheObjects().lock);
    std::unique_ptr<T>& slot = slots[pw];
    if (!slot) slot.reset(new T(pw));
    return slot.get();
}

// A creation call: journaled, the object handed out unless its fact says null.
// The caller's return address decides whether it is the one to fail.
template <typename I, typename Make>
int Create(const char* call, const void* caller, const std::string& pw, I** out, Make make) {
    if (vsim::FailNow(call, caller)) return kFailed;
    vsim::RecordCall(call, pw);
    std::string fact = pw.empty() ? call : vsim::FactFor(call, pw);
    if (out && !IsNull(fact)) *out = make();
    return vsim::CallResult(fact, 0);
}

}  // namespace

int TVServiceAPI::CreateService(IService** service) {
    return Create("TVServiceAPI::CreateService", __builtin_return_address(0), "", service,
                  [] { return Single(TheObjects().service); });
}

int TVServiceAPI::CreateServiceNavigation(EProfile profile, int window, IServiceNavigation** navigation) {
    std::string pw = ProfileWindow(profile, window);
    return Create("TVServiceAPI::CreateServiceNavigation", __builtin_return_address(0), pw, navigation,
                  [&] { return PerProfile(TheObjects().navigations, pw); });
}

int TVServiceAPI::CreateServiceGuide(IServiceGuide** guide) {
    return Create("TVServiceAPI::CreateServiceGuide", __builtin_return_address(0), "", guide,
                  [] { return Single(TheObjects().guide); });
}

int TVServiceAPI::CreateSourceControl(EProfile profile, int window, ISourceControl** control) {
    std::string pw = ProfileWindow(profile, window);
    return Create("TVServiceAPI::CreateSourceControl", __builtin_return_address(0), pw, control,
                  [&] { return PerProfile(TheObjects().sources, pw); });
}

int TVServiceAPI::CreateVideoControl(EProfile profile, int window, IVideoControl** control) {
    std::string pw = ProfileWindow(profile, window);
    return Create("TVServiceAPI::CreateVideoControl", __builtin_return_address(0), pw, control,
                  [&] { return PerProfile(TheObjects().videos, pw); });
}

int TVServiceAPI::CreateAVControl(EProfile profile, int window, IAVControl** control) {
    std::string pw = ProfileWindow(profile, window);
    return Create("TVServiceAPI::CreateAVControl", __builtin_return_address(0), pw, control,
                  [&] { return PerProfile(TheObjects().avs, pw); });
}

void TVServiceAPI::Destroy() { vsim::RecordCall("TVServiceAPI::Destroy"); }

bool TCServiceUtility::IsAnalogChannelType(EChannelType type) {
    vsim::RecordCall("TCServiceUtility::IsAnalogChannelType", std::to_string(static_cast<int>(type)));
    return type == CHANNEL_TYPE_ATV || type == CHANNEL_TYPE_CATV;
}

namespace CIM {

TCCIService* TCCIService::CIGeneralInstance() {
    const char* call = "CIM::TCCIService::CIGeneralInstance";
    vsim::RecordCall(call);
    VSIM_FALLIBLE(call, nullptr);
    if (IsNull(call)) return nullptr;
    return Single(TheObjects().ci);
}

}  // namespace CIM
