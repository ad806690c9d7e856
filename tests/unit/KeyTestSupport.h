// A created manager with a world described by facts, for the key decisions.
#ifndef VANTRO_KEY_TEST_SUPPORT_H
#define VANTRO_KEY_TEST_SUPPORT_H

#include <cstring>
#include <ostream>
#include <string>

#include "BookmarkThumbnailWnd.h"
#include "PVRKey.h"
#include "SportsUGMgr.h"
#include "TestSupport.h"
#include "VirtualClock.h"
#include "svc_pvr.h"

namespace ktest {

using K = CPVRKey;

inline void Fact(const std::string& name, const vsim::Values& values) { vsim::SetFact(name, values); }
inline void Flag(const std::string& name, bool on) { Fact(name, {on ? "1" : "0"}); }
inline void SportsMode(bool on) { Flag("svc_pvr_is_sports_mode", on); }
inline void Source(int type) { Fact("ISourceControl::GetCurrentSourceInfo[1,0]", {std::to_string(type)}); }
// Service ids as the state queries name them: the live one, or the AV stand-in.
inline const char* kLive = "1001";
inline const char* kAV = "4294967294";
inline void Recording(bool on, const std::string& sid = kLive) {
    Fact("svc_pvr_get_record_state_by_service_id[" + sid + "]", {on ? "2" : "0", "0"});
}
inline void VirtualChannel() {
    Fact("IService::FindService[1001]",
         {"1=9", "13=7", "14=1", "15=101", "16=Sport One", "19=2", "20=256", "22=0", "27=0"});
}
// One recording runs, so the sports functions are allowed on this channel.
inline void Eligible(bool on) { Flag("svc_pvr_get_current_recording_count", on); }
inline void HighlightsAvailable(bool on) { Flag("svc_pvr_is_highlight_player_available", on); }
inline void AdvanceUs(long long us) { vclock::AdvanceAndRun(us); }

struct Launch {
    std::string app;
    vsim::Extras extras;
    std::string via;
};
inline bool operator==(const Launch& a, const Launch& b) {
    return a.app == b.app && a.extras == b.extras && a.via == b.via;
}
inline std::ostream& operator<<(std::ostream& os, const Launch& l) {
    os << l.app << " via " << l.via << ":";
    for (const auto& e : l.extras) os << " " << e.first << "=" << e.second;
    return os;
}

inline std::vector<Launch> Launches() {
    std::vector<Launch> out;
    for (const vsim::Entry& e : vtest::EntriesOf("launch")) out.push_back({e.name, e.extras, e.via});
    return out;
}
inline std::vector<vsim::Extras> Results() {
    std::vector<vsim::Extras> out;
    for (const vsim::Entry& e : vtest::EntriesOf("result")) out.push_back(e.extras);
    return out;
}
inline const Launch kNA = {"orvane.alert-syspopup", {{"type", "unavailable"}}, "app_control"};
// An app-control launch with one pair, as the gadget sends it on the viewer's behalf.
inline Launch To(const char* app, const char* value) {
    return {std::string("orvane.") + app, {{"key_name", value}, {"called_app", "orvane.tv-viewer"}}, "app_control"};
}
inline Launch ToSportsMode(const char* value) { return To("pvrsportsmode", value); }
inline Launch ToRecorder(const char* value) { return To("pvrrecorder", value); }
// A recorder key handed on through aul.
inline Launch KeyToRecorder(const char* name, const char* calledApp) {
    return {"orvane.pvrrecorder", {{"key_name", name}, {"called_app", calledApp}}, "aul"};
}

class KeyTest : public vtest::SimTest {
protected:
    void SetUp() override {
        vtest::SimTest::SetUp();
        Recreate();
    }
    void TearDown() override {
        mgr->Destroy();
        delete mgr;
    }
    // A fresh manager, a second past every debounce that counts from creation.
    void Recreate(long long settleMs = 1000) {
        if (mgr) {
            mgr->Destroy();
            delete mgr;
        }
        mgr = CSportsUGMgr::Get();
        ASSERT_NE(mgr, nullptr);
        ASSERT_TRUE(mgr->Create(vtest::Window(), nullptr));
        vtest::AdvanceMs(settleMs);
        vsim::ClearJournal();
    }
    // An empty world for the next table row, with the manager kept.
    static void ResetWorld() {
        vsim::ResetWorld();
        vsim::SetWindow(vtest::Window());
    }
    int Low(int key) { return mgr->ProcessLowPrioKeyEvent(key); }
    int High(int key) { return mgr->ProcessHighPrioKeyEvent(key); }
    // As the service delivers it: no user data, possibly unaligned.
    static void PvrResult(int method, int result) {
        alignas(8) unsigned char bytes[sizeof(ps_result_pvr) + 1] = {};
        std::memcpy(bytes + 1, &method, sizeof method);
        std::memcpy(bytes + 1 + sizeof method, &result, sizeof result);
        CSportsUGMgr::t_PVRServiceResultCb(reinterpret_cast<ps_result_pvr*>(bytes + 1), nullptr);
    }
    void ShowPopup() {
        mgr->m_pBookmarkThumbnailWnd = new CBookmarkThumbnailWnd();
        mgr->m_pBookmarkThumbnailWnd->Create(mgr->GetBaseLayout());
        ASSERT_TRUE(mgr->m_IsBookmarkWndShow());
    }
    CSportsUGMgr* mgr = nullptr;
};

}  // namespace ktest

#endif
