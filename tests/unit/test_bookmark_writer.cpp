// Bookmark files written in the PVR service's place, read back by the gadget's
// reader, with thumbnails that Evas can decode.
#include <Evas.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "SportsUtil.h"
#include "TestSupport.h"
#include "bookmark_writer.h"
#include "svc_pvr.h"

namespace {

using Bytes = std::vector<unsigned char>;

class BookmarkWriterTest : public vtest::SimTest {
protected:
    void SetUp() override {
        vtest::SimTest::SetUp();
        char templ[] = "/tmp/vantro-bmkw-XXXXXX";
        ASSERT_NE(mkdtemp(templ), nullptr);
        dir_ = templ;
    }
    void TearDown() override {
        std::string cmd = "rm -rf '" + dir_ + "'";
        ASSERT_EQ(std::system(cmd.c_str()), 0);
    }
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }

    // The latest bookmark as the gadget reads it; the image comes back copied.
    bool Latest(const std::string& uri, stBookmarkThumbnail* out, Bytes* image) {
        stBookmarkThumbnail* record = new stBookmarkThumbnail();
        bool ok = CSportsUtil::GetLatestBookmark(uri, record);
        if (ok) {
            *out = *record;
            image->assign(record->pImageBuffer, record->pImageBuffer + record->iImageSize);
            delete[] record->pImageBuffer;
            out->pImageBuffer = nullptr;
        }
        delete record;
        return ok;
    }

    struct Decoded {
        bool ok = false;
        int width = 0, height = 0;
        unsigned corner = 0;  // ARGB of the top-left pixel
    };
    // Decodes the bytes with Evas, as the pop-up does.
    static Decoded Decode(const Bytes& bytes, const char* format) {
        Decoded d;
        Evas_Object* image = evas_object_image_add(evas_object_evas_get(vtest::Window()));
        evas_object_image_memfile_set(image, const_cast<unsigned char*>(bytes.data()), static_cast<int>(bytes.size()),
                                      const_cast<char*>(format), nullptr);
        if (evas_object_image_load_error_get(image) == EVAS_LOAD_ERROR_NONE) {
            evas_object_image_size_get(image, &d.width, &d.height);
            const unsigned* pixels = static_cast<const unsigned*>(evas_object_image_data_get(image, EINA_FALSE));
            if (pixels && d.width > 0 && d.height > 0) {
                d.corner = pixels[0];
                d.ok = true;
            }
        }
        evas_object_del(image);
        return d;
    }
    static bool Near(unsigned argb, unsigned rgb, int tolerance) {
        for (int shift : {0, 8, 16}) {
            int a = static_cast<int>((argb >> shift) & 0xff), b = static_cast<int>((rgb >> shift) & 0xff);
            if (std::abs(a - b) > tolerance) return false;
        }
        return true;
    }

    std::string dir_;
};

TEST_F(BookmarkWriterTest, WrittenEntriesReadBackThroughTheGadgetsReader) {
    std::vector<vsim::BookmarkEntry> entries(3);
    for (int i = 0; i < 3; ++i) {
        entries[i].isAuto = i != 2;
        entries[i].time = 100 * (i + 1);
        entries[i].extra = -7 * (i + 1);
        entries[i].aux = 5;
        entries[i].image = Bytes(static_cast<std::size_t>(50 + 10 * i), static_cast<unsigned char>('a' + i));
    }
    ASSERT_TRUE(vsim::WriteBmk(Path("rec.bmk"), entries));

    stBookmarkThumbnail got;
    Bytes image;
    ASSERT_TRUE(Latest(Path("rec.srf"), &got, &image));
    EXPECT_FALSE(got.bIsAuto);
    EXPECT_EQ(got.lHighlightTime, 300);
    EXPECT_EQ(got.lBookmarkExtra, -21);
    EXPECT_EQ(image, entries[2].image);

    std::vector<vsim::BookmarkEntry> back;
    ASSERT_TRUE(vsim::ReadBmk(Path("rec.bmk"), &back));
    ASSERT_EQ(back.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(back[i].isAuto, entries[i].isAuto);
        EXPECT_EQ(back[i].time, entries[i].time);
        EXPECT_EQ(back[i].extra, entries[i].extra);
        EXPECT_EQ(back[i].aux, 5);
        EXPECT_EQ(back[i].image, entries[i].image);
    }
    EXPECT_FALSE(vsim::WriteBmk(Path("big.bmk"), std::vector<vsim::BookmarkEntry>(151)));
    EXPECT_NE(access(Path("big.bmk").c_str(), F_OK), 0);
}

TEST_F(BookmarkWriterTest, ThumbnailsAreRealJpegForAutomaticAndPngForManual) {
    struct Row {
        bool jpeg;
        const char* format;
        unsigned char first, second;
        int tolerance;
    };
    for (Row row : {Row{true, "jpg", 0xff, 0xd8, 12}, Row{false, "png", 0x89, 'P', 0}}) {
        SCOPED_TRACE(row.format);
        Bytes bytes = vsim::EncodeThumbnail(64, 40, 0x2060a0, row.jpeg);
        ASSERT_GT(bytes.size(), 2u);
        EXPECT_EQ(bytes[0], row.first);
        EXPECT_EQ(bytes[1], row.second);
        Decoded d = Decode(bytes, row.format);
        ASSERT_TRUE(d.ok);
        EXPECT_EQ(d.width, 64);
        EXPECT_EQ(d.height, 40);
        EXPECT_TRUE(Near(d.corner, 0x2060a0, row.tolerance)) << std::hex << d.corner;
    }
    EXPECT_TRUE(vsim::EncodeThumbnail(0, 10, 0, false).empty());
}

TEST_F(BookmarkWriterTest, ScenarioWordsMakeAFileWithDecodablePictures) {
    std::string error;
    ASSERT_TRUE(vsim::WriteBookmarkFile(Path("m.bmk"), {"auto:120", "manual:300:9", "auto:415"}, &error)) << error;
    std::vector<vsim::BookmarkEntry> back;
    ASSERT_TRUE(vsim::ReadBmk(Path("m.bmk"), &back));
    ASSERT_EQ(back.size(), 3u);
    const bool autos[3] = {true, false, true};
    const int times[3] = {120, 300, 415};
    const int extras[3] = {0, 9, 0};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(back[i].isAuto, autos[i]);
        EXPECT_EQ(back[i].time, times[i]);
        EXPECT_EQ(back[i].extra, extras[i]);
        Decoded d = Decode(back[i].image, autos[i] ? "jpg" : "png");
        ASSERT_TRUE(d.ok);
        EXPECT_EQ(d.width, 320);
        EXPECT_EQ(d.height, 180);
    }
    // Neighbours differ, so a screenshot tells them apart.
    EXPECT_FALSE(Near(Decode(back[0].image, "jpg").corner, Decode(back[2].image, "jpg").corner & 0xffffff, 12));

    stBookmarkThumbnail got;
    Bytes image;
    ASSERT_TRUE(Latest(Path("m.srf"), &got, &image));
    EXPECT_TRUE(got.bIsAuto);
    EXPECT_EQ(got.lHighlightTime, 415);
    EXPECT_EQ(image, back[2].image);

    ASSERT_TRUE(vsim::WriteBookmarkFile(Path("m.bmk"), {}, &error));
    ASSERT_TRUE(vsim::ReadBmk(Path("m.bmk"), &back));
    EXPECT_TRUE(back.empty());

    for (const char* bad : {"auto", "live:10", "auto:", "manual:1x", "auto:99999999999", "auto:1:", "Manual:3"}) {
        SCOPED_TRACE(bad);
        error.clear();
        EXPECT_FALSE(vsim::WriteBookmarkFile(Path("bad.bmk"), {"auto:1", bad}, &error));
        EXPECT_FALSE(error.empty());
        EXPECT_NE(access(Path("bad.bmk").c_str(), F_OK), 0);
    }
    EXPECT_FALSE(vsim::WriteBookmarkFile(Path("no/dir.bmk"), {"auto:1"}, &error));
}

TEST_F(BookmarkWriterTest, AppendingCreatesTheFileAndStopsAtItsCapacity) {
    vsim::BookmarkEntry e;
    e.time = 1;
    e.image = {1, 2, 3};
    ASSERT_TRUE(vsim::AppendBookmark(Path("a.bmk"), e));
    e.isAuto = true;
    e.time = 2;
    e.image = {4};
    ASSERT_TRUE(vsim::AppendBookmark(Path("a.bmk"), e));
    std::vector<vsim::BookmarkEntry> back;
    ASSERT_TRUE(vsim::ReadBmk(Path("a.bmk"), &back));
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0].image, (Bytes{1, 2, 3}));
    EXPECT_EQ(back[1].time, 2);
    EXPECT_TRUE(back[1].isAuto);

    ASSERT_TRUE(vsim::WriteBmk(Path("full.bmk"), std::vector<vsim::BookmarkEntry>(150)));
    EXPECT_FALSE(vsim::AppendBookmark(Path("full.bmk"), e));
    ASSERT_TRUE(vsim::ReadBmk(Path("full.bmk"), &back));
    EXPECT_EQ(back.size(), 150u);

    // Something that is not a bookmark file is left alone.
    FILE* f = std::fopen(Path("junk.bmk").c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("junk", f);
    std::fclose(f);
    EXPECT_FALSE(vsim::AppendBookmark(Path("junk.bmk"), e));
    struct stat st;
    ASSERT_EQ(stat(Path("junk.bmk").c_str(), &st), 0);
    EXPECT_EQ(st.st_size, 4);
}

TEST_F(BookmarkWriterTest, AcceptedSetBookmarkLandsInTheRecordingsFile) {
    EXPECT_EQ(vsim::BookmarkPathFor("/x/rec_01.srf"), "/x/rec_01.bmk");
    EXPECT_EQ(vsim::BookmarkPathFor("/x/rec.ts"), "/x/rec.ts.bmk");

    const std::string uri = Path("rec_01.srf");
    ASSERT_EQ(svc_pvr_set_bookmark(uri.c_str(), 61), PS_CALL_METHOD_SUCCESS);
    ASSERT_EQ(svc_pvr_set_bookmark(uri.c_str(), 75), PS_CALL_METHOD_SUCCESS);
    stBookmarkThumbnail got;
    Bytes image;
    ASSERT_TRUE(Latest(uri, &got, &image));
    EXPECT_FALSE(got.bIsAuto);
    EXPECT_EQ(got.lHighlightTime, 75);
    Decoded d = Decode(image, "png");
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.width, 320);

    std::vector<vsim::BookmarkEntry> back;
    ASSERT_TRUE(vsim::ReadBmk(Path("rec_01.bmk"), &back));
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0].time, 61);

    // A refused request writes nothing.
    vsim::SetFact("svc_pvr_set_bookmark.ret", {"-1"});
    EXPECT_EQ(svc_pvr_set_bookmark(uri.c_str(), 90), PS_CALL_METHOD_FAIL);
    EXPECT_EQ(svc_pvr_set_bookmark(Path("other.srf").c_str(), 90), PS_CALL_METHOD_FAIL);
    ASSERT_TRUE(vsim::ReadBmk(Path("rec_01.bmk"), &back));
    EXPECT_EQ(back.size(), 2u);
    EXPECT_NE(access(Path("other.bmk").c_str(), F_OK), 0);
}

}  // namespace
