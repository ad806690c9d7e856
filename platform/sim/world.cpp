// Facts and journal of the simulated platform.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "sim_world.h"

namespace vsim {
namespace {

using FactMap = std::map<std::string, Values, std::less<>>;

FactMap& Defaults() {
    static auto* defaults = new FactMap;
    return *defaults;
}

// A call's own result is the fact NAME followed by this.
constexpr std::string_view kResultSuffix = ".ret";

// The call a fact answers for: NAME for both NAME and NAME.ret.
std::string_view CallOf(std::string_view name) {
    bool result = name.size() >= kResultSuffix.size() &&
                  name.compare(name.size() - kResultSuffix.size(), kResultSuffix.size(), kResultSuffix) == 0;
    return result ? name.substr(0, name.size() - kResultSuffix.size()) : name;
}

// What answers one call: its values and its result, each set or default.
struct Answers {
    const Values* values = nullptr;
    const Values* result = nullptr;
};

// Every simulated call looks up several facts, so the facts in effect (set
// ones over defaults) are also indexed by call, values and result in one
// entry. The keys view names held by the two maps, whose nodes never move.
struct World {
    std::mutex lock;
    FactMap facts;
    std::unordered_map<std::string_view, Answers> inEffect;
    std::vector<Entry> journal;
    bool echo = false;

    // The fact in effect for a name: set, else default; with the name it is held under.
    const FactMap::value_type* InEffect(const std::string& name) const {
        auto set = facts.find(name);
        if (set != facts.end()) return &*set;
        auto def = Defaults().find(name);
        return def != Defaults().end() ? &*def : nullptr;
    }

    // Builds the call's entry again from the maps. Whoever removes a fact
    // drops the entry first, since its key may view the name being removed.
    void Reindex(std::string_view call) {
        inEffect.erase(call);
        std::string name(call);
        const FactMap::value_type* values = InEffect(name);
        const FactMap::value_type* result = InEffect(name.append(kResultSuffix.data(), kResultSuffix.size()));
        if (!values && !result) return;
        std::string_view key;
        if (values)
            key = values->first;
        else
            key = CallOf(result->first);
        inEffect.emplace(key, Answers{values ? &values->second : nullptr, result ? &result->second : nullptr});
    }

    Answers Find(std::string_view call) const {
        auto it = inEffect.find(call);
        return it == inEffect.end() ? Answers{} : it->second;
    }
};

World& TheWorld() {
    static World* world = [] {
        auto* w = new World;  // lives as long as the process, also past static destruction
        for (const auto& fact : Defaults()) w->Reindex(CallOf(fact.first));
        return w;
    }();
    return *world;
}

// Value `index` of a fact, null when the fact or the value is not there.
const std::string* ValueAt(const Values* values, std::size_t index) {
    return values && index < values->size() ? &(*values)[index] : nullptr;
}

bool ParseValue(const Values* values, std::size_t index, long long* out) {
    const std::string* value = ValueAt(values, index);
    return value && ParseInt(*value, out);
}

}  // namespace

DefaultFacts::DefaultFacts(std::initializer_list<std::pair<const char*, Values>> facts) {
    World& w = TheWorld();
    std::lock_guard<std::mutex> guard(w.lock);
    for (const auto& fact : facts) {
        auto def = Defaults().insert_or_assign(fact.first, fact.second).first;
        w.Reindex(CallOf(def->first));
    }
}

void ResetWorld() {
    World& w = TheWorld();
    std::lock_guard<std::mutex> guard(w.lock);
    std::vector<std::string> calls;
    for (const auto& fact : w.facts) {
        calls.emplace_back(CallOf(fact.first));
        w.inEffect.erase(calls.back());
    }
    w.facts.clear();
    for (const std::string& call : calls) w.Reindex(call);
    w.journal.clear();
}

void SetFact(const std::string& name, const Values& values) {
    World& w = TheWorld();
    std::lock_guard<std::mutex> guard(w.lock);
    w.facts.insert_or_assign(name, values);
    w.Reindex(CallOf(name));
}

void ClearFact(const std::string& name) {
    World& w = TheWorld();
    std::lock_guard<std::mutex> guard(w.lock);
    auto fact = w.facts.find(name);
    if (fact == w.facts.end()) return;
    std::string call(CallOf(name));
    w.inEffect.erase(call);
    w.facts.erase(fact);
    w.Reindex(call);
}

const Values* Fact(std::string_view name) {
    World& w = TheWorld();
    std::lock_guard<std::mutex> guard(w.lock);
    std::string_view call = CallOf(name);
    Answers answers = w.Find(call);
    return call.size() != name.size() ? answers.result : answers.values;
}

bool HasFact(std::string_view name) { return Fact(name) != nullptr; }

bool HasFactOrResult(std::string_view name) {
    World& w = TheWorld();
    std::lock_guard<std::mutex> guard(w.lock);
    Answers answers = w.Find(name);
    return answers.values || answers.result;
}

bool FactIs(std::string_view name, std::size_t index, std::string_view value) {
    const std::string* held = ValueAt(Fact(name), index);
    return held && *held == value;
}

bool ParseInt(const std::string& text, long long* out) {
    if (text.empty()) return false;
    const char* begin = text.c_str();
    bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    char* end = nullptr;
    errno = 0;
    long long value;
    if (hex) {
        value = static_cast<long long>(std::strtoull(begin, &end, 16));
    } else if (text[0] == '-') {
        value = std::strtoll(begin, &end, 10);
    } else {
        // Unsigned so that 64-bit service ids with the top bit set survive.
        value = static_cast<long long>(std::strtoull(begin, &end, 10));
    }
    if (errno != 0 || end == begin || *end != '\0') return false;
    *out = value;
    return true;
}

bool FactInt(std::string_view name, std::size_t index, long long* out) { return ParseValue(Fact(name), index, out); }

long long FactIntOr(std::string_view name, std::size_t index, long long fallback) {
    long long value;
    return FactInt(name, index, &value) ? value : fallback;
}

bool FactString(std::string_view name, std::size_t index, std::string* out) {
    const std::string* value = ValueAt(Fact(name), index);
    if (!value) return false;
    *out = *value;
    return true;
}

std::string FactFor(std::string_view call, std::string_view arg) {
    // NAME[ARG], composed in a buffer each thread reuses.
    thread_local std::string specific;
    specific.assign(call.data(), call.size()).append(1, '[').append(arg.data(), arg.size()).append(1, ']');
    World& w = TheWorld();
    std::lock_guard<std::mutex> guard(w.lock);
    if (w.inEffect.count(specific) != 0) return specific;
    return std::string(call);
}

bool OutInt(std::string_view name, std::size_t index, int* out) {
    long long value;
    if (!out || !FactInt(name, index, &value)) return false;
    *out = static_cast<int>(value);
    return true;
}

bool OutLong(std::string_view name, std::size_t index, long long* out) {
    long long value;
    if (!out || !FactInt(name, index, &value)) return false;
    *out = value;
    return true;
}

bool OutULong(std::string_view name, std::size_t index, unsigned long long* out) {
    long long value;
    if (!out || !FactInt(name, index, &value)) return false;
    *out = static_cast<unsigned long long>(value);
    return true;
}

int CallResult(std::string_view call, int fallback) {
    World& w = TheWorld();
    const Values* result;
    {
        std::lock_guard<std::mutex> guard(w.lock);
        result = w.Find(call).result;
    }
    long long value;
    return ParseValue(result, 0, &value) ? static_cast<int>(value) : fallback;
}

std::vector<std::string> FactNames() {
    World& w = TheWorld();
    std::lock_guard<std::mutex> guard(w.lock);
    std::map<std::string, bool> names;
    for (const auto& fact : Defaults()) names[fact.first] = true;
    for (const auto& fact : w.facts) names[fact.first] = true;
    std::vector<std::string> out;
    out.reserve(names.size());
    for (const auto& name : names) out.push_back(name.first);
    return out;
}

void Record(Entry entry) {
    World& w = TheWorld();
    std::lock_guard<std::mutex> guard(w.lock);
    if (w.echo && entry.kind == "log") std::fprintf(stderr, "%s\n", entry.text.c_str());
    w.journal.push_back(std::move(entry));
}

std::string LogMessage(const Entry& entry) {
    std::size_t app = entry.text.find("> [APP][");
    if (app == std::string::npos) return entry.text;
    std::size_t close = entry.text.find("] ", app + 8);
    if (close == std::string::npos) return entry.text;
    return entry.text.substr(close + 2);
}

void RecordCall(std::string name, std::string args) {
    Entry entry;
    entry.kind = "call";
    entry.name = std::move(name);
    entry.text = std::move(args);
    Record(std::move(entry));
}

std::vector<Entry> Journal() { return JournalSince(0); }

std::size_t JournalSize() {
    World& w = TheWorld();
    std::lock_guard<std::mutex> guard(w.lock);
    return w.journal.size();
}

std::vector<Entry> JournalSince(std::size_t index) {
    World& w = TheWorld();
    std::lock_guard<std::mutex> guard(w.lock);
    if (index >= w.journal.size()) return {};
    return std::vector<Entry>(w.journal.begin() + static_cast<long>(index), w.journal.end());
}

void ClearJournal() {
    World& w = TheWorld();
    std::lock_guard<std::mutex> guard(w.lock);
    w.journal.clear();
}

void SetLogEcho(bool on) {
    World& w = TheWorld();
    std::lock_guard<std::mutex> guard(w.lock);
    w.echo = on;
}

void SetSportsRecording(const std::string& uri) {
    SetFact("svc_pvr_is_sports_mode", {"1"});
    SetFact("svc_pvr_get_record_state_by_service_id", {"2", "0"});
    SetFact("svc_pvr_get_current_recording_count", {"1"});
    if (uri.empty()) return;
    SetFact("svc_pvr_get_recording_uri_by_service_id[1001]", {uri});
    SetFact("svc_pvr_get_recording_uri_by_service_id[1001].ret", {"0"});
}

}  // namespace vsim

// For the viewer's C interposers of toolkit calls.
extern "C" __attribute__((visibility("default"))) void vsim_record_call(const char* name, const char* args) {
    vsim::RecordCall(name ? name : "", args ? args : "");
}

// For the same interposers: whether a scenario made the call NAME fail
// ("set NAME null").
extern "C" __attribute__((visibility("default"))) int vsim_call_refused(const char* name) {
    return name && vsim::FactIs(name, 0, "null") ? 1 : 0;
}
