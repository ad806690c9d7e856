// The simulated PVR service's bookmark files, as scenarios use them: the
// `bookmarks` verb and accepted set-bookmark requests write files that the
// gadget's own reader takes back, with thumbnails that Evas can decode.
#include <Evas.h>
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
        char templ[] = "vantro-bmkw-XXXXXX";
        ASSERT_NE(mkdtemp(templ), nullptr);
        dir_ = templ;
    }
    void TearDown() override { ASSERT_EQ(std::system(("rm -rf '" + dir_ + "'").c_str()), 0); }
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }

    // The latest bookmark as the gadget reads it, with its image copied out.
    static bool Latest(const std::string& uri, stBookmarkThumbnail* out, Bytes* image) {
        out->pImageBuffer = nullptr;
        if (!CSportsUtil::GetLatestBookmark(uri, out)) return false;
        image->assign(out->pImageBuffer, out->pImageBuffer + out->iImageSize);
        std::free(out->pImageBuffer);
        out->pImageBuffer = nullptr;
        return true;
    }
    // Width and height as Evas decodes the bytes for the pop-up; 0x0 when it cannot.
    static std::pair<int, int> Decoded(const Bytes& bytes, const char* format) {
        int w = 0, h = 0;
        Evas_Object* image = evas_object_image_add(evas_object_evas_get(vtest::Window()));
        evas_object_image_memfile_set(image, const_cast<unsigned char*>(bytes.data()), static_cast<int>(bytes.size()),
                                      const_cast<char*>(format), nullptr);
        if (evas_object_image_load_error_get(image) == EVAS_LOAD_ERROR_NONE) evas_object_image_size_get(image, &w, &h);
        evas_object_del(image);
        return {w, h};
    }
    // Automatic highlights carry JPEG thumbnails, manual ones PNG, 320x180.
    static void ExpectThumbnail(const Bytes& image, bool isAuto) {
        ASSERT_GT(image.size(), 2u);
        EXPECT_EQ(image[0], isAuto ? 0xff : 0x89);
        EXPECT_EQ(image[1], isAuto ? 0xd8 : 'P');
        EXPECT_EQ(Decoded(image, isAuto ? "jpg" : "png"), std::make_pair(320, 180));
    }

    std::string dir_;
};

TEST_F(BookmarkWriterTest, ScenarioWordsMakeAFileTheReaderTakesBack) {
    std::string error;
    ASSERT_TRUE(vsim::WriteBookmarkFile(Path("m.bmk"), {"auto:120", "manual:300:-9", "auto:415"}, &error)) << error;
    std::vector<vsim::BookmarkEntry> back;
    ASSERT_TRUE(vsim::ReadBmk(Path("m.bmk"), &back));
    ASSERT_EQ(back.size(), 3u);
    const bool autos[3] = {true, false, true};
    const int times[3] = {120, 300, 415};
    const int extras[3] = {0, -9, 0};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(back[i].isAuto, autos[i]);
        EXPECT_EQ(back[i].time, times[i]);
        EXPECT_EQ(back[i].extra, extras[i]);
        ExpectThumbnail(back[i].image, autos[i]);
    }
    // Neighbours differ, so a screenshot tells them apart.
    EXPECT_NE(back[0].image, back[2].image);

    stBookmarkThumbnail got;
    Bytes image;
    ASSERT_TRUE(Latest(Path("m.srf"), &got, &image));
    EXPECT_TRUE(got.bIsAuto);
    EXPECT_EQ(got.lHighlightTime, 415);
    EXPECT_EQ(image, back[2].image);
    ASSERT_TRUE(vsim::WriteBookmarkFile(Path("m.bmk"), {"manual:7:3"}, &error));
    ASSERT_TRUE(Latest(Path("m.srf"), &got, &image));
    EXPECT_EQ(got.lBookmarkExtra, 3);

    // An empty list is a file without bookmarks.
    ASSERT_TRUE(vsim::WriteBookmarkFile(Path("m.bmk"), {}, &error));
    ASSERT_TRUE(vsim::ReadBmk(Path("m.bmk"), &back));
    EXPECT_TRUE(back.empty());
    EXPECT_FALSE(Latest(Path("m.srf"), &got, &image));

    // A bad word writes nothing at all.
    for (const char* bad : {"auto", "live:10", "auto:", "manual:1x", "auto:99999999999", "auto:1:", "Manual:3"}) {
        SCOPED_TRACE(bad);
        error.clear();
        EXPECT_FALSE(vsim::WriteBookmarkFile(Path("bad.bmk"), {"auto:1", bad}, &error));
        EXPECT_FALSE(error.empty());
        EXPECT_NE(access(Path("bad.bmk").c_str(), F_OK), 0);
    }
    EXPECT_FALSE(vsim::WriteBookmarkFile(Path("no/dir.bmk"), {"auto:1"}, &error));
}

TEST_F(BookmarkWriterTest, AcceptedSetBookmarkAppendsToTheRecordingsFile) {
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
    ExpectThumbnail(image, false);
    std::vector<vsim::BookmarkEntry> back;
    ASSERT_TRUE(vsim::ReadBmk(Path("rec_01.bmk"), &back));
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0].time, 61);

    // A service that stored a damaged thumbnail: only its first bytes.
    vsim::SetFact("svc_pvr_set_bookmark.image", {"10"});
    ASSERT_EQ(svc_pvr_set_bookmark(uri.c_str(), 80), PS_CALL_METHOD_SUCCESS);
    ASSERT_TRUE(Latest(uri, &got, &image));
    EXPECT_EQ(image.size(), 10u);

    // A refused request writes nothing.
    vsim::SetFact("svc_pvr_set_bookmark.ret", {"-1"});
    EXPECT_EQ(svc_pvr_set_bookmark(uri.c_str(), 90), PS_CALL_METHOD_FAIL);
    EXPECT_EQ(svc_pvr_set_bookmark(Path("other.srf").c_str(), 90), PS_CALL_METHOD_FAIL);
    ASSERT_TRUE(vsim::ReadBmk(Path("rec_01.bmk"), &back));
    EXPECT_EQ(back.size(), 3u);
    EXPECT_NE(access(Path("other.bmk").c_str(), F_OK), 0);
}

}  // namespace
