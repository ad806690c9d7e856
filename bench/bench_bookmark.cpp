// The latest-bookmark read must not grow with the number of bookmarks: only
// the header and the latest image are read. Files of 1, 10 and 150 bookmarks
// with 100 KiB thumbnails each; beside the reader, a whole-file read of the
// same files. This program's own read() counts the bytes the reader asks the
// kernel for (bytes_read per call, against expected_bytes = header + latest
// image). Compare/* times both readers alternately in one run and reports the
// ratios (ratio_150_over_1, whole_over_latest).
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "BookmarkThumbnail.h"
#include "RealClock.h"
#include "Repeated.h"
#include "ScratchDir.h"
#include "SportsUtil.h"
#include "bookmark_writer.h"
#include "sim_world.h"

namespace {

bool g_counting = false;
long long g_bytes = 0;
long long g_reads = 0;

void Count(ssize_t got) {
    if (!g_counting) return;
    ++g_reads;
    if (got > 0) g_bytes += got;
}

}  // namespace

// Every read of this process passes here; the reader's are counted.
extern "C" ssize_t read(int fd, void* buf, size_t count) {
    using Fn = ssize_t (*)(int, void*, size_t);
    static Fn real = reinterpret_cast<Fn>(dlsym(RTLD_NEXT, "read"));
    ssize_t got = real(fd, buf, count);
    Count(got);
    return got;
}
extern "C" ssize_t pread(int fd, void* buf, size_t count, off_t offset) {
    using Fn = ssize_t (*)(int, void*, size_t, off_t);
    static Fn real = reinterpret_cast<Fn>(dlsym(RTLD_NEXT, "pread"));
    ssize_t got = real(fd, buf, count, offset);
    Count(got);
    return got;
}

namespace {

const int kImageBytes = 100 * 1024;
const int kCounts[] = {1, 10, 150};

std::string& Dir() {
    static std::string dir;
    return dir;
}

std::string UriFor(int bookmarks) { return Dir() + "/rec_" + std::to_string(bookmarks) + ".srf"; }

bool WriteFiles() {
    Dir() = vbench::MakeScratchDir("vantro-bench-bmk");
    if (Dir().empty()) return false;
    for (int n : kCounts) {
        std::vector<vsim::BookmarkEntry> entries(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i) {
            entries[i].isAuto = (i % 2) == 0;
            entries[i].time = 60 * i;
            entries[i].image.assign(kImageBytes, static_cast<unsigned char>(i));
        }
        if (!vsim::WriteBmk(vsim::BookmarkPathFor(UriFor(n)), entries)) return false;
    }
    return true;
}

void RemoveFiles() {
    for (int n : kCounts) unlink(vsim::BookmarkPathFor(UriFor(n)).c_str());
    rmdir(Dir().c_str());
}

// The reader as the manager uses it; false when it found nothing.
bool ReadLatest(const std::string& uri) {
    // The reader's log lines pile up in the simulated log; empty it now and then.
    if (vsim::JournalSize() > 4096) vsim::ClearJournal();
    stBookmarkThumbnail* record = new stBookmarkThumbnail;
    bool ok = CSportsUtil::GetLatestBookmark(uri, record);
    if (ok) free(record->pImageBuffer);
    delete record;
    return ok;
}

// The naive alternative: read the whole file into memory.
bool ReadWhole(const std::string& path, std::vector<char>& buffer) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st;
    if (fstat(fd, &st) != 0) {
        close(fd);
        return false;
    }
    buffer.resize(static_cast<std::size_t>(st.st_size));
    std::size_t done = 0;
    while (done < buffer.size()) {
        ssize_t got = read(fd, buffer.data() + done, buffer.size() - done);
        if (got <= 0) break;
        done += static_cast<std::size_t>(got);
    }
    close(fd);
    return done == buffer.size();
}

void BM_LatestBookmark(benchmark::State& state) {
    const std::string uri = UriFor(static_cast<int>(state.range(0)));
    long long bytes = 0, reads = 0;
    for (auto _ : state) {
        g_bytes = g_reads = 0;
        g_counting = true;
        bool ok = ReadLatest(uri);
        g_counting = false;
        if (!ok) {
            state.SkipWithError("no latest bookmark");
            break;
        }
        bytes = g_bytes;
        reads = g_reads;
    }
    state.counters["bytes_read"] = static_cast<double>(bytes);
    state.counters["expected_bytes"] = vsim::kBookmarkHeaderSize + kImageBytes;
    state.counters["reads"] = static_cast<double>(reads);
}

void BM_WholeFile(benchmark::State& state) {
    const std::string path = vsim::BookmarkPathFor(UriFor(static_cast<int>(state.range(0))));
    std::vector<char> buffer;
    long long bytes = 0;
    for (auto _ : state) {
        g_bytes = g_reads = 0;
        g_counting = true;
        bool ok = ReadWhole(path, buffer);
        g_counting = false;
        if (!ok) {
            state.SkipWithError("cannot read the file");
            break;
        }
        bytes = g_bytes;
    }
    state.counters["bytes_read"] = static_cast<double>(bytes);
}

// Both readers in turn, so that the ratios come from one run under one load.
void BM_Compare(benchmark::State& state) {
    const std::string small = UriFor(1), large = UriFor(150);
    const std::string largePath = vsim::BookmarkPathFor(large);
    std::vector<char> buffer;
    std::vector<double> latestSmall, latestLarge, whole;
    for (auto _ : state) {
        // Each latest read follows a whole-file read, so both see the same caches.
        int64_t t0 = vbench::RealNowNs();
        ReadWhole(largePath, buffer);
        int64_t t1 = vbench::RealNowNs();
        ReadLatest(small);
        int64_t t2 = vbench::RealNowNs();
        ReadWhole(largePath, buffer);
        int64_t t3 = vbench::RealNowNs();
        ReadLatest(large);
        int64_t t4 = vbench::RealNowNs();
        whole.push_back(static_cast<double>(t1 - t0));
        latestSmall.push_back(static_cast<double>(t2 - t1));
        whole.push_back(static_cast<double>(t3 - t2));
        latestLarge.push_back(static_cast<double>(t4 - t3));
    }
    double s = vbench::Quantile(latestSmall, 0.5), l = vbench::Quantile(latestLarge, 0.5),
           w = vbench::Quantile(whole, 0.5);
    state.counters["latest_1_ns"] = s;
    state.counters["latest_150_ns"] = l;
    state.counters["whole_150_ns"] = w;
    state.counters["ratio_150_over_1"] = s > 0 ? l / s : 0;
    state.counters["whole_over_latest"] = l > 0 ? w / l : 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (!WriteFiles()) {
        std::fprintf(stderr, "cannot write the bookmark files\n");
        return 1;
    }
    for (int n : kCounts) {
        vbench::Repeated("LatestBookmark", benchmark::kMicrosecond, BM_LatestBookmark)->Arg(n);
    }
    for (int n : kCounts) {
        vbench::Repeated("WholeFile", benchmark::kMicrosecond, BM_WholeFile)->Arg(n);
    }
    vbench::Repeated("Compare", benchmark::kMicrosecond, BM_Compare);

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        RemoveFiles();
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    RemoveFiles();
    return 0;
}
