// World verbs: facts, files, the wall clock and the viewer's own state.
#include <filesystem>
#include <system_error>

#include "Names.h"
#include "Verbs.h"
#include "VirtualClock.h"
#include "bookmark_writer.h"

namespace tvsim {
namespace {

using Args = std::vector<std::string>;

bool SetNamed(const std::string& name, const Args& values, std::string* failure) {
    std::string fact;
    Args codes;
    if (!ResolveFact(name, values, &fact, &codes, failure)) return false;
    vsim::SetFact(fact, codes);
    return true;
}

// "on"/"off" style arguments; false with the usage when neither.
bool Either(const Args& a, const char* yes, const char* no, bool* on) {
    if (a[0] != yes && a[0] != no) return false;
    *on = a[0] == yes;
    return true;
}

}  // namespace

void AddWorldVerbs(std::vector<VerbSpec>* verbs) {
    const VerbKind W = VerbKind::World;
    verbs->push_back({"set", W, "FACT [VALUE...]", 1, -1,
                      "sets a platform fact (raw or named, see Names); no values: the call writes nothing",
                      [](RunContext&, const Command&, const Args& a, std::string* failure) {
                          return SetNamed(a[0], Args(a.begin() + 1, a.end()), failure);
                      }});
    verbs->push_back({"NAMED-FACT", W, "[VALUE...]", 0, -1,
                      "a named fact as a verb (see Names): `source av1` is `set "
                      "ISourceControl::GetCurrentSourceInfo[1,0] 1`; also NAME[ARG] and NAME.ret",
                      [](RunContext&, const Command& c, const Args& a, std::string* failure) {
                          return SetNamed(c.verb, a, failure);
                      }});
    verbs->push_back({"unset", W, "FACT", 1, 1, "back to the fact's default",
                      [](RunContext&, const Command&, const Args& a, std::string* failure) {
                          std::string fact;
                          Args none;
                          if (!ResolveFact(a[0], {}, &fact, &none, failure)) return false;
                          vsim::ClearFact(fact);
                          return true;
                      }});
    verbs->push_back(
        {"sports-recording", W, "[RECORDING_URI]", 0, 1,
         "the world most key and bookmark scenarios start from: sports mode on, every channel records, one "
         "recording; with a URI also the live service's recording URI. Facts set after it override it",
         [](RunContext&, const Command&, const Args& a, std::string*) {
             vsim::SetSportsRecording(a.empty() ? std::string() : a[0]);
             return true;
         }});
    verbs->push_back({"bookmarks", W, "RECORDING_URI [auto:TIME[:EXTRA]|manual:TIME[:EXTRA]]...", 1, -1,
                      "writes the recording's bookmark file (beside it, `.srf` → `.bmk`), creating its "
                      "directory; no words: an empty bookmark list",
                      [](RunContext&, const Command&, const Args& a, std::string* failure) {
                          std::string path = vsim::BookmarkPathFor(a[0]);
                          std::string dir = path.substr(0, path.find_last_of('/'));
                          std::error_code ignored;
                          if (!dir.empty() && dir != path) std::filesystem::create_directories(dir, ignored);
                          return vsim::WriteBookmarkFile(path, Args(a.begin() + 1, a.end()), failure);
                      }});
    verbs->push_back({"text", W, "NAME \"TEXT\" [\"MORE\"...]", 2, -1,
                      "names a text once: a later word `$NAME` in any command's arguments stands for TEXT "
                      "(a long log message, say); the name holds to the end of the file, outline rows included, and a "
                      "name used before it is named is a parse error. "
                      "Further words are joined on without blanks, so a long word is built over lines: "
                      "`text long \"abc\" \"def\"`, then `text long $long \"ghi\"`",
                      [](RunContext& r, const Command&, const Args& a, std::string*) {
                          std::string joined;
                          for (auto part = a.begin() + 1; part != a.end(); ++part) joined += *part;
                          r.texts[a[0]] = joined;
                          return true;
                      }});
    verbs->push_back({"wall-clock", W, "YYYY-MM-DDTHH:MM:SSZ", 1, 1,
                      "sets the wall clock (UTC); timers and debounce gaps do not move",
                      [](RunContext&, const Command&, const Args& a, std::string* failure) {
                          if (vclock::SetWallClock(a[0])) return true;
                          *failure = "not a UTC time, YYYY-MM-DDTHH:MM:SSZ: " + a[0];
                          return false;
                      }});
    verbs->push_back({"viewer-answers", W, "on|off", 1, 1,
                      "whether the viewer answers the gadget's show/hide result messages itself",
                      [](RunContext& r, const Command&, const Args& a, std::string*) {
                          bool on;
                          if (!Either(a, "on", "off", &on)) return false;
                          r.viewer.SetAnswers(on);
                          return true;
                      }});
    verbs->push_back({"viewer-focus", W, "out|in", 1, 1,
                      "the viewer's window loses / regains the focus (another application in front); the "
                      "colour keys then ask `tvcontext_check_visible[orvane.function-osd]`",
                      [](RunContext& r, const Command&, const Args& a, std::string*) {
                          bool in;
                          if (!Either(a, "in", "out", &in)) return false;
                          r.viewer.SetFocus(in);
                          return true;
                      }});
    verbs->push_back({"screenshot", W, "FILE.png", 1, 1,
                      "renders the window and saves it through Evas (what `--window` shows)",
                      [](RunContext& r, const Command&, const Args& a, std::string* failure) {
                          std::string path = a[0];
                          if (!path.empty() && path[0] != '/' && !r.options.baseDir.empty())
                              path = r.options.baseDir + "/" + path;
                          if (!r.viewer.Screenshot(path, failure)) return false;
                          if (!r.options.quiet) r.out << "        wrote " << path << "\n";
                          return true;
                      }});
}

}  // namespace tvsim
