#include "Names.h"

#include "TVServiceAPI.h"
#include "sim_world.h"

namespace tvsim {
namespace {

std::string Code(long long value) { return std::to_string(value); }

// The fact names for calls keyed by a system-information or setting key.
const char kSystemInfoCall[] = "system_info_get_value_";
const char kSettingCall[] = "vconf_get_";

struct Parts {
    std::string base, arg, suffix;
    bool bracketed = false;
};

// NAME[ARG].SUFFIX; only a '.' after the brackets (or in a name without
// them) starts the suffix: setting keys hold no dots, call names none.
Parts Split(const std::string& name) {
    Parts p;
    std::size_t open = name.find('[');
    std::size_t close = open == std::string::npos ? std::string::npos : name.find(']', open);
    std::size_t dot = name.find('.', close == std::string::npos ? 0 : close);
    p.base = name.substr(0, open != std::string::npos ? open : dot);
    if (close != std::string::npos) {
        p.bracketed = true;
        p.arg = name.substr(open + 1, close - open - 1);
    }
    if (dot != std::string::npos) p.suffix = name.substr(dot);
    return p;
}

std::string BaseOf(const std::string& fact) { return Split(fact).base; }

const CodeName* FindCode(const std::string& kind, const std::string& name) {
    for (const CodeName& c : CodeNames())
        if (c.kind == kind && c.name == name) return &c;
    return nullptr;
}

std::string NamesOf(const std::string& kind) {
    std::string out;
    for (const CodeName& c : CodeNames())
        if (c.kind == kind) out += (out.empty() ? "" : ", ") + c.name;
    return out;
}

// The kind of values a raw fact takes: that of a named fact on the same call.
std::string KindOf(const std::string& base) {
    for (const NamedFact& f : NamedFacts())
        if (!f.kind.empty() && BaseOf(f.fact) == base) return f.kind;
    return "";
}

bool ResolveValue(const std::string& kind, const std::string& value, std::string* code, std::string* error) {
    long long ignored;
    if (kind == "field") {
        // TV service fields as FIELD=VALUE, the field by name or number.
        std::size_t eq = value.find('=');
        const CodeName* field = eq == std::string::npos ? nullptr : FindCode(kind, value.substr(0, eq));
        *code = field ? field->code + value.substr(eq) : value;
        return true;
    }
    if (const CodeName* c = FindCode(kind, value)) {
        *code = c->code;
        return true;
    }
    *code = value;
    if (value == "null" || vsim::ParseInt(value, &ignored)) return true;
    *error = "unknown " + kind + " '" + value + "' (" + NamesOf(kind) + ", or a number)";
    return false;
}

}  // namespace

const std::vector<CodeName>& CodeNames() {
    static const std::vector<CodeName> names = {
        {"source", "tuner", "0", "the TV tuner"},
        {"source", "av1", "1", "AV input (the AV group)"},
        {"source", "av2", "2", "AV input (the AV group)"},
        {"source", "av3", "3", "AV input (the AV group)"},
        {"source", "playback", "29", "the playback source the key dispatch accepts"},
        {"source", "playback-av", "36", "playback on an AV input (the AV group)"},
        {"record-state", "stopped", Code(PS_RECORD_STATE_STOP), "not recording"},
        {"record-state", "recording", "2", "recording (any state but 0 and 1)"},
        {"play-state", "playing", "1", "playing"},
        {"play-state", "paused", Code(PS_PLAY_STATE_PAUSE), "paused"},
        {"switch", "off", "0", ""},
        {"switch", "on", "1", ""},
        {"system-info", "pvr-support", "125", "the TV records (int)"},
        {"system-info", "board-generation", "362", "the board's generation, e.g. 2015 (string)"},
        {"system-info", "sbb-connected", "363", "a set-back box is connected (bool)"},
        {"system-info", "highlight-in-av", "464", "highlights on AV inputs (bool)"},
        {"setting", "pip", "db/menu/picture/pip/onoff", "picture in picture (int)"},
        {"setting", "split-screen", "memory/pxv/state", "split screen, 1: on (int)"},
        {"setting", "split-focus", "db/pxv/pxv_focus", "the focused screen of a split screen (int)"},
        {"setting", "mirroring-source", "memory/menu/network/screenmirroring/smsrc_status", "TV to mobile (int)"},
        {"setting", "mirroring", "memory/menu/network/screenmirroring/sm_status", "screen mirroring (int)"},
        {"setting", "dual-tv", "db/dualtv/dualtv_view_status", "dual TV view (bool)"},
        {"setting", "navigation-mode", "db/broadcasting/channel_navigation_mode", "channel navigation (int)"},
        {"field", "channel-type", Code(SERVICE_FIELD_CHANNEL_TYPE), ""},
        {"field", "origin", Code(SERVICE_FIELD_ORIGIN), ""},
        {"field", "service-id", Code(SERVICE_FIELD_SERVICE_ID), ""},
        {"field", "major", Code(SERVICE_FIELD_MAJOR), "channel number"},
        {"field", "minor", Code(SERVICE_FIELD_MINOR), "channel sub-number"},
        {"field", "program-number", Code(SERVICE_FIELD_PROGRAM_NUMBER), ""},
        {"field", "name", Code(SERVICE_FIELD_CHANNEL_NAME), ""},
        {"field", "video-stream", Code(SERVICE_FIELD_VIDEO_STREAM), ""},
        {"field", "video-pid", Code(SERVICE_FIELD_VIDEO_PID), ""},
        {"field", "child-lock", Code(SERVICE_FIELD_CHILD_LOCK), ""},
        {"field", "lock-mode", Code(SERVICE_FIELD_LOCK_MODE), ""},
        {"field", "host-controller", Code(SERVICE_FIELD_HOST_CONTROLLER), "under CI host control"},
        {"field", "favourite", Code(SERVICE_FIELD_FAVOURITE), ""},
    };
    return names;
}

const std::vector<NamedFact>& NamedFacts() {
    static const std::vector<NamedFact> facts = {
        {"source", "ISourceControl::GetCurrentSourceInfo[1,0]", "source", "the shown input"},
        {"sports-mode", "svc_pvr_is_sports_mode", "switch", "sports mode"},
        {"live-id", "svc_pvr_get_current_livetv_service_id", "", "the PVR's live service id"},
        {"record-state", "svc_pvr_get_record_state_by_service_id", "record-state", "state, time-shift flag"},
        {"past-complete", "svc_pvr_is_past_record_complete", "", "a complete past recording"},
        {"timeshifting", "svc_pvr_is_timeshifting", "", "time shift runs"},
        {"play-state", "svc_pvr_get_play_state_by_service_id", "play-state", ""},
        {"recording-uri", "svc_pvr_get_recording_uri_by_service_id", "", ""},
        {"live-tv-share", "svc_pvr_get_share_data[3]", "", "watching live TV"},
        {"highlight-flag", "svc_pvr_get_highlight_player_flag", "", "a highlight player shows"},
        {"highlights", "svc_pvr_is_highlight_player_available", "", "the highlight player is available"},
        {"recording-ids", "svc_pvr_get_recording_service_id_list", "", "the recording services"},
        {"recordings", "svc_pvr_get_current_recording_count", "", "how many record"},
        {"progress", "svc_pvr_get_progress_by_service_id", "", "play time, record time"},
        {"analog", "svc_pvr_is_analog_channel", "", "an analogue channel"},
        {"audio-only", "svc_pvr_is_audio_only_channel", "", "an audio-only channel"},
        {"pause-request", "svc_pvr_play_pause_by_service_id", "", "the pause request's result"},
        {"bookmark-request", "svc_pvr_set_bookmark", "", "the bookmark request's result"},
        {"pip", "vconf_get_int[db/menu/picture/pip/onoff]", "", "picture in picture"},
        {"split-screen", "vconf_get_int[memory/pxv/state]", "", "1: split screen"},
        {"split-focus", "vconf_get_int[db/pxv/pxv_focus]", "", "the focused screen"},
        {"mirroring-source", "vconf_get_int[memory/menu/network/screenmirroring/smsrc_status]", "", "TV to mobile"},
        {"mirroring", "vconf_get_int[memory/menu/network/screenmirroring/sm_status]", "", "screen mirroring"},
        {"dual-tv", "vconf_get_bool[db/dualtv/dualtv_view_status]", "", "dual TV view"},
        {"3d-mode", "avoc_get_3d_mode", "", "3D picture"},
        {"pvr-support", "system_info_get_value_int[125]", "", "the TV records"},
        {"board-generation", "system_info_get_value_string[362]", "", "e.g. 2015"},
        {"sbb-connected", "system_info_get_value_bool[363]", "", "a set-back box is connected"},
        {"highlight-in-av", "system_info_get_value_bool[464]", "", "highlights on AV inputs"},
        {"service", "IService::FindService", "field", "a line-up entry: FIELD=VALUE..."},
        {"shown-service", "IServiceNavigation::GetCurrentServiceInfo[1,0]", "", "the service on screen"},
        {"tv-mode", "IServiceNavigation::GetTvMode[1,0]", "", ""},
        {"parental-lock", "IAVControl::GetParentalLock[1,0]", "", ""},
        {"source-control", "TVServiceAPI::CreateSourceControl[1,0]", "", "null: none"},
        {"navigation", "TVServiceAPI::CreateServiceNavigation[1,0]", "", "null: none"},
        {"video-control", "TVServiceAPI::CreateVideoControl[1,0]", "", "null: none"},
        {"av-control", "TVServiceAPI::CreateAVControl[1,0]", "", "null: none"},
        {"analysis-control", "TVServiceAPI::CreateSourceControl[401,0]", "", "null: none"},
        {"analysis-active", "ISourceControl::GetAnalysisActive[401,0]", "", "content analysis runs"},
        {"analysed-service", "IServiceNavigation::GetCurrentServiceInfo[401,0]", "", "the service analysed"},
        {"host-control", "CIM::TCCIService::IsHostControlRunning", "", "CI host control runs"},
        {"ci-service", "CIM::TCCIService::CIGeneralInstance", "", "null: no CI stack"},
        {"highlight-mode", "CASV_IsHighlightModeRunning", "", "the engine's highlight mode runs"},
        {"game-resume", "CASV_IsGameResumeModeRunning[1]", "", "the game-resume mode runs"},
        {"engine-on", "CASV_IsAnalysisEngineRunning", "", "the engine runs on [ID]"},
        {"osd-visible", "tvcontext_check_visible[orvane.function-osd]", "", "the function OSD's visibility"},
    };
    return facts;
}

const NamedFact* FindNamedFact(const std::string& verb) {
    std::string base = Split(verb).base;
    for (const NamedFact& f : NamedFacts())
        if (f.name == base) return &f;
    return nullptr;
}

bool ResolveFact(const std::string& name, const std::vector<std::string>& values, std::string* fact,
                 std::vector<std::string>* codes, std::string* error) {
    Parts p = Split(name);
    std::string kind;
    if (const NamedFact* named = FindNamedFact(name)) {
        Parts target = Split(named->fact);
        if (p.bracketed && target.bracketed) {
            *error = name + ": " + p.base + " stands for " + named->fact + ", which has its argument";
            return false;
        }
        kind = named->kind;
        p.base = target.base;
        if (target.bracketed) {
            p.arg = target.arg;
            p.bracketed = true;
        }
    } else {
        kind = KindOf(p.base);
    }
    // Keys of system information and settings by name.
    const char* argKind = p.base.rfind(kSystemInfoCall, 0) == 0 ? "system-info"
                          : p.base.rfind(kSettingCall, 0) == 0  ? "setting"
                                                                : "";
    if (const CodeName* c = FindCode(argKind, p.arg)) p.arg = c->code;
    *fact = p.base + (p.bracketed ? "[" + p.arg + "]" : "") + p.suffix;
    codes->clear();
    for (const std::string& value : values) {
        std::string code = value;
        // A result or another suffix takes raw values.
        if (p.suffix.empty() && !kind.empty() && !ResolveValue(kind, value, &code, error)) return false;
        codes->push_back(code);
    }
    return true;
}

}  // namespace tvsim
