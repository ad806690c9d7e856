// Counting and failing the gadget's fallible calls.
#include "fallible.h"

#include <dlfcn.h>
#include <link.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <utility>

#include "sim_world.h"

// The memory checker's hooks, when one runs in the process.
// NOLINTNEXTLINE(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp): the runtime's name
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*)(const volatile void*, std::size_t),
                                                         void (*)(const volatile void*)) __attribute__((weak));

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

// Where the gadget's library lies now; empty when it is not loaded.
Range LoadedGadget() {
    Range range;
    dl_iterate_phdr(FindGadget, &range);
    return range;
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
    g_gadget = LoadedGadget();
    return address >= g_gadget.begin && address < g_gadget.end;
}

// The blocks the gadget holds: an open-addressed table that needs no
// allocation, since it is written from inside the allocator's hooks. The
// gadget holds a few dozen blocks at most.
struct HeldBlock {
    std::uintptr_t address = 0;  // 0: a free slot
    std::uintptr_t offset = 0;   // of the call that made it, in the gadget
    const char* name = nullptr;  // of that call (a literal)
};
const std::size_t kHeldSlots = 4096;  // a power of two
HeldBlock g_held[kHeldSlots];
std::size_t g_heldCount = 0;
bool g_heldOverflow = false;
std::atomic<bool> g_holding{false};
std::atomic_flag g_heldLock = ATOMIC_FLAG_INIT;  // frees come from any thread

struct HeldGuard {
    HeldGuard() {
        while (g_heldLock.test_and_set(std::memory_order_acquire)) {}
    }
    ~HeldGuard() { g_heldLock.clear(std::memory_order_release); }
    HeldGuard(const HeldGuard&) = delete;
    HeldGuard& operator=(const HeldGuard&) = delete;
};

std::size_t HomeSlot(std::uintptr_t address) {
    // Blocks are 8- or 16-aligned: the low bits say nothing.
    return static_cast<std::size_t>((address >> 4U) * 2654435761U) & (kHeldSlots - 1);
}

void Note(std::uintptr_t address, std::uintptr_t offset, const char* name) {
    HeldGuard guard;
    std::size_t i = HomeSlot(address);
    while (g_held[i].address != 0 && g_held[i].address != address) i = (i + 1) & (kHeldSlots - 1);
    if (g_held[i].address == 0) {
        // A table at most three-quarters full keeps probes short.
        if (g_heldCount >= kHeldSlots / 4 * 3) {
            g_heldOverflow = true;
            return;
        }
        ++g_heldCount;
    }
    g_held[i] = {address, offset, name};
}

// Crosses a freed block out; later blocks of its probe run move up into the
// gap, so that every block stays reachable from its home slot.
void CrossOut(std::uintptr_t address) {
    HeldGuard guard;
    std::size_t i = HomeSlot(address);
    while (g_held[i].address != address) {
        if (g_held[i].address == 0) return;
        i = (i + 1) & (kHeldSlots - 1);
    }
    for (std::size_t j = (i + 1) & (kHeldSlots - 1); g_held[j].address != 0; j = (j + 1) & (kHeldSlots - 1)) {
        std::size_t home = HomeSlot(g_held[j].address);
        bool stays = i <= j ? (i < home && home <= j) : (i < home || home <= j);
        if (stays) continue;
        g_held[i] = g_held[j];
        i = j;
    }
    g_held[i] = HeldBlock();
    --g_heldCount;
}

void OnAllocate(const volatile void*, std::size_t) {}

void OnFree(const volatile void* p) {
    if (g_holding.load(std::memory_order_relaxed)) CrossOut(reinterpret_cast<std::uintptr_t>(p));
}

// The hooks stay for the process's life once set; off, they cost a load.
bool InstallHooks() {
    static const bool installed =
        __sanitizer_install_malloc_and_free_hooks && __sanitizer_install_malloc_and_free_hooks(OnAllocate, OnFree);
    return installed;
}

void StartHolding() {
    if (!InstallHooks()) return;
    HeldGuard guard;
    std::fill(std::begin(g_held), std::end(g_held), HeldBlock());
    g_heldCount = 0;
    g_heldOverflow = false;
    g_holding.store(true);
}

}  // namespace

bool StartCounting(long failAt) {
    Range range = LoadedGadget();
    if (range.begin == range.end) return false;
    g_gadget = range;
    State& s = TheState();
    s.failAt = failAt;
    s.failed = false;
    s.calls.clear();
    StartHolding();
    g_counting.store(true);
    return true;
}

void StopCounting() { g_counting.store(false); }

const std::vector<FallibleCall>& CountedCalls() { return TheState().calls; }

bool InjectedFailure() { return TheState().failed; }

void HoldCounting(bool hold) {
    TheState().held = hold;
    // Opened afresh, the library may lie over part of where it was: its
    // range is read again, or calls from there would get wrong offsets.
    if (!hold) g_gadget = LoadedGadget();
}

bool HoldingTracked() { return g_holding.load(); }

void Held(const void* p, const char* name, const void* caller) {
    if (!p || !g_holding.load(std::memory_order_relaxed) || TheState().held) return;
    auto address = reinterpret_cast<std::uintptr_t>(caller);
    if (InGadget(address)) Note(reinterpret_cast<std::uintptr_t>(p), address - g_gadget.begin, name);
}

std::vector<FallibleCall> EndHolding(bool* overflow) {
    g_holding.store(false);
    std::vector<FallibleCall> left;
    HeldGuard guard;
    *overflow = g_heldOverflow;
    for (const HeldBlock& block : g_held)
        if (block.address != 0) left.push_back({block.name, block.offset});
    std::sort(left.begin(), left.end(),
              [](const FallibleCall& a, const FallibleCall& b) { return a.offset < b.offset; });
    return left;
}

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
