// make-bmk: writes a PVR bookmark file with real thumbnails.
//
//   make-bmk OUT.bmk auto:120 manual:300 auto:415:7 ...
//
// Each word is one bookmark in file order: its kind (auto highlights get a
// JPEG thumbnail, manual ones a PNG), its time in seconds and, optionally,
// its extra value. With no words the file holds an empty bookmark list.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bookmark_writer.h"

int main(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "-h") == 0 || std::strcmp(argv[1], "--help") == 0) {
        std::fprintf(stderr, "usage: %s OUT.bmk [auto:TIME[:EXTRA] | manual:TIME[:EXTRA]]...\n", argv[0]);
        return argc < 2 ? 2 : 0;
    }
    std::vector<std::string> words(argv + 2, argv + argc);
    std::string error;
    if (!vsim::WriteBookmarkFile(argv[1], words, &error)) {
        std::fprintf(stderr, "make-bmk: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
