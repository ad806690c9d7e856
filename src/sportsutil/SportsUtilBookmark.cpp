// The latest bookmark of a recording, read from the ".bmk" file that the PVR
// service keeps beside it.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "BMKFile.h"
#include "SportsUtil.h"
#include "VantroLog.h"

// Bookmark files of a long recording may pass 2 GiB: without 64-bit offsets
// stat and open refuse them on a 32-bit target.
static_assert(sizeof(off_t) == 8, "build with _FILE_OFFSET_BITS=64");

namespace {

// The file starts with a fixed header; the thumbnails follow it back to back.
const int kHeaderSize = 3160;
const int kMaxBookmarks = 150;
const int kCountOffset = 4;
const int kIsAutoOffset = 608;
const int kHighlightTimeOffset = 760;
const int kBookmarkExtraOffset = 1360;
const int kImageSizeOffset = 2560;
const int kMaxImageSize = 2147483645;

// The header as it lies in the file. Integers are little-endian whatever the
// host is, so fields are decoded byte by byte rather than overlaid.
struct stBookmarkHeader {
    unsigned char abRaw[kHeaderSize];

    int32_t Int(int offset) const {
        uint32_t v = static_cast<uint32_t>(abRaw[offset]) | static_cast<uint32_t>(abRaw[offset + 1]) << 8 |
                     static_cast<uint32_t>(abRaw[offset + 2]) << 16 | static_cast<uint32_t>(abRaw[offset + 3]) << 24;
        return static_cast<int32_t>(v);
    }
    int32_t BookmarkCount() const { return Int(kCountOffset); }
    bool IsAuto(int i) const { return abRaw[kIsAutoOffset + i] != 0; }
    int32_t HighlightTime(int i) const { return Int(kHighlightTimeOffset + 4 * i); }
    int32_t BookmarkExtra(int i) const { return Int(kBookmarkExtraOffset + 4 * i); }
    int32_t ImageSize(int i) const { return Int(kImageSizeOffset + 4 * i); }
};

std::string BookmarkFileName(const std::string& uri) {
    std::string::size_type end = uri.find(".srf");
    return (end == std::string::npos ? uri : uri.substr(0, end)) + ".bmk";
}

}  // namespace

bool CSportsUtil::GetLatestBookmark(const std::string& uri, stBookmarkThumbnail*& record) {
    if (uri.empty() || record == nullptr) return false;
    VLOG_INFO("FilePath:%s", uri.c_str());

    std::string name = BookmarkFileName(uri);
    char* szBmkFileName = new (std::nothrow) char[name.size() + 1];
    if (szBmkFileName == nullptr) {
        VLOG_WARN("failed to allocate the bookmark file name");
        return false;
    }
    std::memcpy(szBmkFileName, name.c_str(), name.size() + 1);
    VLOG_INFO("szBmkFileName:%s", szBmkFileName);

    CBMKFile file;
    bool opened = file.Create(szBmkFileName, CBMKFile::MODE_READ, 0, 1);
    delete[] szBmkFileName;
    if (!opened) {
        VLOG_WARN("failed to create file!");
        return false;
    }
    // Whatever happens from here on, the file is closed on the way out.
    struct Closer {
        CBMKFile& file;
        ~Closer() { file.Destroy(); }
    } closer{file};

    stBookmarkHeader stHeader;
    std::memset(&stHeader, 0, sizeof(stHeader));
    long offset = 0;
    if (!file.Seek(&offset, SEEK_SET)) {
        VLOG_WARN("failed to seek file!");
        return false;
    }
    unsigned long headerRead = kHeaderSize;
    if (!file.Read(stHeader.abRaw, &headerRead)) {
        VLOG_WARN("failed to read file");
        return false;
    }

    int32_t count = stHeader.BookmarkCount();
    if (0 >= count) {
        VLOG_WARN("0 >= stBookmarkHeader.iBookmarkCount");
        return false;
    }
    if (count > kMaxBookmarks) {
        // The header has no entries for such bookmarks: not a file we understand.
        VLOG_WARN("stBookmarkHeader.iBookmarkCount(%d) > %d", count, kMaxBookmarks);
        return false;
    }

    int latest = count - 1;
    // Images start where the header read ended; the sum wraps like the
    // service's own 32-bit arithmetic, and a negative result fails the seek.
    uint32_t imageOffset = static_cast<uint32_t>(headerRead);
    for (int i = 0; i < latest; ++i) imageOffset += static_cast<uint32_t>(stHeader.ImageSize(i));
    offset = static_cast<long>(static_cast<int32_t>(imageOffset));
    if (!file.Seek(&offset, SEEK_SET)) {
        VLOG_WARN("failed to seek file!");
        return false;
    }

    int32_t size = stHeader.ImageSize(latest);
    if (size < 1 || size > kMaxImageSize) return false;
    // A header may claim far more than its file holds. The buffer takes only
    // what the file has from the image on (and the closing zero), so a lying
    // header costs neither memory nor address space, which a 32-bit viewer
    // has little of; the record still states the header's size.
    struct stat st;
    if (fstat(file.m_nFd, &st) != 0) return false;
    const int64_t present = std::max<int64_t>(0, static_cast<int64_t>(st.st_size) - offset);
    const std::size_t capacity = static_cast<std::size_t>(std::min<int64_t>(size, present));
    char* buffer = static_cast<char*>(std::calloc(capacity + 1, 1));
    if (buffer == nullptr) {
        VLOG_WARN("failed to allocate %zu bytes for the thumbnail", capacity + 1);
        return false;
    }
    unsigned long imageRead = static_cast<unsigned long>(capacity);
    if (!file.Read(buffer, &imageRead)) {
        std::free(buffer);
        return false;
    }

    record->bIsAuto = stHeader.IsAuto(latest);
    record->lHighlightTime = stHeader.HighlightTime(latest);
    record->lBookmarkExtra = stHeader.BookmarkExtra(latest);
    record->pImageBuffer = buffer;
    record->iImageSize = size;
    record->iImageBytesRead = static_cast<int>(imageRead);
    return true;
}
