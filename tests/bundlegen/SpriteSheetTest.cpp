#include <bundlegen/SpriteSheet.hpp>

#include <gtest/gtest.h>
#include <plist/plist.h>

#include <stdexcept>
#include <string>
#include <vector>

using bundlegen::FrameSpec;
using bundlegen::PlacedFrame;
using bundlegen::SheetLayout;
using bundlegen::SpriteSheet;

namespace {

FrameSpec frame(std::string name, double w, double h, double offsetY = 0) {
    return {std::move(name), w, h, [](cairo_t*) {}, 0, offsetY};
}

bool overlap(PlacedFrame const& a, PlacedFrame const& b, int gap) {
    return a.x < b.x + b.width + gap && b.x < a.x + a.width + gap && a.y < b.y + b.height + gap
        && b.y < a.y + a.height + gap;
}

double realOf(plist_t dict, char const* key) {
    plist_t node = plist_dict_get_item(dict, key);
    if (!node)
        return -1;
    if (plist_get_node_type(node) == PLIST_UINT) {
        uint64_t v = 0;
        plist_get_uint_val(node, &v);
        return double(v);
    }
    double v = 0;
    plist_get_real_val(node, &v);
    return v;
}

}

TEST(SpriteSheet, PacksFramesInsideTheSheetWithoutOverlapOrTouching) {
    struct Case {
        int count;
        double w;
        double h;
        double scale;
    };
    for (Case c : {Case {29, 48, 80, 1}, Case {40, 48, 80, 2}, Case {9, 56, 56, 1},
             Case {3, 480, 120, 2}, Case {1, 1020, 1020, 1}}) {
        SpriteSheet sheet("test", c.scale);
        for (int i = 0; i < c.count; ++i)
            sheet.add(frame("f" + std::to_string(i) + ".png", c.w, c.h));
        SheetLayout layout = sheet.layout();
        ASSERT_EQ(layout.frames.size(), size_t(c.count));
        EXPECT_LE(layout.width, SpriteSheet::maxSide);
        EXPECT_LE(layout.height, SpriteSheet::maxSide);
        for (size_t i = 0; i < layout.frames.size(); ++i) {
            PlacedFrame const& f = layout.frames[i];
            EXPECT_EQ(f.width, int(c.w * c.scale));
            EXPECT_EQ(f.height, int(c.h * c.scale));
            EXPECT_GE(f.x, 0);
            EXPECT_GE(f.y, 0);
            EXPECT_LE(f.x + f.width, layout.width);
            EXPECT_LE(f.y + f.height, layout.height);
            for (size_t j = i + 1; j < layout.frames.size(); ++j)
                EXPECT_FALSE(overlap(f, layout.frames[j], SpriteSheet::padding - 1))
                    << f.name << " and " << layout.frames[j].name;
        }
    }
}

TEST(SpriteSheet, ListsFramesSortedByName) {
    SpriteSheet sheet("test", 1);
    for (char const* name : {"b.png", "c.png", "a.png"})
        sheet.add(frame(name, 10, 10));
    SheetLayout layout = sheet.layout();
    ASSERT_EQ(layout.frames.size(), 3u);
    EXPECT_EQ(layout.frames[0].name, "a.png");
    EXPECT_EQ(layout.frames[2].name, "c.png");
}

TEST(SpriteSheet, RefusesFramesThatCannotFitOrShareAName) {
    SpriteSheet tooBig("big", 2);
    tooBig.add(frame("a.png", 600, 10));
    EXPECT_THROW(tooBig.layout(), std::runtime_error);

    SpriteSheet tooMany("many", 1);
    for (int i = 0; i < 40; ++i)
        tooMany.add(frame("f" + std::to_string(i), 300, 300));
    EXPECT_THROW(tooMany.layout(), std::runtime_error);

    SpriteSheet twice("twice", 1);
    twice.add(frame("a.png", 10, 10));
    twice.add(frame("a.png", 10, 10));
    EXPECT_THROW(twice.layout(), std::runtime_error);
}

TEST(SpriteSheet, PropertyListCarriesEveryFrameRectangleAndScaledOffsets) {
    SpriteSheet sheet("fx", 2);
    sheet.add(frame("fx_01.png", 56, 56, 28));
    sheet.add(frame("fx_02.png", 56, 56, 28));
    sheet.add(frame("a&b<c>.png", 10, 12));
    SheetLayout layout = sheet.layout();
    std::string xml = SpriteSheet::plistXml(layout);

    plist_t root = nullptr;
    plist_from_xml(xml.c_str(), static_cast<uint32_t>(xml.size()), &root);
    ASSERT_NE(root, nullptr);
    plist_t frames = plist_dict_get_item(root, "frames");
    ASSERT_NE(frames, nullptr);
    EXPECT_EQ(plist_dict_get_size(frames), 3u);
    for (PlacedFrame const& f : layout.frames) {
        plist_t entry = plist_dict_get_item(frames, f.name.c_str());
        ASSERT_NE(entry, nullptr) << f.name;
        EXPECT_EQ(realOf(entry, "x"), f.x);
        EXPECT_EQ(realOf(entry, "y"), f.y);
        EXPECT_EQ(realOf(entry, "width"), f.width);
        EXPECT_EQ(realOf(entry, "height"), f.height);
        EXPECT_EQ(realOf(entry, "offsetX"), 0);
        EXPECT_EQ(realOf(entry, "offsetY"), f.name == "a&b<c>.png" ? 0 : 56);
    }
    plist_free(root);
}

TEST(SpriteSheet, RendersEachFrameIntoItsOwnRectangle) {
    SpriteSheet sheet("paint", 1);
    for (int i = 0; i < 4; ++i)
        sheet.add({"f" + std::to_string(i), 8, 8, [](cairo_t* cr) {
                       cairo_set_source_rgb(cr, 1, 0, 0);
                       cairo_paint(cr); // clipped to the frame
                   }});
    SheetLayout layout = sheet.layout();
    cairo_surface_t* surface = sheet.render(layout);
    auto const* data = cairo_image_surface_get_data(surface);
    int stride = cairo_image_surface_get_stride(surface);
    auto pixel = [&](int x, int y) {
        return *reinterpret_cast<uint32_t const*>(data + y * stride + x * 4);
    };
    int painted = 0;
    for (int y = 0; y < layout.height; ++y)
        for (int x = 0; x < layout.width; ++x)
            painted += pixel(x, y) != 0;
    EXPECT_EQ(painted, 4 * 8 * 8);
    for (PlacedFrame const& f : layout.frames)
        EXPECT_EQ(pixel(f.x + 3, f.y + 3), 0xffff0000u);
    cairo_surface_destroy(surface);
}
