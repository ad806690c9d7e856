// Writes bookmark files in the PVR service's place, with real thumbnails.
#include "bookmark_writer.h"

#include <Ecore_Evas.h>
#include <Evas.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <utility>

namespace vsim {

namespace {

const int kCountOffset = 4;
const int kIsAutoOffset = 608;
const int kTimeOffset = 760;
const int kExtraOffset = 1360;
const int kAuxOffset = 1960;
const int kImageSizeOffset = 2560;
const int kThumbWidth = 320;
const int kThumbHeight = 180;

void PutInt(std::vector<unsigned char>& bytes, int offset, int32_t value) {
    uint32_t v = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<unsigned char>(v >> (8 * i));
}

int32_t GetInt(const std::vector<unsigned char>& bytes, int offset) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(bytes[offset + i]) << (8 * i);
    return static_cast<int32_t>(v);
}

// The whole file, read with plain descriptors: the service reads the file on
// every bookmark request. A file that is not there reads as no bytes at all;
// a file shorter than `atLeast` is refused after one stat, without opening it.
enum class FileRead { kMissing, kRead, kFailed };
FileRead ReadWholeFile(const std::string& path, std::size_t atLeast, std::vector<unsigned char>* bytes) {
    bytes->clear();
    struct stat info;
    if (stat(path.c_str(), &info) != 0) return errno == ENOENT ? FileRead::kMissing : FileRead::kFailed;
    if (info.st_size < static_cast<off_t>(atLeast)) return FileRead::kFailed;
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT ? FileRead::kMissing : FileRead::kFailed;
    bytes->resize(static_cast<std::size_t>(info.st_size));
    std::size_t done = 0;
    bool ok = true;
    while (done < bytes->size()) {
        ssize_t got = read(fd, bytes->data() + done, bytes->size() - done);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            ok = got == 0;  // cut short since the stat: what is there is the file
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    close(fd);
    bytes->resize(done);
    return ok && done >= atLeast ? FileRead::kRead : FileRead::kFailed;
}

void SetError(std::string* error, const std::string& text) {
    if (error) *error = text;
}

// Colours that stay apart on screen: one per place in the file, cycling.
const uint32_t kPalette[] = {0x1f6fb2, 0xc0392b, 0x27ae60, 0xf39c12, 0x8e44ad, 0x16a085, 0xd35400, 0x2c3e50};
const std::size_t kPaletteSize = sizeof(kPalette) / sizeof(kPalette[0]);

}  // namespace

std::string ScratchDir() {
    const char* dir = std::getenv("TMPDIR");
    return dir && *dir ? dir : "/tmp";
}

std::string BookmarkPathFor(const std::string& recordingUri) {
    std::string::size_type end = recordingUri.find(".srf");
    return (end == std::string::npos ? recordingUri : recordingUri.substr(0, end)) + ".bmk";
}

bool WriteBmk(const std::string& path, const std::vector<BookmarkEntry>& entries) {
    if (entries.size() > static_cast<std::size_t>(kBookmarkCapacity)) return false;
    std::vector<unsigned char> bytes(kBookmarkHeaderSize, 0);
    PutInt(bytes, kCountOffset, static_cast<int32_t>(entries.size()));
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const BookmarkEntry& e = entries[i];
        int at = static_cast<int>(i);
        bytes[kIsAutoOffset + at] = e.isAuto ? 1 : 0;
        PutInt(bytes, kTimeOffset + 4 * at, e.time);
        PutInt(bytes, kExtraOffset + 4 * at, e.extra);
        PutInt(bytes, kAuxOffset + 4 * at, e.aux);
        PutInt(bytes, kImageSizeOffset + 4 * at,
               e.claimedSize >= 0 ? e.claimedSize : static_cast<int32_t>(e.image.size()));
    }
    for (const BookmarkEntry& e : entries) bytes.insert(bytes.end(), e.image.begin(), e.image.end());

    // Written beside the target and renamed over it, so a reader never sees
    // a header whose images are not there yet.
    std::string temp = path + ".part";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out.flush()) {
            std::remove(temp.c_str());
            return false;
        }
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

bool ReadBmk(const std::string& path, std::vector<BookmarkEntry>* entries) {
    entries->clear();
    std::vector<unsigned char> bytes;
    FileRead read = ReadWholeFile(path, static_cast<std::size_t>(kBookmarkHeaderSize), &bytes);
    if (read != FileRead::kRead) return read == FileRead::kMissing;
    int32_t count = GetInt(bytes, kCountOffset);
    if (count < 0 || count > kBookmarkCapacity) return false;
    std::size_t at = kBookmarkHeaderSize;
    for (int i = 0; i < count; ++i) {
        BookmarkEntry e;
        e.isAuto = bytes[kIsAutoOffset + i] != 0;
        e.time = GetInt(bytes, kTimeOffset + 4 * i);
        e.extra = GetInt(bytes, kExtraOffset + 4 * i);
        e.aux = GetInt(bytes, kAuxOffset + 4 * i);
        int32_t size = GetInt(bytes, kImageSizeOffset + 4 * i);
        if (size < 0 || static_cast<std::size_t>(size) > bytes.size() - at) return false;
        e.image.assign(bytes.begin() + static_cast<long>(at), bytes.begin() + static_cast<long>(at + size));
        at += static_cast<std::size_t>(size);
        entries->push_back(std::move(e));
    }
    return true;
}

bool AppendBookmark(const std::string& path, const BookmarkEntry& entry) {
    std::vector<BookmarkEntry> entries;
    if (!ReadBmk(path, &entries)) return false;
    if (entries.size() >= static_cast<std::size_t>(kBookmarkCapacity)) return false;
    entries.push_back(entry);
    return WriteBmk(path, entries);
}

std::vector<unsigned char> EncodeThumbnail(int width, int height, uint32_t rgb, bool jpeg) {
    std::vector<unsigned char> encoded;
    if (width <= 0 || height <= 0) return encoded;

    std::vector<uint32_t> pixels(static_cast<std::size_t>(width) * height, 0xff000000u | (rgb & 0xffffffu));
    // A lighter band across the middle, so a picture is more than a flat fill.
    uint32_t band = 0xff000000u | (((rgb & 0xfefefeu) >> 1) + 0x7f7f7fu);
    for (int y = height * 2 / 5; y < height * 3 / 5; ++y)
        for (int x = 0; x < width; ++x) pixels[static_cast<std::size_t>(y) * width + x] = band;

    std::string name = ScratchDir() + "/vsim-thumb-XXXXXX" + (jpeg ? ".jpg" : ".png");
    std::vector<char> templ(name.begin(), name.end());
    templ.push_back('\0');
    int fd = mkstemps(templ.data(), 4);
    if (fd < 0) return encoded;
    close(fd);

    if (ecore_evas_init() <= 0) {
        unlink(templ.data());
        return encoded;
    }
    Ecore_Evas* ee = ecore_evas_buffer_new(width, height);
    if (ee) {
        Evas_Object* image = evas_object_image_add(ecore_evas_get(ee));
        evas_object_image_colorspace_set(image, EVAS_COLORSPACE_ARGB8888);
        evas_object_image_alpha_set(image, EINA_FALSE);
        evas_object_image_size_set(image, width, height);
        evas_object_image_data_copy_set(image, pixels.data());
        evas_object_image_data_update_add(image, 0, 0, width, height);
        if (evas_object_image_save(image, templ.data(), nullptr, jpeg ? "quality=90" : "compress=6") &&
            ReadWholeFile(templ.data(), 0, &encoded) != FileRead::kRead)
            encoded.clear();
        evas_object_del(image);
        ecore_evas_free(ee);
    }
    ecore_evas_shutdown();
    unlink(templ.data());
    return encoded;
}

std::vector<unsigned char> DefaultThumbnail(bool isAuto, int index) {
    std::size_t at = index < 0 ? 0 : static_cast<std::size_t>(index) % kPaletteSize;
    // Encoding is most of a bookmark's cost, and its bytes depend on nothing
    // but the colour and the kind: each is encoded once per process.
    static auto* encoded = new std::map<std::pair<bool, std::size_t>, std::vector<unsigned char>>;
    std::vector<unsigned char>& known = (*encoded)[{isAuto, at}];
    if (known.empty()) known = EncodeThumbnail(kThumbWidth, kThumbHeight, kPalette[at], isAuto);
    return known;
}

void EncodeDefaultThumbnails() {
    for (int index = 0; index < static_cast<int>(kPaletteSize); ++index) {
        DefaultThumbnail(false, index);
        DefaultThumbnail(true, index);
    }
}

bool ParseBookmarkWord(const std::string& word, BookmarkEntry* entry, std::string* error) {
    std::string::size_type colon = word.find(':');
    if (colon == std::string::npos) {
        SetError(error, "bookmark '" + word + "': expected auto:TIME or manual:TIME");
        return false;
    }
    std::string kind = word.substr(0, colon);
    BookmarkEntry e;
    if (kind == "auto") {
        e.isAuto = true;
    } else if (kind == "manual") {
        e.isAuto = false;
    } else {
        SetError(error, "bookmark '" + word + "': kind must be auto or manual");
        return false;
    }
    std::string rest = word.substr(colon + 1);
    std::string::size_type second = rest.find(':');
    std::string numbers[2] = {rest.substr(0, second), second == std::string::npos ? "0" : rest.substr(second + 1)};
    int32_t values[2] = {0, 0};
    for (int i = 0; i < 2; ++i) {
        const std::string& text = numbers[i];
        char* end = nullptr;
        errno = 0;
        long long v = text.empty() ? 0 : std::strtoll(text.c_str(), &end, 10);
        if (text.empty() || end == nullptr || *end != '\0' || errno == ERANGE || v < INT32_MIN || v > INT32_MAX) {
            SetError(
                error,
                std::string("bookmark '").append(word).append("': '").append(text).append("' is not a 32-bit number"));
            return false;
        }
        values[i] = static_cast<int32_t>(v);
    }
    e.time = values[0];
    e.extra = values[1];
    *entry = e;
    return true;
}

bool WriteBookmarkFile(const std::string& path, const std::vector<std::string>& entries, std::string* error) {
    if (entries.size() > static_cast<std::size_t>(kBookmarkCapacity)) {
        SetError(error, "a bookmark file holds at most 150 bookmarks");
        return false;
    }
    std::vector<BookmarkEntry> parsed;
    for (const std::string& word : entries) {
        BookmarkEntry e;
        if (!ParseBookmarkWord(word, &e, error)) return false;
        e.image = DefaultThumbnail(e.isAuto, static_cast<int>(parsed.size()));
        if (e.image.empty()) {
            SetError(error, "could not encode a thumbnail for '" + word + "'");
            return false;
        }
        parsed.push_back(std::move(e));
    }
    if (!WriteBmk(path, parsed)) {
        SetError(error, "cannot write " + path);
        return false;
    }
    return true;
}

bool WriteClaimingBookmarkFile(const std::string& path, int32_t claimed) {
    BookmarkEntry entry;
    entry.time = 75;
    entry.image = DefaultThumbnail(false, 0);
    entry.claimedSize = claimed;
    return WriteBmk(path, {entry});
}

}  // namespace vsim
