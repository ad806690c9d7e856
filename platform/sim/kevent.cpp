// The viewer's key-event service: handlers by kind and priority.
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "fallible.h"
#include "sim_world.h"
#include "tv_viewer_kevent.h"

struct tv_viewer_kevent_s {
    std::string client;
};

namespace {

struct Handler {
    tv_viewer_kevent_handler_id id;
    tv_viewer_kevent_h owner;
    int kind;
    int priority;
    tv_viewer_kevent_cb callback;
    void* userData;
};

struct Service {
    std::vector<Handler> handlers;
    std::vector<tv_viewer_kevent_h> clients;
    tv_viewer_kevent_handler_id nextId = 1;
    std::size_t oddAnswers = 0;  // answers other than 0 and 1
};

Service& TheService() {
    static Service* service = new Service;
    return *service;
}

const char* KindName(int kind) { return kind == TV_VIEWER_KEVENT_KEY_DOWN ? "keydown" : "keyup"; }

}  // namespace

namespace vsim {

int DispatchKeyEvent(int kind, void* eventRecord, const char* label) {
    // Copy first: a handler may add or remove handlers while it runs.
    std::vector<Handler> offered;
    offered.reserve(TheService().handlers.size());
    for (const Handler& h : TheService().handlers)
        if (h.kind == kind) offered.push_back(h);
    // Handlers are kept in the order they were added, which is also the order
    // of their ids: equal priorities are offered first come, first served.
    std::sort(offered.begin(), offered.end(), [](const Handler& a, const Handler& b) {
        return a.priority != b.priority ? a.priority < b.priority : a.id < b.id;
    });
    int verdict = 1;
    for (const Handler& h : offered) {
        bool stillThere = std::any_of(TheService().handlers.begin(), TheService().handlers.end(),
                                      [&](const Handler& now) { return now.id == h.id; });
        if (!stillThere) continue;
        int answer = h.callback(eventRecord, h.userData);
        if (answer != 0 && answer != 1) {
            // The service knows only these two answers.
            ++TheService().oddAnswers;
            Entry odd;
            odd.kind = "note";
            odd.name = "key";
            odd.text = "a key handler answered " + std::to_string(answer);
            Record(std::move(odd));
        }
        if (answer == 0) {
            verdict = 0;
            break;
        }
    }
    Entry entry;
    entry.kind = "key";
    entry.name = label ? label : "(null)";
    entry.text.append(KindName(kind))
        .append(1, ' ')
        .append(entry.name)
        .append(verdict == 0 ? " consumed" : " returned");
    entry.verdict = verdict;
    Record(std::move(entry));
    return verdict;
}

int DispatchKey(int kind, const char* keyName) {
    tv_viewer_kevent_info_s info = {};
    info.keyname = keyName;
    return DispatchKeyEvent(kind, &info, keyName);
}

std::size_t KeyHandlerCount() { return TheService().handlers.size(); }

std::size_t KeyClientCount() { return TheService().clients.size(); }

std::size_t OddKeyAnswerCount() { return TheService().oddAnswers; }

}  // namespace vsim

extern "C" {

tv_viewer_kevent_h tv_viewer_kevent_init(const char* client_name) {
    VSIM_FALLIBLE("tv_viewer_kevent_init", nullptr);
    vsim::RecordCall("tv_viewer_kevent_init", client_name ? client_name : "(null)");
    if (vsim::FactIs("tv_viewer_kevent_init", 0, "null")) return nullptr;
    auto* client = new tv_viewer_kevent_s{client_name ? client_name : ""};
    TheService().clients.push_back(client);
    return client;
}

tv_viewer_kevent_handler_id tv_viewer_kevent_handler_add(tv_viewer_kevent_h handle, int kind, int priority,
                                                         tv_viewer_kevent_cb handler, void* user_data) {
    // No handler id: 0.
    VSIM_FALLIBLE("tv_viewer_kevent_handler_add", 0);
    vsim::RecordCall("tv_viewer_kevent_handler_add", std::to_string(kind) + " " + std::to_string(priority));
    // NAME[KIND,PRIORITY].ret fails one registration, NAME.ret every one.
    const std::string fact =
        vsim::FactFor("tv_viewer_kevent_handler_add", std::to_string(kind) + "," + std::to_string(priority));
    if (vsim::CallResult(fact, 0) != 0) return 0;
    if (!handle || !handler) return 0;
    Service& s = TheService();
    Handler h{s.nextId++, handle, kind, priority, handler, user_data};
    s.handlers.push_back(h);
    return h.id;
}

int tv_viewer_kevent_handler_del(tv_viewer_kevent_handler_id id) {
    vsim::RecordCall("tv_viewer_kevent_handler_del", std::to_string(id));
    auto& handlers = TheService().handlers;
    auto it = std::find_if(handlers.begin(), handlers.end(), [id](const Handler& h) { return h.id == id; });
    if (it == handlers.end()) return -1;
    handlers.erase(it);
    return 0;
}

int tv_viewer_kevent_fini(tv_viewer_kevent_h handle) {
    vsim::RecordCall("tv_viewer_kevent_fini");
    auto& clients = TheService().clients;
    auto it = std::find(clients.begin(), clients.end(), handle);
    if (it == clients.end()) return -1;
    // Handlers the client left registered stay: a client must delete its own.
    clients.erase(it);
    delete handle;
    return 0;
}

}  // extern "C"
