#include <game/store/DLCThumbnailCache.hpp>

#include <foundation/Sandbox.hpp>
#include <game/shell/Utilities.hpp>
#include <graphics/Image.hpp>
#include <support/TempDir.hpp>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using game::DLCThumbnailCache;

TEST(DLCThumbnailCache, NamesTheFileAfterTheWholeURL) {
    auto a = DLCThumbnailCache::fileNameForURL("http://host/a/thumb.png");
    auto b = DLCThumbnailCache::fileNameForURL("http://host/b/thumb.png");
    EXPECT_NE(a, b) << "two URLs that end alike keep two images";
    EXPECT_EQ(a, game::Utilities::getMD5("http://host/a/thumb.png") + ".png");
    struct Case {
        char const* url;
        char const* extension;
    };
    for (auto c : std::vector<Case> {{"http://h/x.jpg?size=2#top", ".jpg"}, {"http://h/x", ""},
             {"http://h/x.", ""}, {"http://h/x.p/ng", ""}, {"http://h/x.p%2Fng", ""},
             {"http://h/../../x.JPG", ".JPG"}}) {
        auto name = DLCThumbnailCache::fileNameForURL(c.url);
        EXPECT_EQ(name.substr(32), c.extension) << c.url;
        EXPECT_EQ(name.find('/'), std::string::npos) << c.url;
    }
    EXPECT_EQ(DLCThumbnailCache::fileNameForURL(""), "");
}

TEST(DLCThumbnailCache, TheFileLivesInTheDataFolder) {
    test::TempDir home;
    foundation::Sandbox::setRoot(home.path().string());
    auto path = DLCThumbnailCache::pathForURL("http://h/../../t.png");
    ASSERT_TRUE(path);
    EXPECT_EQ(*path,
        (home.path() / "Library/Marrowby"
            / DLCThumbnailCache::fileNameForURL("http://h/../../t.png"))
            .string());
    EXPECT_FALSE(DLCThumbnailCache::pathForURL(""));
    foundation::Sandbox::setRoot({});
}

TEST(DLCThumbnailCache, OnlyAnImageAnsweredWith200IsKept) {
    graphics::Image image(2, 2);
    auto png = image.encodePNG();
    ASSERT_TRUE(png);
    base::Bytes picture(png->begin(), png->end());
    std::string page = "<html>Internal Server Error</html>";
    base::Bytes text(page.begin(), page.end());
    struct Case {
        int status;
        base::Bytes body;
        bool kept;
    };
    for (auto const& c :
        std::vector<Case> {{200, picture, true}, {500, picture, false}, {404, picture, false},
            {200, text, false}, {500, text, false}, {200, {}, false}, {206, picture, false}})
        EXPECT_EQ(DLCThumbnailCache::shouldCache(c.status, c.body), c.kept)
            << c.status << " " << c.body.size();
}
