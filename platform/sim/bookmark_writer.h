// Bookmark files as the PVR service writes them beside a recording: a fixed
// header of 3160 bytes (count at 4, per-bookmark tables of automatic flags at
// 608, times at 760, extra values at 1360, aux values at 1960 and image sizes
// at 2560, all little-endian) followed by the thumbnails back to back.
// Automatic highlights carry JPEG thumbnails, manual ones PNG.
#ifndef VANTRO_SIM_BOOKMARK_WRITER_H
#define VANTRO_SIM_BOOKMARK_WRITER_H

#include <cstdint>
#include <string>
#include <vector>

namespace vsim {

const int kBookmarkHeaderSize = 3160;
const int kBookmarkCapacity = 150;

struct BookmarkEntry {
    bool isAuto = false;
    int32_t time = 0;   // seconds from the start of the recording
    int32_t extra = 0;  // the second per-bookmark value
    int32_t aux = 0;    // the third per-bookmark value
    std::vector<unsigned char> image;
    // The image size the header states; -1 states the image's own size. A
    // larger claim makes a hostile file that holds far less than it says.
    int32_t claimedSize = -1;
};

// Where scratch files and directories go: TMPDIR when it is set, else /tmp.
std::string ScratchDir();

// The bookmark file of a recording: the URI up to its first ".srf", then ".bmk".
std::string BookmarkPathFor(const std::string& recordingUri);

// Writes a whole file: header and images. At most 150 entries.
bool WriteBmk(const std::string& path, const std::vector<BookmarkEntry>& entries);
// Reads back what WriteBmk writes (a missing file is an empty list).
bool ReadBmk(const std::string& path, std::vector<BookmarkEntry>* entries);
// Adds one bookmark at the end, creating the file when it is missing.
bool AppendBookmark(const std::string& path, const BookmarkEntry& entry);

// A real picture of the given size, filled with one colour (0xRRGGBB) with a
// lighter band across the middle, encoded by Evas: JPEG or PNG bytes.
// Empty on failure.
std::vector<unsigned char> EncodeThumbnail(int width, int height, uint32_t rgb, bool jpeg);
// The thumbnail the service would store for a bookmark: 320x180, JPEG for
// automatic highlights, PNG for manual ones, its colour chosen from the
// bookmark's place in the file so neighbours look different.
std::vector<unsigned char> DefaultThumbnail(bool isAuto, int index);
// Every default thumbnail encoded now, so that processes forked next need not.
void EncodeDefaultThumbnails();

// One word of the scenario verb `bookmarks`: "auto:TIME" or "manual:TIME",
// optionally followed by ":EXTRA". False with a reason for anything else.
bool ParseBookmarkWord(const std::string& word, BookmarkEntry* entry, std::string* error);

// Writes a file of the given bookmarks (words as above), each with its default
// thumbnail, replacing whatever was there. False with a reason on failure.
bool WriteBookmarkFile(const std::string& path, const std::vector<std::string>& entries, std::string* error = nullptr);

// A hostile file: one manual bookmark at 75 s whose header states `claimed`
// image bytes for the default PNG it holds.
bool WriteClaimingBookmarkFile(const std::string& path, int32_t claimed);

}  // namespace vsim

#endif
