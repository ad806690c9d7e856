// PVR service: answers from the world, requests into the journal.
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "bookmark_writer.h"
#include "fallible.h"
#include "sim_world.h"
#include "svc_pvr.h"

namespace {

const vsim::DefaultFacts kDefaults({
    {"svc_pvr_is_sports_mode", {"0"}},
    {"svc_pvr_get_current_livetv_service_id", {"1001"}},
    {"svc_pvr_get_record_state_by_service_id", {"0", "0"}},
    {"svc_pvr_is_past_record_complete", {"0"}},
    {"svc_pvr_is_timeshifting", {"0"}},
    {"svc_pvr_get_play_state_by_service_id", {"1"}},
    {"svc_pvr_get_recording_uri_by_service_id", {}},
    {"svc_pvr_get_recording_uri_by_service_id.ret", {"-1"}},
    {"svc_pvr_get_share_data", {"0"}},
    {"svc_pvr_get_highlight_player_flag", {"0"}},
    {"svc_pvr_get_recording_service_id_list", {}},
    {"svc_pvr_get_current_recording_count", {"0"}},
    {"svc_pvr_get_progress_by_service_id", {"0", "0"}},
    {"svc_pvr_is_analog_channel", {"0"}},
    {"svc_pvr_is_audio_only_channel", {"0"}},
    {"svc_pvr_is_highlight_player_available", {"0"}},
});

struct Callback {
    svc_pvr_result_pvr_cb callback;
    void* userData;
};

std::vector<Callback>& Callbacks() {
    static auto* callbacks = new std::vector<Callback>;
    return *callbacks;
}

std::string Id(unsigned long long id) { return std::to_string(id); }

// A request the service acts on: journaled as "pvr" beside its "call".
int Request(std::string_view call, const std::string& args, int fallback = PS_CALL_METHOD_SUCCESS) {
    vsim::Entry entry;
    entry.kind = "pvr";
    entry.name = call;
    entry.text = args;
    vsim::RecordCall(entry.name, entry.text);
    vsim::Record(std::move(entry));
    return vsim::CallResult(call, fallback);
}

// A query with one argument-dependent fact.
std::string Query(std::string_view call, std::string arg) {
    std::string fact = vsim::FactFor(call, arg);
    vsim::RecordCall(std::string(call), std::move(arg));
    return fact;
}

}  // namespace

namespace vsim {

int DeliverPvrResult(int method, int result) {
    // Offset by one byte: the service does not promise an aligned record.
    alignas(8) unsigned char storage[sizeof(ps_result_pvr) + 8] = {};
    ps_result_pvr record = {};
    record.method = method;
    record.result = result;
    std::memcpy(storage + 1, &record, sizeof(record));
    auto* unaligned = reinterpret_cast<ps_result_pvr*>(storage + 1);

    Entry entry;
    entry.kind = "note";
    entry.name = "pvr-result";
    entry.text = std::to_string(method) + " " + std::to_string(result);
    Record(std::move(entry));

    return DeliverPvrRecord(unaligned, true);
}

int DeliverPvrRecord(ps_result_pvr* record, bool withUserData) {
    std::vector<Callback> reached = Callbacks();
    for (const Callback& cb : reached) cb.callback(record, withUserData ? cb.userData : nullptr);
    return static_cast<int>(reached.size());
}

std::size_t PvrCallbackCount() { return Callbacks().size(); }

}  // namespace vsim

extern "C" {

int svc_pvr_service_init(void) {
    VSIM_FALLIBLE("svc_pvr_service_init", PS_CALL_METHOD_FAIL);
    return Request("svc_pvr_service_init", "");
}

int svc_pvr_register_result_pvr_point_cb(svc_pvr_result_pvr_cb callback, void* user_data) {
    VSIM_FALLIBLE("svc_pvr_register_result_pvr_point_cb", PS_CALL_METHOD_FAIL);
    int ret = Request("svc_pvr_register_result_pvr_point_cb", "");
    if (ret != PS_CALL_METHOD_SUCCESS || !callback) return ret;
    // The service keeps one point per callback: registering it again replaces it.
    for (Callback& cb : Callbacks()) {
        if (cb.callback == callback) {
            cb.userData = user_data;
            return ret;
        }
    }
    Callbacks().push_back({callback, user_data});
    return ret;
}

int svc_pvr_unregister_result_pvr_point_cb(svc_pvr_result_pvr_cb callback) {
    int ret = Request("svc_pvr_unregister_result_pvr_point_cb", "");
    auto& callbacks = Callbacks();
    for (auto it = callbacks.begin(); it != callbacks.end(); ++it) {
        if (it->callback == callback) {
            callbacks.erase(it);
            return ret;
        }
    }
    return PS_CALL_METHOD_FAIL;
}

int svc_pvr_is_sports_mode(int* state) {
    VSIM_FALLIBLE("svc_pvr_is_sports_mode", PS_CALL_METHOD_FAIL);
    vsim::RecordCall("svc_pvr_is_sports_mode");
    vsim::OutInt("svc_pvr_is_sports_mode", 0, state);
    return vsim::CallResult("svc_pvr_is_sports_mode", 0);
}

int svc_pvr_get_current_livetv_service_id(unsigned long long* service_id) {
    VSIM_FALLIBLE("svc_pvr_get_current_livetv_service_id", PS_CALL_METHOD_FAIL);
    vsim::RecordCall("svc_pvr_get_current_livetv_service_id");
    vsim::OutULong("svc_pvr_get_current_livetv_service_id", 0, service_id);
    return vsim::CallResult("svc_pvr_get_current_livetv_service_id", 0);
}

int svc_pvr_get_record_state_by_service_id(unsigned long long service_id, int* state, int* is_timeshift) {
    VSIM_FALLIBLE("svc_pvr_get_record_state_by_service_id", PS_CALL_METHOD_FAIL);
    std::string fact = Query("svc_pvr_get_record_state_by_service_id", Id(service_id));
    vsim::OutInt(fact, 0, state);
    vsim::OutInt(fact, 1, is_timeshift);
    return vsim::CallResult(fact, 0);
}

int svc_pvr_is_past_record_complete(unsigned long long service_id, int* complete) {
    VSIM_FALLIBLE("svc_pvr_is_past_record_complete", PS_CALL_METHOD_FAIL);
    std::string fact = Query("svc_pvr_is_past_record_complete", Id(service_id));
    vsim::OutInt(fact, 0, complete);
    return vsim::CallResult(fact, 0);
}

int svc_pvr_is_timeshifting(unsigned long long service_id, int* timeshifting) {
    VSIM_FALLIBLE("svc_pvr_is_timeshifting", PS_CALL_METHOD_FAIL);
    std::string fact = Query("svc_pvr_is_timeshifting", Id(service_id));
    vsim::OutInt(fact, 0, timeshifting);
    return vsim::CallResult(fact, 0);
}

int svc_pvr_get_play_state_by_service_id(unsigned long long service_id, int* state) {
    VSIM_FALLIBLE("svc_pvr_get_play_state_by_service_id", PS_CALL_METHOD_FAIL);
    std::string fact = Query("svc_pvr_get_play_state_by_service_id", Id(service_id));
    vsim::OutInt(fact, 0, state);
    return vsim::CallResult(fact, 0);
}

int svc_pvr_play_pause_by_service_id(unsigned long long service_id) {
    VSIM_FALLIBLE("svc_pvr_play_pause_by_service_id", PS_CALL_METHOD_FAIL);
    return Request("svc_pvr_play_pause_by_service_id", Id(service_id));
}

int svc_pvr_play_resume_by_service_id(unsigned long long service_id) {
    VSIM_FALLIBLE("svc_pvr_play_resume_by_service_id", PS_CALL_METHOD_FAIL);
    return Request("svc_pvr_play_resume_by_service_id", Id(service_id));
}

int svc_pvr_get_recording_uri_by_service_id(unsigned long long service_id, char* uri) {
    VSIM_FALLIBLE("svc_pvr_get_recording_uri_by_service_id", PS_CALL_METHOD_FAIL);
    std::string fact = Query("svc_pvr_get_recording_uri_by_service_id", Id(service_id));
    int ret = vsim::CallResult(fact, 0);
    std::string text;
    if (uri && vsim::FactString(fact, 0, &text)) {
        // The service never writes past its buffer and always terminates it.
        std::size_t n = text.size() < PS_RECORDING_URI_SIZE - 1 ? text.size() : PS_RECORDING_URI_SIZE - 1;
        std::memcpy(uri, text.data(), n);
        uri[n] = '\0';
    }
    return ret;
}

int svc_pvr_get_share_data(int index, long long* value) {
    VSIM_FALLIBLE("svc_pvr_get_share_data", PS_CALL_METHOD_FAIL);
    std::string fact = Query("svc_pvr_get_share_data", std::to_string(index));
    vsim::OutLong(fact, 0, value);
    return vsim::CallResult(fact, 0);
}

int svc_pvr_get_highlight_player_flag(int* flag) {
    VSIM_FALLIBLE("svc_pvr_get_highlight_player_flag", PS_CALL_METHOD_FAIL);
    vsim::RecordCall("svc_pvr_get_highlight_player_flag");
    vsim::OutInt("svc_pvr_get_highlight_player_flag", 0, flag);
    return vsim::CallResult("svc_pvr_get_highlight_player_flag", 0);
}

int svc_pvr_get_recording_service_id_list(unsigned long long* list, int capacity, int* count) {
    VSIM_FALLIBLE("svc_pvr_get_recording_service_id_list", PS_CALL_METHOD_FAIL);
    vsim::RecordCall("svc_pvr_get_recording_service_id_list", std::to_string(capacity));
    const vsim::Values* ids = vsim::Fact("svc_pvr_get_recording_service_id_list");
    int written = 0;
    if (ids && list) {
        for (std::size_t i = 0; i < ids->size() && written < capacity; ++i) {
            long long id;
            if (vsim::ParseInt((*ids)[i], &id)) list[written++] = static_cast<unsigned long long>(id);
        }
    }
    if (count) *count = written;
    return vsim::CallResult("svc_pvr_get_recording_service_id_list", 0);
}

int svc_pvr_get_current_recording_count(int* count) {
    VSIM_FALLIBLE("svc_pvr_get_current_recording_count", PS_CALL_METHOD_FAIL);
    vsim::RecordCall("svc_pvr_get_current_recording_count");
    vsim::OutInt("svc_pvr_get_current_recording_count", 0, count);
    return vsim::CallResult("svc_pvr_get_current_recording_count", 0);
}

int svc_pvr_get_progress_by_service_id(unsigned long long service_id, int* /*mode*/, long long* play_time,
                                       long long* record_time) {
    VSIM_FALLIBLE("svc_pvr_get_progress_by_service_id", PS_CALL_METHOD_FAIL_PROGRESS);
    std::string fact = Query("svc_pvr_get_progress_by_service_id", Id(service_id));
    int ret = vsim::CallResult(fact, 0);
    if (ret == PS_CALL_METHOD_FAIL_PROGRESS) return ret;
    vsim::OutLong(fact, 0, play_time);
    vsim::OutLong(fact, 1, record_time);
    return ret;
}

int svc_pvr_is_analog_channel(unsigned long long service_id, int* analog) {
    VSIM_FALLIBLE("svc_pvr_is_analog_channel", PS_CALL_METHOD_FAIL);
    std::string fact = Query("svc_pvr_is_analog_channel", Id(service_id));
    vsim::OutInt(fact, 0, analog);
    return vsim::CallResult(fact, 0);
}

int svc_pvr_is_audio_only_channel(unsigned long long service_id, int* audio_only) {
    VSIM_FALLIBLE("svc_pvr_is_audio_only_channel", PS_CALL_METHOD_FAIL);
    std::string fact = Query("svc_pvr_is_audio_only_channel", Id(service_id));
    vsim::OutInt(fact, 0, audio_only);
    return vsim::CallResult(fact, 0);
}

int svc_pvr_is_highlight_player_available(int* available) {
    VSIM_FALLIBLE("svc_pvr_is_highlight_player_available", PS_CALL_METHOD_FAIL);
    vsim::RecordCall("svc_pvr_is_highlight_player_available");
    vsim::OutInt("svc_pvr_is_highlight_player_available", 0, available);
    return vsim::CallResult("svc_pvr_is_highlight_player_available", 0);
}

int svc_pvr_set_bookmark(const char* uri, int time) {
    VSIM_FALLIBLE("svc_pvr_set_bookmark", PS_CALL_METHOD_FAIL);
    int ret = Request("svc_pvr_set_bookmark", std::string(uri ? uri : "(null)") + " " + std::to_string(time));
    // A bookmark the service accepted lands in the recording's bookmark file,
    // as a manual highlight with its PNG thumbnail.
    if (ret == PS_CALL_METHOD_SUCCESS && uri && *uri) {
        std::string path = vsim::BookmarkPathFor(uri);
        std::vector<vsim::BookmarkEntry> existing;
        vsim::BookmarkEntry entry;
        entry.isAuto = false;
        entry.time = time;
        if (vsim::ReadBmk(path, &existing)) {
            entry.image = vsim::DefaultThumbnail(false, static_cast<int>(existing.size()));
            // A service that stored a damaged or no thumbnail: only its first bytes.
            long long keep = vsim::FactIntOr("svc_pvr_set_bookmark.image", 0, -1);
            if (keep >= 0 && static_cast<std::size_t>(keep) < entry.image.size())
                entry.image.resize(static_cast<std::size_t>(keep));
            // Or one that padded it with zeros, which are no picture data.
            long long pad = vsim::FactIntOr("svc_pvr_set_bookmark.pad", 0, 0);
            if (pad > 0) entry.image.resize(entry.image.size() + static_cast<std::size_t>(pad), 0);
            // Or one whose header states far more image bytes than it wrote.
            entry.claimedSize = static_cast<int32_t>(vsim::FactIntOr("svc_pvr_set_bookmark.claim", 0, -1));
            vsim::AppendBookmark(path, entry);
        }
    }
    return ret;
}

}  // extern "C"
