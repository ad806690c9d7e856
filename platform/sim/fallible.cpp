// Counting and failing the gadget's fallible calls.
#include "fallible.h"

#include <dlfcn.h>
#include <link.h>

#include <atomic>
#include <cstring>
#include <utility>

#include "sim_world.h"

namespace vsim {
namespace {

// The loaded gadget library's address range.
struct Range {
    std::uintptr_t begin = 0;
    std::uintptr_t end = 0;
};

// The gadget itself, not the simulated platform beside it.
bool IsGadget(const char* path) {
    const char* name = path ? std::strrchr(path, '/') : nullptr;
    name = name ? name + 1 : path;
    return name && std::strncmp(name, "libvantro.so", 12) == 0;
}

int FindGadget(dl_phdr_info* info, std::size_t, void* data) {
    if (!IsGadget(info->dlpi_name)) return 0;
    auto* range = static_cast<Range*>(data);
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr)& segment = info->dlpi_phdr[i];
        if (segment.p_type != PT_LOAD) continue;
        std::uintptr_t begin = info->dlpi_addr + segment.p_vaddr;
        std::uintptr_t end = begin + segment.p_memsz;
        if (range->begin == 0 || begin < range->begin) range->begin = begin;
        if (end > range->end) range->end = end;
    }
    return 1;
}

// Read by every allocation in the process, from any thread; written only by
// the viewer's thread between runs.
std::atomic<bool> g_counting{false};
Range g_gadget;

struct State {
    long failAt = -1;
    bool failed = false;
    bool held = false;
    std::vector<FallibleCall> calls;
};

State& TheState() {
    static auto* state = new State;
    return *state;
}

// Whether the address lies in the gadget. An outline row loads the library
// afresh, maybe at another address: a miss from the gadget moves the range.
bool InGadget(std::uintptr_t address) {
    if (address >= g_gadget.begin && address < g_gadget.end) return true;
    Dl_info info;
    if (!dladdr(reinterpret_cast<void*>(address), &info) || !IsGadget(info.dli_fname)) return false;
    Range range;
    dl_iterate_phdr(FindGadget, &range);
    g_gadget = range;
    return address >= g_gadget.begin && address < g_gadget.end;
}

}  // namespace

bool StartCounting(long failAt) {
    Range range;
    dl_iterate_phdr(FindGadget, &range);
    if (range.begin == range.end) return false;
    g_gadget = range;
    State& s = TheState();
    s.failAt = failAt;
    s.failed = false;
    s.calls.clear();
    g_counting.store(true);
    return true;
}

void StopCounting() { g_counting.store(false); }

const std::vector<FallibleCall>& CountedCalls() { return TheState().calls; }

bool InjectedFailure() { return TheState().failed; }

void HoldCounting(bool hold) { TheState().held = hold; }

bool FailNow(const char* name, const void* caller) {
    if (!g_counting.load(std::memory_order_relaxed)) return false;
    auto address = reinterpret_cast<std::uintptr_t>(caller);
    State& s = TheState();
    if (s.held || !InGadget(address)) return false;
    // Counting allocates: no allocation made meanwhile may be counted.
    g_counting.store(false);
    long number = static_cast<long>(s.calls.size());
    s.calls.push_back({name ? name : "", address - g_gadget.begin});
    bool fail = number == s.failAt;
    if (fail) {
        s.failed = true;
        Entry note;
        note.kind = "note";
        note.name = "fail";
        note.text = std::string("injected: ") + s.calls.back().name + " fails (call " + std::to_string(number) + ")";
        Record(std::move(note));
    }
    g_counting.store(true);
    return fail;
}

}  // namespace vsim

extern "C" __attribute__((visibility("default"))) int vsim_fail_now(const char* name, const void* caller) {
    return vsim::FailNow(name, caller) ? 1 : 0;
}
