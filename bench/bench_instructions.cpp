// Instruction counts of the key paths and of the pop-up's show, for
// bench/instructions.sh, which runs this program under callgrind with
// collection off. The real library in the headless viewer, as the TV loads
// it. Each path is pressed once untimed (first-use set-up such as a log
// site's head is not what a key costs), then once with collection on; the
// counts of that one press are dumped under the path's name. Outside
// callgrind the markers do nothing and the program only checks that every
// path still reaches its request.
//
// Counts must not depend on the run: everything it reads is under the
// working directory (./instr-work), the clock is virtual, and the script
// pins the environment.
#include <Ecore_Evas.h>
#include <Elementary.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#else
#define CALLGRIND_TOGGLE_COLLECT
#define CALLGRIND_DUMP_STATS_AT(name) ((void)(name))
#endif

#include "HeadlessToolkit.h"
#include "KeyPaths.h"
#include "Viewer.h"
#include "VirtualClock.h"
#include "bookmark_writer.h"
#include "sim_world.h"

namespace {

const char* const kWorkDir = "instr-work";

void Settled(tvsim::Viewer& v) {
    v.Settle();
    vclock::AdvanceAndRun(1000 * 1000, 1000 * 1000);
    vsim::ClearJournal();
}

void Start(tvsim::Viewer& v, void (*world)()) {
    vsim::ResetWorld();
    world();
    v.SetAnswers(false);
    v.Create();
    v.Start();
    Settled(v);
}

// One path: the same key pressed once to warm up, then once counted.
bool MeasureKey(tvsim::Viewer& v, const vbench::KeyPath& path) {
    Start(v, path.world);
    v.KeyDown(path.key);
    v.KeyUp(path.key);
    Settled(v);
    CALLGRIND_TOGGLE_COLLECT;
    int verdict = v.KeyDown(path.key);
    CALLGRIND_TOGGLE_COLLECT;
    CALLGRIND_DUMP_STATS_AT(path.name);
    const vbench::Calls made = vbench::JournaledCalls();
    const bool ok = verdict == path.verdict && made == path.expected();
    v.KeyUp(path.key);
    Settled(v);
    v.Destroy();
    if (!ok) std::fprintf(stderr, "%s: not the expected calls or verdict\n", path.name);
    return ok;
}

std::string PopupRecording() { return std::string(kWorkDir) + "/rec_01.srf"; }

void PopupWorld() { vbench::SportsRecordingWorld(PopupRecording()); }

// The pop-up's show: the viewer's "show" message up to the end of the first
// frame rendered with it, over a recording holding a full bookmark file.
bool WriteFullFile() {
    std::vector<std::string> words;
    for (int i = 0; i < vsim::kBookmarkCapacity; ++i)
        words.push_back((i % 2 ? "manual:" : "auto:") + std::to_string(30 * i));
    std::string error;
    if (!vsim::WriteBookmarkFile(vsim::BookmarkPathFor(PopupRecording()), words, &error)) {
        std::fprintf(stderr, "bookmark file: %s\n", error.c_str());
        return false;
    }
    return true;
}

// The same over a file whose one bookmark claims 20,000,000 bytes of picture
// and holds a few KiB: what the show costs must not follow the claim.
bool WriteHostileFile() { return vsim::WriteClaimingBookmarkFile(vsim::BookmarkPathFor(PopupRecording()), 20000000); }

bool MeasurePopupShow(tvsim::Viewer& v, const char* name, bool (*writeFile)()) {
    if (!writeFile()) return false;
    Start(v, PopupWorld);
    Ecore_Evas* ee = ecore_evas_ecore_evas_get(evas_object_evas_get(v.Window()));
    ecore_evas_manual_render(ee);
    for (int round = 0; round < 2; ++round) {
        if (round == 1) {
            CALLGRIND_TOGGLE_COLLECT;
        }
        v.Message({{"cmd", "show"}});
        v.Settle();
        ecore_evas_manual_render(ee);
        if (round == 1) {
            CALLGRIND_TOGGLE_COLLECT;
            CALLGRIND_DUMP_STATS_AT(name);
        }
        if (!v.PopupShown()) {
            std::fprintf(stderr, "%s: the pop-up was not shown\n", name);
            return false;
        }
        v.Message({{"cmd", "hide"}});
        Settled(v);
        ecore_evas_manual_render(ee);
    }
    v.Destroy();
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    tvsim::UseHeadlessToolkit();
    elm_init(argc, argv);
    mkdir(kWorkDir, 0755);
    tvsim::Viewer v;
    std::string error;
    if (!v.OpenWindow() || !v.Load(VANTRO_GADGET_PATH, &error)) {
        std::fprintf(stderr, "cannot load the gadget: %s\n", error.c_str());
        return 1;
    }
    // Green's bookmark goes to a file too short to be one, which the
    // simulated service leaves alone: every green press is the same.
    const std::string shortBmk = std::string(kWorkDir) + "/short_01.bmk";
    if (FILE* f = std::fopen(shortBmk.c_str(), "w")) {
        std::fputc('x', f);
        std::fclose(f);
    }
    vbench::NoWriteUri() = std::string(kWorkDir) + "/short_01.srf";
    bool ok = true;
    for (const vbench::KeyPath& path : vbench::Paths()) ok = MeasureKey(v, path) && ok;
    ok = MeasurePopupShow(v, "popup_show", WriteFullFile) && ok;
    ok = MeasurePopupShow(v, "popup_show_hostile", WriteHostileFile) && ok;
    std::printf("%s\n", ok ? "all paths as expected" : "some path went astray");
    return ok ? 0 : 1;
}
