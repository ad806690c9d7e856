// The five key decisions we measure, each with the world it needs and the
// platform calls it must make: a returned key, a recorder key forwarded on the
// tuner, green up to the bookmark request, red up to the pause request and
// yellow up to the highlight player. Shared by the call-count unit test and
// the latency benchmarks, so that both look at the same decisions.
#ifndef VANTRO_BENCH_KEY_PATHS_H
#define VANTRO_BENCH_KEY_PATHS_H

#include <string>
#include <utility>
#include <vector>

#include "sim_world.h"

namespace vbench {

// One journaled platform call: its name and its arguments as the sim writes them.
using Call = std::pair<std::string, std::string>;
using Calls = std::vector<Call>;

inline Calls operator+(Calls a, const Calls& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// ---- what each state query asks, on a plain tuner -------------------------

// GetSourceType: split-screen state, then the main picture's source control.
inline Calls SourceType() {
    return {{"vconf_get_int", "memory/pxv/state"},
            {"TVServiceAPI::CreateSourceControl", "1,0"},
            {"ISourceControl::GetCurrentSourceInfo", "1,0"}};
}
// GetCurrentServiceID and GetLiveServiceId off AV: the source, then the live id.
inline Calls ServiceId() { return SourceType() + Calls{{"svc_pvr_get_current_livetv_service_id", ""}}; }
inline Calls SupportPVR() { return {{"system_info_get_value_int", "125"}}; }
// IsExistConflictApp with nothing running: three settings, then CI host control.
inline Calls NoConflict() {
    return {{"vconf_get_int", "memory/menu/network/screenmirroring/smsrc_status"},
            {"vconf_get_int", "memory/menu/network/screenmirroring/sm_status"},
            {"vconf_get_bool", "db/dualtv/dualtv_view_status"},
            {"CIM::TCCIService::CIGeneralInstance", ""},
            {"CIM::TCCIService::IsHostControlRunning", "0"}};
}
// The low-priority dispatch on the tuner: source, PVR support, conflicts.
inline Calls Dispatch() { return SourceType() + SupportPVR() + NoConflict(); }
inline Calls VirtualChannel() {
    return {{"TVServiceAPI::CreateServiceNavigation", "1,0"},
            {"IServiceNavigation::GetTvMode", "1,0"},
            {"IServiceNavigation::GetCurrentServiceInfo", "1,0 mode=1,0 fetch=1"}};
}
inline Calls AnalogChannel() { return ServiceId() + Calls{{"svc_pvr_is_analog_channel", "1001"}}; }
inline Calls AudioChannel() { return AnalogChannel() + Calls{{"svc_pvr_is_audio_only_channel", "1001"}}; }
inline Calls ParentLocked() {
    return {{"TVServiceAPI::CreateAVControl", "1,0"}, {"IAVControl::GetParentalLock", "1,0 0"}};
}
inline Calls Recording() { return ServiceId() + Calls{{"svc_pvr_get_record_state_by_service_id", "1001"}}; }
// Off AV the highlight support is decided by the source type alone.
inline Calls HighlightInAV() { return SourceType(); }
// One recording running and no analysis busy elsewhere.
inline Calls AbleToSportFunction() {
    return SourceType() + Calls{{"svc_pvr_get_current_livetv_service_id", ""},
                                {"CASV_IsHighlightModeRunning", ""},
                                {"CASV_IsGameResumeModeRunning", "1"},
                                {"svc_pvr_get_current_recording_count", ""}};
}
// Sports mode, virtual channel, focus: the colour keys' common entry.
inline Calls ColourEntry() {
    return Calls{{"svc_pvr_is_sports_mode", ""}} + VirtualChannel() + Calls{{"ug_get_window", ""}};
}
// Green and yellow share G2 to G5.
inline Calls GreenYellowChecks() {
    return ParentLocked() + AudioChannel() + HighlightInAV() + Recording() +
           Calls{{"svc_pvr_is_highlight_player_available", ""}} + AbleToSportFunction();
}

// ---- the worlds -------------------------------------------------------------

// Where the green key's bookmark goes: by default a directory that does not
// exist, so the simulated service writes nothing and every green decision is
// the same. The simulated service still encodes a thumbnail for a missing
// file; a timing run points this at a recording whose bookmark file is too
// short to be one, which the service leaves alone at once.
inline std::string& NoWriteUri() {
    static std::string uri = "/nonexistent-vantro-bench/rec_01.srf";
    return uri;
}

// Sports mode on, the live channel recording and eligible, highlights available.
inline void SportsRecordingWorld(const std::string& uri = NoWriteUri()) {
    vsim::SetFact("svc_pvr_is_sports_mode", {"1"});
    vsim::SetFact("svc_pvr_get_record_state_by_service_id[1001]", {"2", "0"});
    vsim::SetFact("svc_pvr_get_current_recording_count", {"1"});
    vsim::SetFact("svc_pvr_is_highlight_player_available", {"1"});
    vsim::SetFact("svc_pvr_get_recording_uri_by_service_id", {uri});
    vsim::SetFact("svc_pvr_get_recording_uri_by_service_id.ret", {"0"});
}
inline void PlainTunerWorld() {}

struct KeyPath {
    const char* name;
    const char* key;
    void (*world)();
    int verdict;        // what the key-event service is told: 0 consumed, 1 returned
    const char* until;  // the request the path leads up to (empty: none)
    Calls (*expected)();
};

inline Calls ReturnedKeyCalls() { return {}; }
inline Calls RecorderKeyCalls() {
    return Dispatch() + VirtualChannel() + AnalogChannel() +
           Calls{{"vconf_get_int", "memory/pxv/state"},          {"bundle_create", ""},
                 {"bundle_add", "key_name XF86AudioPause"},      {"bundle_add", "called_app context manager"},
                 {"aul_launch_app_async", "orvane.pvrrecorder"}, {"bundle_free", ""}};
}
inline Calls GreenKeyCalls() {
    return Dispatch() + ColourEntry() + GreenYellowChecks() + Calls{{"ug_get_window", ""}} +
           // m_SetBookmark: progress of the current service, then its recording URI.
           ServiceId() + Calls{{"svc_pvr_get_progress_by_service_id", "1001"}} + ServiceId() +
           Calls{{"svc_pvr_get_recording_uri_by_service_id", "1001"},
                 {"svc_pvr_set_bookmark", NoWriteUri() + " 0"},
                 // No pop-up yet and no highlight player: ask the viewer to show the gadget.
                 {"svc_pvr_get_highlight_player_flag", ""},
                 {"app_control_create", ""},
                 {"app_control_add_extra_data", "show pvrsportsmode"},
                 {"ug_send_result", ""},
                 {"app_control_destroy", ""}};
}
inline Calls RedKeyCalls() {
    return Dispatch() + ColourEntry() + Recording() + AudioChannel() + ParentLocked() +
           Calls{{"svc_pvr_get_share_data", "3"},
                 {"avoc_get_3d_mode", "0 0"},
                 {"vconf_get_int", "db/menu/picture/pip/onoff"}} +
           // Not paused yet: PlayPause resets the video window, then asks for the pause.
           ServiceId() + Calls{{"svc_pvr_get_play_state_by_service_id", "1001"}} + ServiceId() +
           Calls{{"TVServiceAPI::CreateVideoControl", "1,0"},
                 {"IVideoControl::SetDefaultSize", "1,0"},
                 {"svc_pvr_play_pause_by_service_id", "1001"}};
}
inline Calls YellowKeyCalls() {
    return Dispatch() + ColourEntry() + GreenYellowChecks() +
           Calls{{"app_control_create", ""},
                 {"app_control_add_extra_data", "key_name key_soccer_hp"},
                 {"app_control_add_extra_data", "called_app orvane.tv-viewer"},
                 {"app_control_set_app_id", "orvane.pvrsportsmode"},
                 {"app_control_send_launch_request", "orvane.pvrsportsmode"},
                 {"app_control_destroy", ""}};
}

inline const std::vector<KeyPath>& Paths() {
    static const std::vector<KeyPath> paths = {
        {"returned", "XF86Blue", PlainTunerWorld, 1, "", ReturnedKeyCalls},
        {"recorder_forwarded", "XF86AudioPause", PlainTunerWorld, 0, "aul_launch_app_async", RecorderKeyCalls},
        {"green_bookmark", "XF86Green", [] { SportsRecordingWorld(); }, 0, "svc_pvr_set_bookmark", GreenKeyCalls},
        {"red_pause", "XF86Red", [] { SportsRecordingWorld(); }, 0, "svc_pvr_play_pause_by_service_id", RedKeyCalls},
        {"yellow_player", "XF86Yellow", [] { SportsRecordingWorld(); }, 0, "app_control_send_launch_request",
         YellowKeyCalls},
    };
    return paths;
}

// The platform calls in the journal, in order.
inline Calls JournaledCalls() {
    Calls calls;
    for (const vsim::Entry& e : vsim::Journal())
        if (e.kind == "call") calls.emplace_back(e.name, e.text);
    return calls;
}

// Calls up to and including the first `until` (all of them when it is empty or absent).
inline std::size_t CountUntil(const Calls& calls, const std::string& until) {
    if (until.empty()) return calls.size();
    for (std::size_t i = 0; i < calls.size(); ++i)
        if (calls[i].first == until) return i + 1;
    return calls.size();
}

}  // namespace vbench

#endif
