// The real library in the headless viewer (tools/tv-viewer-sim's Viewer):
//
// - PopupLatency: from the viewer's "show" message to the first rendered
//   frame that contains the pop-up (the frame differs from the one rendered
//   without it in at least kPopupPixels pixels and the gadget reports the
//   pop-up shown). p50_us/p99_us per repetition; frames = renders needed.
// - LoadCycle: dlopen + UG_MODULE_INIT + create + destroy + UG_MODULE_EXIT,
//   each sample in a fresh process (this program run with --load-once), since
//   a loaded gadget is never unloaded; create_rss_kib is the resident memory
//   that create added in that process.
// - Soak: in a fresh process, resident memory after 10,000 keys and 1,000
//   pop-up show/hide cycles against the same after the warm-up cycles
//   (growth_kib, read with the toolkit's caches flushed and freed heap
//   returned; raw_growth_kib without either). Eina's deferred free queue
//   keeps the memory of deleted toolkit objects for later and so looks like
//   growth: freeq_off:1 runs the process with it disabled
//   (EINA_FREEQ_TOTAL_MAX=0), which shows what is really held;
//   freeq_off:0 shows the process as it runs by default (freeq_off:1 also
//   turns off glibc's per-thread cache, whose free chunks count as in use).
//   heap_growth_kib is the growth of the heap in use (live allocations),
//   free of page effects.
// - SoakControl: the same pop-up widget tree made and deleted 1,000 times by
//   plain toolkit calls without the gadget, for what the toolkit itself keeps.
#include <Ecore_Evas.h>
#include <Elementary.h>
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "HeadlessToolkit.h"
#include "KeyPaths.h"
#include "ProcessMemory.h"
#include "RealClock.h"
#include "Repeated.h"
#include "ScratchDir.h"
#include "Viewer.h"
#include "VirtualClock.h"
#include "bookmark_writer.h"
#include "sim_world.h"

extern char** environ;

namespace {

// A pop-up of any sensible size changes far more pixels than this.
const long kPopupPixels = 10000;

long ResidentKiB() {
    long pages = 0, resident = 0;
    FILE* f = std::fopen("/proc/self/statm", "r");
    if (!f) return -1;
    int got = std::fscanf(f, "%ld %ld", &pages, &resident);
    std::fclose(f);
    return got == 2 ? resident * (sysconf(_SC_PAGESIZE) / 1024) : -1;
}

std::string& RecordingUri() {
    static std::string uri;
    return uri;
}

// A recording whose bookmark file is full (150 bookmarks): the simulated
// service then adds nothing when green sets a bookmark, so every pop-up
// shows the same latest one.
bool WriteRecording() {
    const std::string dir = vbench::MakeScratchDir("vantro-bench-popup");
    if (dir.empty()) return false;
    RecordingUri() = dir + "/rec_01.srf";
    std::vector<std::string> words;
    for (int i = 0; i < vsim::kBookmarkCapacity; ++i)
        words.push_back((i % 2 ? "manual:" : "auto:") + std::to_string(30 * i));
    std::string error;
    if (!vsim::WriteBookmarkFile(vsim::BookmarkPathFor(RecordingUri()), words, &error)) {
        std::fprintf(stderr, "bookmark file: %s\n", error.c_str());
        return false;
    }
    return true;
}

// Beside it a bookmark file whose latest image claims 2,000,000,000 bytes
// while the file holds a real picture of a few KiB: the pop-up must not pay
// for the claim, in time or in memory.
std::string& HostileUri() {
    static std::string uri;
    return uri;
}

bool WriteHostileRecording() {
    HostileUri() = RecordingUri().substr(0, RecordingUri().rfind('/')) + "/hostile.srf";
    return vsim::WriteClaimingBookmarkFile(vsim::BookmarkPathFor(HostileUri()), 2000000000);
}

void RemoveRecording() {
    unlink(vsim::BookmarkPathFor(HostileUri()).c_str());
    std::string bmk = vsim::BookmarkPathFor(RecordingUri());
    unlink(bmk.c_str());
    std::string dir = RecordingUri().substr(0, RecordingUri().rfind('/'));
    rmdir(dir.c_str());
}

tvsim::Viewer& TheViewer() {
    static tvsim::Viewer* viewer = [] {
        auto* v = new tvsim::Viewer;
        std::string error;
        if (!v->OpenWindow() || !v->Load(VANTRO_GADGET_PATH, &error)) {
            std::fprintf(stderr, "cannot load the gadget: %s\n", error.c_str());
            std::exit(1);
        }
        return v;
    }();
    return *viewer;
}

Ecore_Evas* Canvas(tvsim::Viewer& v) { return ecore_evas_ecore_evas_get(evas_object_evas_get(v.Window())); }

std::vector<unsigned char> Frame(Ecore_Evas* ee) {
    int w = 0, h = 0;
    ecore_evas_geometry_get(ee, nullptr, nullptr, &w, &h);
    const auto* pixels = static_cast<const unsigned char*>(ecore_evas_buffer_pixels_get(ee));
    if (!pixels || w <= 0 || h <= 0) return {};
    return std::vector<unsigned char>(pixels, pixels + static_cast<std::size_t>(w) * h * 4);
}

long DifferingPixels(Ecore_Evas* ee, const std::vector<unsigned char>& reference) {
    int w = 0, h = 0;
    ecore_evas_geometry_get(ee, nullptr, nullptr, &w, &h);
    const auto* pixels = static_cast<const uint32_t*>(ecore_evas_buffer_pixels_get(ee));
    std::size_t n = static_cast<std::size_t>(w) * h;
    if (!pixels || reference.size() != n * 4) return 0;
    const auto* ref = reinterpret_cast<const uint32_t*>(reference.data());
    long differing = 0;
    for (std::size_t i = 0; i < n; ++i)
        if (pixels[i] != ref[i]) ++differing;
    return differing;
}

// The created gadget in a sports-mode world recording into RecordingUri().
void StartGadget(tvsim::Viewer& v, const std::string& uri = RecordingUri()) {
    vsim::ResetWorld();
    vbench::SportsRecordingWorld(uri);
    v.SetAnswers(true);
    v.Create();
    v.Start();
    v.Settle();
}

void HidePopup(tvsim::Viewer& v, Ecore_Evas* ee) {
    v.Message({{"cmd", "hide"}});
    v.Settle();
    ecore_evas_manual_render(ee);
}

int64_t ThreadCpuNs() {
    struct timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

void BM_PopupLatency(benchmark::State& state, const std::string* uri) {
    tvsim::Viewer& v = TheViewer();
    StartGadget(v, *uri);
    Ecore_Evas* ee = Canvas(v);
    ecore_evas_manual_render(ee);
    const std::vector<unsigned char> without = Frame(ee);
    if (without.empty()) {
        state.SkipWithError("no frame: the headless (buffer) engine is needed");
        v.Destroy();
        return;
    }
    std::vector<double> real, cpu;
    double frames = 0;
    vbench::ResetPeakResident();
    const long residentBefore = vbench::StatusKiB("VmHWM");
    for (auto _ : state) {
        int64_t spent = 0, spentCpu = 0;
        int rendered = 0;
        bool seen = false;
        int64_t c0 = ThreadCpuNs();
        int64_t t0 = vbench::RealNowNs();
        v.Message({{"cmd", "show"}});
        while (rendered < 10 && !seen) {
            ecore_evas_manual_render(ee);
            ++rendered;
            spent += vbench::RealNowNs() - t0;
            spentCpu += ThreadCpuNs() - c0;
            // Looking at the frame is ours, not the gadget's: not counted.
            seen = v.PopupShown() && DifferingPixels(ee, without) >= kPopupPixels;
            c0 = ThreadCpuNs();
            t0 = vbench::RealNowNs();
            if (!seen) vclock::RunPending();
        }
        if (!seen) {
            state.SkipWithError("the pop-up never reached a frame");
            break;
        }
        state.SetIterationTime(static_cast<double>(spent) * 1e-9);
        real.push_back(static_cast<double>(spent) / 1000.0);
        cpu.push_back(static_cast<double>(spentCpu) / 1000.0);
        frames = rendered;
        HidePopup(v, ee);
        vsim::ClearJournal();
    }
    v.Destroy();
    vsim::ClearJournal();
    state.counters["p50_us"] = vbench::Quantile(real, 0.50);
    state.counters["p99_us"] = vbench::Quantile(real, 0.99);
    // The same on the thread's own CPU clock: what other processes on the machine cannot inflate.
    state.counters["cpu_p50_us"] = vbench::Quantile(cpu, 0.50);
    state.counters["cpu_p99_us"] = vbench::Quantile(cpu, 0.99);
    state.counters["frames"] = frames;
    state.counters["peak_rss_above_start_kib"] = static_cast<double>(vbench::StatusKiB("VmHWM") - residentBefore);
}

// One load cycle in this process; prints "NS RSS_BEFORE_CREATE_KIB RSS_AFTER_CREATE_KIB".
int LoadOnce() {
    tvsim::Viewer v;
    if (!v.OpenWindow()) return 1;
    vsim::ResetWorld();
    int64_t t0 = vbench::RealNowNs();
    std::string error;
    if (!v.Load(VANTRO_GADGET_PATH, &error)) {
        std::fprintf(stderr, "cannot load the gadget: %s\n", error.c_str());
        return 1;
    }
    int64_t t1 = vbench::RealNowNs();
    long before = ResidentKiB();
    int64_t t2 = vbench::RealNowNs();
    bool created = v.Create();
    int64_t t3 = vbench::RealNowNs();
    long after = ResidentKiB();
    int64_t t4 = vbench::RealNowNs();
    v.Destroy();
    v.Exit();
    int64_t t5 = vbench::RealNowNs();
    if (!created) return 1;
    // The two RSS readings are not part of the cycle.
    std::printf("%lld %ld %ld\n", static_cast<long long>((t1 - t0) + (t3 - t2) + (t5 - t4)), before, after);
    std::fflush(stdout);
    return 0;
}

// Runs this program again with the given arguments; its standard output in *out.
bool SpawnSelf(const std::vector<std::string>& args, std::string* out, const std::vector<std::string>& extraEnv = {}) {
    int fds[2];
    if (pipe(fds) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    std::string self = "/proc/self/exe";
    std::vector<char*> argv{&self[0]};
    std::vector<std::string> copies(args);
    for (std::string& a : copies) argv.push_back(&a[0]);
    argv.push_back(nullptr);
    std::vector<char*> env;
    for (char** e = environ; *e; ++e) env.push_back(*e);
    std::vector<std::string> extra(extraEnv);
    for (std::string& e : extra) env.push_back(&e[0]);
    env.push_back(nullptr);
    pid_t pid = 0;
    int rc = posix_spawn(&pid, self.c_str(), &actions, nullptr, argv.data(), env.data());
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (rc != 0) {
        close(fds[0]);
        return false;
    }
    char buf[256];
    ssize_t got;
    while ((got = read(fds[0], buf, sizeof buf)) > 0) out->append(buf, static_cast<std::size_t>(got));
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool SpawnLoadOnce(long long* ns, long* createKiB) {
    std::string out;
    long before = 0, after = 0;
    if (!SpawnSelf({"--load-once"}, &out)) return false;
    if (std::sscanf(out.c_str(), "%lld %ld %ld", ns, &before, &after) != 3) return false;
    *createKiB = after - before;
    return true;
}

void BM_LoadCycle(benchmark::State& state) {
    std::vector<double> samples, rss;
    for (auto _ : state) {
        long long ns = 0;
        long kib = 0;
        if (!SpawnLoadOnce(&ns, &kib)) {
            state.SkipWithError("the load cycle failed");
            break;
        }
        state.SetIterationTime(static_cast<double>(ns) * 1e-9);
        samples.push_back(static_cast<double>(ns) / 1e6);
        rss.push_back(static_cast<double>(kib));
    }
    state.counters["p50_ms"] = vbench::Quantile(samples, 0.50);
    state.counters["max_ms"] = vbench::Quantile(samples, 1.0);
    state.counters["create_rss_kib"] = vbench::Quantile(rss, 0.50);
}

// One key down and up, then virtual time for its debounce and timers.
void Key(tvsim::Viewer& v, const char* name) {
    v.KeyDown(name);
    v.KeyUp(name);
    v.Settle();
    vclock::AdvanceAndRun(1000 * 1000, 1000 * 1000);
    vsim::ClearJournal();
}

void PopupCycle(tvsim::Viewer& v, Ecore_Evas* ee) {
    v.Message({{"cmd", "show"}});
    v.Settle();
    ecore_evas_manual_render(ee);
    HidePopup(v, ee);
    vsim::ClearJournal();
}

// Resident memory with caches flushed and freed heap returned: what is held.
long HeldKiB() {
    elm_cache_all_flush();
    malloc_trim(0);
    return ResidentKiB();
}

// Bytes of heap in use: live allocations only, whatever the pages around them do.
long HeapKiB() { return static_cast<long>(mallinfo2().uordblks / 1024); }

// The first pop-ups fill the toolkit's pools and caches (list-node chunks,
// the font list, the image scale cache, objects whose deletion waits for the
// next frame); what a cycle keeps is counted after them, in the soak and in
// the control alike.
const int kWarmUpCycles = 10;

// Heap figures without the allocator's per-thread cache, whose freed chunks
// still count as in use, and without Eina's deferred free queue.
const std::vector<std::string> kExactHeap = {"EINA_FREEQ_TOTAL_MAX=0", "GLIBC_TUNABLES=glibc.malloc.tcache_count=0"};

// The soak in this process; prints "FIRST AFTER_KEYS LAST RAW_FIRST RAW_LAST
// HEAP_FIRST HEAP_LAST" in KiB.
int SoakOnce(int keys, int cycles) {
    if (!WriteRecording()) return 1;
    tvsim::Viewer& v = TheViewer();
    StartGadget(v);
    // Green's show request stays unanswered: pop-ups come only from the cycles.
    v.SetAnswers(false);
    Ecore_Evas* ee = Canvas(v);
    const auto& paths = vbench::Paths();
    for (const vbench::KeyPath& path : paths) Key(v, path.key);
    for (int i = 0; i < kWarmUpCycles; ++i) PopupCycle(v, ee);
    long rawFirst = ResidentKiB();
    long first = HeldKiB();
    long heapFirst = HeapKiB();
    for (int i = 0; i < keys; ++i) Key(v, paths[static_cast<std::size_t>(i) % paths.size()].key);
    long afterKeys = HeldKiB();
    for (int i = 0; i < cycles; ++i) PopupCycle(v, ee);
    long rawLast = ResidentKiB();
    long last = HeldKiB();
    long heapLast = HeapKiB();
    v.Destroy();
    RemoveRecording();
    std::printf("%ld %ld %ld %ld %ld %ld %ld\n", first, afterKeys, last, rawFirst, rawLast, heapFirst, heapLast);
    std::fflush(stdout);
    return 0;
}

// The control: a widget tree like the pop-up's (layout from the same theme
// file, a box of three labels, a progress bar, a focused button with its
// icon, the thumbnail decoded from memory, a one-second timer), created and
// deleted by plain toolkit calls on the same window, without the gadget.
// Prints "FIRST LAST HEAP_FIRST HEAP_LAST" in KiB after the warm-up and
// after CYCLES more.
int ControlOnce(int cycles) {
    tvsim::Viewer v;
    if (!v.OpenWindow()) return 1;
    Evas_Object* base = elm_layout_add(v.Window());
    evas_object_resize(base, 1920, 1080);
    evas_object_show(base);
    Ecore_Evas* ee = Canvas(v);
    const std::string edj = std::string(VANTRO_RES_DIR) + "/edje/bookmark_thumbnailwnd.edj";
    const std::string buttonIcon = std::string(VANTRO_RES_DIR) + "/1920X1080/i_ok_done_allow.png";
    const std::vector<unsigned char> thumbnail = vsim::DefaultThumbnail(false, 1);
    long first = 0, heapFirst = 0;
    for (int i = 0; i < kWarmUpCycles + cycles; ++i) {
        Evas_Object* layout = elm_layout_add(base);
        elm_layout_file_set(layout, edj.c_str(), "bookmark_thumbnailwnd");
        evas_object_resize(layout, 1920, 1080);
        Evas_Object* box = elm_box_add(layout);
        evas_object_show(box);
        elm_object_part_content_set(layout, "highlight_thumbnail_icon", box);
        for (int k = 0; k < 3; ++k) {
            Evas_Object* label = elm_label_add(layout);
            elm_object_text_set(label, "00:00:00");
            evas_object_show(label);
            elm_box_pack_end(box, label);
        }
        Evas_Object* bar = elm_progressbar_add(layout);
        elm_object_style_set(bar, "c_progress_bar");
        elm_object_part_content_set(layout, "slider", bar);
        evas_object_show(bar);
        Evas_Object* button = elm_button_add(layout);
        elm_object_style_set(button, "c_button_icontext");
        elm_object_part_content_set(layout, "thumbnail_swallow_btn", button);
        elm_object_focus_allow_set(button, EINA_TRUE);
        elm_object_focus_set(button, EINA_TRUE);
        Evas_Object* icon = elm_icon_add(button);
        elm_image_file_set(icon, buttonIcon.c_str(), nullptr);
        elm_object_part_content_set(button, "icon", icon);
        evas_object_show(button);
        // The thumbnail from memory, as the pop-up decodes it.
        Evas_Object* image = elm_image_add(layout);
        elm_image_memfile_set(image, thumbnail.data(), thumbnail.size(), "png", nullptr);
        elm_object_part_content_set(layout, "thumbnail_swallow_image", image);
        evas_object_show(image);
        Ecore_Timer* timer = ecore_timer_add(
            1.0, [](void*) { return ECORE_CALLBACK_RENEW; }, nullptr);
        evas_object_show(layout);
        ecore_evas_manual_render(ee);
        ecore_timer_del(timer);
        evas_object_del(layout);
        vclock::RunPending();
        ecore_evas_manual_render(ee);
        if (i == kWarmUpCycles - 1) {
            first = HeldKiB();
            heapFirst = HeapKiB();
        }
    }
    long last = HeldKiB();
    long heapLast = HeapKiB();
    std::printf("%ld %ld %ld %ld\n", first, last, heapFirst, heapLast);
    std::fflush(stdout);
    return 0;
}

void BM_SoakControl(benchmark::State& state) {
    const std::string cycles = std::to_string(state.range(0));
    long first = 0, last = 0, heapFirst = 0, heapLast = 0;
    for (auto _ : state) {
        int64_t t0 = vbench::RealNowNs();
        std::string out;
        if (!SpawnSelf({"--control", cycles}, &out, kExactHeap) ||
            std::sscanf(out.c_str(), "%ld %ld %ld %ld", &first, &last, &heapFirst, &heapLast) != 4) {
            state.SkipWithError("the control failed");
            break;
        }
        state.SetIterationTime(static_cast<double>(vbench::RealNowNs() - t0) * 1e-9);
    }
    state.counters["growth_kib"] = static_cast<double>(last - first);
    state.counters["heap_growth_kib"] = static_cast<double>(heapLast - heapFirst);
}

void BM_Soak(benchmark::State& state) {
    const std::string keys = std::to_string(state.range(0)), cycles = std::to_string(state.range(1));
    long first = 0, afterKeys = 0, last = 0, rawFirst = 0, rawLast = 0, heapFirst = 0, heapLast = 0;
    for (auto _ : state) {
        int64_t t0 = vbench::RealNowNs();
        std::string out;
        if (!SpawnSelf({"--soak", keys, cycles}, &out, state.range(2) ? kExactHeap : std::vector<std::string>{}) ||
            std::sscanf(out.c_str(), "%ld %ld %ld %ld %ld %ld %ld", &first, &afterKeys, &last, &rawFirst, &rawLast,
                        &heapFirst, &heapLast) != 7) {
            state.SkipWithError("the soak failed");
            break;
        }
        state.SetIterationTime(static_cast<double>(vbench::RealNowNs() - t0) * 1e-9);
    }
    state.counters["first_cycle_kib"] = static_cast<double>(first);
    state.counters["keys_growth_kib"] = static_cast<double>(afterKeys - first);
    state.counters["growth_kib"] = static_cast<double>(last - first);
    state.counters["raw_growth_kib"] = static_cast<double>(rawLast - rawFirst);
    state.counters["heap_growth_kib"] = static_cast<double>(heapLast - heapFirst);
}

}  // namespace

int main(int argc, char** argv) {
    tvsim::UseHeadlessToolkit();
    bool loadOnce = argc > 1 && std::strcmp(argv[1], "--load-once") == 0;
    bool soak = argc > 3 && std::strcmp(argv[1], "--soak") == 0;
    elm_init(argc, argv);
    if (loadOnce) std::_Exit(LoadOnce());
    if (soak) std::_Exit(SoakOnce(std::atoi(argv[2]), std::atoi(argv[3])));
    if (argc > 2 && std::strcmp(argv[1], "--control") == 0) std::_Exit(ControlOnce(std::atoi(argv[2])));
    if (!WriteRecording() || !WriteHostileRecording()) return 1;

    vbench::RepeatedManual("PopupLatency", benchmark::kMicrosecond, BM_PopupLatency, &RecordingUri());
    vbench::RepeatedManual("PopupLatencyHostileClaim", benchmark::kMicrosecond, BM_PopupLatency, &HostileUri());
    benchmark::RegisterBenchmark("LoadCycle", BM_LoadCycle)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(10)
        ->Repetitions(3)
        ->ReportAggregatesOnly(true);
    benchmark::RegisterBenchmark("Soak", BM_Soak)
        ->Args({10000, 1000, 1})
        ->Args({10000, 1000, 0})
        ->ArgNames({"keys", "cycles", "freeq_off"})
        ->Iterations(1)
        ->UseManualTime()
        ->Unit(benchmark::kSecond);

    benchmark::RegisterBenchmark("SoakControl", BM_SoakControl)
        ->Arg(1000)
        ->ArgName("cycles")
        ->Iterations(1)
        ->UseManualTime()
        ->Unit(benchmark::kSecond);

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        RemoveRecording();
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    RemoveRecording();
    return 0;
}
