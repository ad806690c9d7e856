// The simulated platform's world and journal.
//
// The world is a set of platform facts: each names the platform call whose
// answer it sets, with the argument it depends on in brackets, and holds the
// values that call hands back (out values in argument order). The call's own
// result is the fact NAME.ret. A fact with no values makes the call write
// nothing. Facts nobody set answer with the defaults each simulated service
// registers, which describe a plain TV on the tuner with nothing recording.
//
// The journal records everything the gadget asked of the platform and what it
// produced: calls, log lines, launches, result messages, PVR requests, keys.
#ifndef VANTRO_SIM_WORLD_H
#define VANTRO_SIM_WORLD_H

#include <Evas.h>

#include <cstddef>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "svc_pvr.h"
#include "ug_module.h"

namespace vsim {

using Values = std::vector<std::string>;
using Extras = std::vector<std::pair<std::string, std::string>>;

// ---- facts ---------------------------------------------------------------

// Back to the defaults; the journal is emptied, handlers and callbacks stay.
void ResetWorld();
void SetFact(const std::string& name, const Values& values);
void ClearFact(const std::string& name);
// The fact as set, else its default; null when neither exists.
const Values* Fact(std::string_view name);
bool HasFact(std::string_view name);
// The fact NAME or its result NAME.ret is in effect: the call has an answer.
bool HasFactOrResult(std::string_view name);
// Value `index` of the fact is exactly `value` (for example "null").
bool FactIs(std::string_view name, std::size_t index, std::string_view value);
// Value `index` of the fact as an integer (decimal, or hex with 0x).
bool FactInt(std::string_view name, std::size_t index, long long* out);
long long FactIntOr(std::string_view name, std::size_t index, long long fallback);
bool FactString(std::string_view name, std::size_t index, std::string* out);
// The fact for a call with an argument: NAME[ARG] when set or defaulted,
// otherwise NAME, which then stands for every argument.
std::string FactFor(std::string_view call, std::string_view arg);
// Writes value `index` of the fact to *out when there is one; otherwise
// leaves *out as the caller preset it.
bool OutInt(std::string_view name, std::size_t index, int* out);
bool OutLong(std::string_view name, std::size_t index, long long* out);
bool OutULong(std::string_view name, std::size_t index, unsigned long long* out);
// The call's own result: fact NAME.ret, else fallback.
int CallResult(std::string_view call, int fallback);
bool ParseInt(const std::string& text, long long* out);

// A simulated service registers its defaults with a static instance of this.
struct DefaultFacts {
    DefaultFacts(std::initializer_list<std::pair<const char*, Values>> facts);
};
// Names of all facts in effect (set or default), sorted.
std::vector<std::string> FactNames();

// ---- journal -------------------------------------------------------------

struct Entry {
    std::string kind;  // "call", "log", "launch", "result", "pvr", "key", "timer", "note"
    std::string name;  // call name, app id, key name or log tag
    std::string text;  // arguments, or the whole log line
    Extras extras;     // launch and result extras, in order
    std::string via;   // launch mechanism: "app_control" or "aul"
    int logId = 0;
    int priority = 0;
    int verdict = -1;  // key entries: 0 consumed, 1 returned
};

void Record(Entry entry);
// A log entry's message with the gadget's "... > [APP][func:line] " prefix
// taken off; the whole text when it has no such prefix.
std::string LogMessage(const Entry& entry);
// Shorthand for a "call" entry.
void RecordCall(std::string name, std::string args = std::string());
std::vector<Entry> Journal();
std::size_t JournalSize();
std::vector<Entry> JournalSince(std::size_t index);
void ClearJournal();
// Lines that also go to stderr as they are logged (for a developer at a terminal).
void SetLogEcho(bool on);

// ---- the viewer's side -----------------------------------------------------

// The window ug_get_window answers.
void SetWindow(Evas_Object* window);

// The world most key and bookmark scenarios start from: sports mode on, the
// channel recording (any channel the service is asked about), the TV's one
// recording and, given a URI, channel 1001's written to it.
void SetSportsRecording(const std::string& uri = std::string());
// Called for every result message the gadget sends.
using ResultListener = std::function<void(ui_gadget_h, const Extras&)>;
void SetResultListener(ResultListener listener);

// Offers a key event to the registered handlers, high priority first, and
// stops at the first that consumes it. Returns 0 consumed, 1 returned.
int DispatchKey(int kind, const char* keyName);
// The same with a raw event record (may be null).
int DispatchKeyEvent(int kind, void* eventRecord, const char* label);
std::size_t KeyHandlerCount();
std::size_t KeyClientCount();
// Handler answers other than 0 (consumed) and 1 (returned) since start.
std::size_t OddKeyAnswerCount();

// Delivers a PVR result to the registered callbacks, from an unaligned
// record. Returns the number of callbacks reached.
int DeliverPvrResult(int method, int result);
// A record as it stands (any bytes, any address), with the registered user
// data or none.
int DeliverPvrRecord(ps_result_pvr* record, bool withUserData);
std::size_t PvrCallbackCount();

// Extras of an app-control object (for the viewer's own messages).
Extras AppControlExtras(app_control_h handle);
std::string AppControlAppId(app_control_h handle);

}  // namespace vsim

#endif
