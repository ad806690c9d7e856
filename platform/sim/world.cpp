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

// Every simulated call looks up several facts, so the facts in effect (set
// ones over defaults) are also indexed by name. The keys view the names held
// by the two maps, whose nodes never move.
struct World {
    std::mutex lock;
    FactMap facts;
    std::unordered_map<std::string_view, const Values*> inEffect;
    std::vector<Entry> journal;
    bool echo = false;

    // The default for a name no longer set, when there is one. The entry is
    // made again so that its key views the default's name, not the set one.
    void IndexDefault(std::string_view name) {
        inEffect.erase(name);
        auto def = Defaults().find(name);
        if (def != Defaults().end()) inEffect.emplace(def->first, &def->second);
    }
    void IndexDefaults() {
        inEffect.clear();
        for (const auto& fact : Defaults()) inEffect[fact.first] = &fact.second;
    }
};

World& TheWorld() {
    static World* world = [] {
        auto* w = new World;  // lives as long as the process, also past static destruction
        w->IndexDefaults();
        return w;
    }();
    return *world;
}

// A call's own result is the fact NAME followed by this.
constexpr std::string_view kResultSuffix = ".ret";

// NAME.ret, in a buffer each thread reuses: every simulated call composes
// it, and it never outlives the look-up.
std::string_view WithResult(std::string_view name) {
    thread_local std::string buffer;
    buffer.assign(name.data(), name.size());
    buffer.append(kResultSuffix.data(), kResultSuffix.size());
    return buffer;
}

}  // namespace

DefaultFacts::DefaultFacts(std::initializer_list<std::pair<const char*, Values>> facts) {
    World& w = TheWorld();
    std::lock_guard<std::mutex> guard(w.lock);
    for (const auto& fact : facts) {
        auto def = Defaults().insert_or_assign(fact.first, fact.second).first;
        if (w.facts.find(def->first) == w.facts.end()) w.inEffect[def->first] = &def->second;
    }
}

void ResetWorld() {
    World& w = TheWorld();
    std::lock_guard<std::mutex> guard(w.lock);
    for (const auto& fact : w.facts) w.IndexDefault(fact.first);
    w.facts.clear();
    w.journal.clear();
}

void SetFact(const std::string& name, const Values& values) {
    World& w = TheWorld();
    std::lock_guard<std::mutex> guard(w.lock);
    auto fact = w.facts.insert_or_assign(name, values).first;
    w.inEffect[fact->first] = &fact->second;
}

void ClearFact(const std::string& name) {
    World& w = TheWorld();
    std::lock_guard<std::mutex> guard(w.lock);
    auto fact = w.facts.find(name);
    if (fact == w.facts.end()) return;
    w.IndexDefault(name);
    w.facts.erase(fact);
}

const Values* Fact(std::string_view name) {
    World& w = TheWorld();
    std::lock_guard<std::mutex> guard(w.lock);
    auto it = w.inEffect.find(name);
    return it == w.inEffect.end() ? nullptr : it->second;
}

bool HasFact(std::string_view name) { return Fact(name) != nullptr; }

bool HasFactOrResult(std::string_view name) { return HasFact(name) || HasFact(WithResult(name)); }

bool FactIs(std::string_view name, std::size_t index, std::string_view value) {
    const Values* values = Fact(name);
    return values && index < values->size() && (*values)[index] == value;
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

bool FactInt(std::string_view name, std::size_t index, long long* out) {
    const Values* values = Fact(name);
    if (!values || index >= values->size()) return false;
    return ParseInt((*values)[index], out);
}

long long FactIntOr(std::string_view name, std::size_t index, long long fallback) {
    long long value;
    return FactInt(name, index, &value) ? value : fallback;
}

bool FactString(std::string_view name, std::size_t index, std::string* out) {
    const Values* values = Fact(name);
    if (!values || index >= values->size()) return false;
    *out = (*values)[index];
    return true;
}

std::string FactFor(std::string_view call, std::string_view arg) {
    // NAME[ARG] and NAME[ARG].ret, composed in one buffer and looked up under one lock.
    thread_local std::string specific;
    specific.assign(call.data(), call.size()).append(1, '[').append(arg.data(), arg.size()).append(1, ']');
    specific.append(kResultSuffix.data(), kResultSuffix.size());
    std::string_view withResult(specific);
    std::string_view bare = withResult.substr(0, withResult.size() - kResultSuffix.size());
    World& w = TheWorld();
    std::lock_guard<std::mutex> guard(w.lock);
    bool set = w.inEffect.count(bare) != 0 || w.inEffect.count(withResult) != 0;
    return std::string(set ? bare : call);
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
    return static_cast<int>(FactIntOr(WithResult(call), 0, fallback));
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

}  // namespace vsim
