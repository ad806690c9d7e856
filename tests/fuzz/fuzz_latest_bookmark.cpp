// Arbitrary bytes as a recording's bookmark file: the reader must never read
// or write outside its buffers, and hands back a record that is freed here.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>

#include "SportsUtil.h"
#include "bookmark_writer.h"
#include "sim_world.h"

// Allocations are capped as a TV's memory is: an allocation the size of a
// header's claim (up to 2 GB) fails as on a device instead of costing gigabytes.
extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1:max_allocation_size_mb=64"; }

namespace {

std::string& Directory() {
    static std::string dir = [] {
        std::string templ = vsim::ScratchDir() + "/fuzz-bmk-XXXXXX";
        char* made = mkdtemp(&templ[0]);
        if (!made) abort();
        return std::string(made);
    }();
    return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string uri = Directory() + "/rec.srf";
    const std::string bmk = Directory() + "/rec.bmk";
    FILE* f = fopen(bmk.c_str(), "wb");
    if (!f) abort();
    if (size && fwrite(data, 1, size, f) != size) abort();
    fclose(f);

    stBookmarkThumbnail* record = new stBookmarkThumbnail();
    record->pImageBuffer = nullptr;
    if (CSportsUtil::GetLatestBookmark(uri, record)) {
        const int got = record->iImageBytesRead;
        if (!record->pImageBuffer || record->iImageSize < 1 || got < 0 || got > record->iImageSize) abort();
        // Every byte read is there, and the terminator after them.
        volatile char sink = got ? record->pImageBuffer[0] ^ record->pImageBuffer[got - 1] : 0;
        (void)sink;
        if (record->pImageBuffer[got] != 0) abort();
        free(record->pImageBuffer);
        record->pImageBuffer = nullptr;
    } else if (record->pImageBuffer) {
        abort();  // a failed call must leave the record alone
    }
    delete record;
    unlink(bmk.c_str());
    vsim::ClearJournal();  // the simulated log keeps every line otherwise
    return 0;
}
