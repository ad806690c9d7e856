#include "Verbs.h"

#include <cctype>
#include <cmath>

#include "Names.h"

namespace tvsim {
namespace {

// The entry every named fact's verb runs: NAME, NAME[ARG] or NAME.ret.
const char kNamedFactVerb[] = "NAMED-FACT";

const char* KindName(VerbKind kind) {
    switch (kind) {
        case VerbKind::World:
            return "world";
        case VerbKind::Action:
            return "action";
        case VerbKind::Expectation:
            return "expectation";
    }
    return "";
}

// A table cell: pipes would end it.
std::string Cell(const std::string& text) {
    std::string out;
    for (char c : text) out += c == '|' ? std::string("\\|") : std::string(1, c);
    return out;
}

const VerbSpec* Named(const std::string& name) {
    for (const VerbSpec& v : Verbs())
        if (v.name == name) return &v;
    return nullptr;
}

}  // namespace

const std::vector<VerbSpec>& Verbs() {
    static const std::vector<VerbSpec> verbs = [] {
        std::vector<VerbSpec> all;
        AddWorldVerbs(&all);
        AddActionVerbs(&all);
        AddExpectations(&all);
        return all;
    }();
    return verbs;
}

const VerbSpec* FindVerb(const Command& command) {
    if (command.verb == "expect") return command.args.empty() ? nullptr : Named("expect " + command.args[0]);
    if (const VerbSpec* verb = Named(command.verb)) return verb;
    return FindNamedFact(command.verb) ? Named(kNamedFactVerb) : nullptr;
}

bool IsActionVerb(const std::string& verb) {
    const VerbSpec* spec = Named(verb);
    return spec && spec->kind == VerbKind::Action;
}

std::string VerbReference() {
    std::string out = "| Verb | Kind | Effect / passes when |\n|---|---|---|\n";
    for (const VerbSpec& v : Verbs()) {
        std::string name = v.name == kNamedFactVerb ? "FACT-NAME" : v.name;
        out += "| `" + Cell(name + (v.args.empty() ? "" : " " + v.args)) + "` | " + KindName(v.kind) + " | " +
               Cell(v.usage) + " |\n";
    }
    return out;
}

std::string NameReference() {
    std::string out = "| Named fact | Fact | Values named by | Meaning |\n|---|---|---|---|\n";
    for (const NamedFact& f : NamedFacts())
        out += "| `" + f.name + "` | `" + f.fact + "` | " + (f.kind.empty() ? "" : "`" + f.kind + "`") + " | " +
               Cell(f.meaning) + " |\n";
    out += "\n| Kind | Name | Code | Meaning |\n|---|---|---|---|\n";
    for (const CodeName& c : CodeNames())
        out += "| `" + c.kind + "` | `" + c.name + "` | `" + c.code + "` | " + Cell(c.meaning) + " |\n";
    return out;
}

bool ParseDuration(const std::string& text, long long* us) {
    std::size_t digits = 0;
    while (digits < text.size() && (isdigit(static_cast<unsigned char>(text[digits])) || text[digits] == '.')) ++digits;
    if (digits == 0) return false;
    std::string number = text.substr(0, digits);
    std::string unit = text.substr(digits);
    double value = 0;
    try {
        value = std::stod(number);
    } catch (...) {
        return false;
    }
    double scale;
    if (unit.empty() || unit == "ms")
        scale = 1000.0;
    else if (unit == "us")
        scale = 1.0;
    else if (unit == "s")
        scale = 1000000.0;
    else
        return false;
    *us = std::llround(value * scale);
    return true;
}

}  // namespace tvsim
