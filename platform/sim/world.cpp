// Facts and journal of the simulated platform.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>

#include "sim_world.h"

namespace vsim {
namespace {

struct World {
    std::mutex lock;
    std::map<std::string, Values> facts;
    std::vector<Entry> journal;
    bool echo = false;
};

World& TheWorld() {
    static World* world = new World;  // lives as long as the process, also past static destruction
    return *world;
}

std::map<std::string, Values>& Defaults() {
    static auto* defaults = new std::map<std::string, Values>;
    return *defaults;
}

}  // namespace

DefaultFacts::DefaultFacts(std::initializer_list<std::pair<const char*, Values>> facts) {
    for (const auto& fact : facts) Defaults()[fact.first] = fact.second;
}

void ResetWorld() {
    World& w = TheWorld();
    std::lock_guard<std::mutex> guard(w.lock);
    w.facts.clear();
    w.journal.clear();
}

void SetFact(const std::string& name, const Values& values) {
    World& w = TheWorld();
    std::lock_guard<std::mutex> guard(w.lock);
    w.facts[name] = values;
}

void ClearFact(const std::string& name) {
    World& w = TheWorld();
    std::lock_guard<std::mutex> guard(w.lock);
    w.facts.erase(name);
}

const Values* Fact(const std::string& name) {
    World& w = TheWorld();
    std::lock_guard<std::mutex> guard(w.lock);
    auto it = w.facts.find(name);
    if (it != w.facts.end()) return &it->second;
    auto def = Defaults().find(name);
    return def == Defaults().end() ? nullptr : &def->second;
}

bool HasFact(const std::string& name) { return Fact(name) != nullptr; }

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

bool FactInt(const std::string& name, std::size_t index, long long* out) {
    const Values* values = Fact(name);
    if (!values || index >= values->size()) return false;
    return ParseInt((*values)[index], out);
}

long long FactIntOr(const std::string& name, std::size_t index, long long fallback) {
    long long value;
    return FactInt(name, index, &value) ? value : fallback;
}

bool FactString(const std::string& name, std::size_t index, std::string* out) {
    const Values* values = Fact(name);
    if (!values || index >= values->size()) return false;
    *out = (*values)[index];
    return true;
}

std::string FactFor(const std::string& call, const std::string& arg) {
    std::string specific = call + "[" + arg + "]";
    return HasFact(specific) || HasFact(specific + ".ret") ? specific : call;
}

bool OutInt(const std::string& name, std::size_t index, int* out) {
    long long value;
    if (!out || !FactInt(name, index, &value)) return false;
    *out = static_cast<int>(value);
    return true;
}

bool OutLong(const std::string& name, std::size_t index, long long* out) {
    long long value;
    if (!out || !FactInt(name, index, &value)) return false;
    *out = value;
    return true;
}

bool OutULong(const std::string& name, std::size_t index, unsigned long long* out) {
    long long value;
    if (!out || !FactInt(name, index, &value)) return false;
    *out = static_cast<unsigned long long>(value);
    return true;
}

int CallResult(const std::string& call, int fallback) {
    return static_cast<int>(FactIntOr(call + ".ret", 0, fallback));
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

void Record(const Entry& entry) {
    World& w = TheWorld();
    std::lock_guard<std::mutex> guard(w.lock);
    w.journal.push_back(entry);
    if (w.echo && entry.kind == "log") std::fprintf(stderr, "%s\n", entry.text.c_str());
}

std::string LogMessage(const Entry& entry) {
    std::size_t app = entry.text.find("> [APP][");
    if (app == std::string::npos) return entry.text;
    std::size_t close = entry.text.find("] ", app + 8);
    if (close == std::string::npos) return entry.text;
    return entry.text.substr(close + 2);
}

void RecordCall(const std::string& name, const std::string& args) {
    Entry entry;
    entry.kind = "call";
    entry.name = name;
    entry.text = args;
    Record(entry);
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
