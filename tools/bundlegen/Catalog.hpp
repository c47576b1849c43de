#pragma once

#include <bundlegen/SpriteSheet.hpp>

#include <cairo.h>

#include <functional>
#include <string>
#include <vector>

namespace bundlegen {

// Draws a picture of w x h design units (phone points) into the current user space.
using Draw = std::function<void(cairo_t*, double w, double h)>;

// How the tablet set gets a picture of the same name.
struct TabletRule {
    enum class Kind {
        Scale, // drawn again, design units times (scaleX, scaleY)
        Same, // the tablet loads the phone picture as it is (the code scales it, or the
              // name is already a tablet-only "_iPad" file)
        Size, // drawn again into width x height pixels, stretched to fit
    };
    Kind kind {Kind::Scale};
    double scaleX {2};
    double scaleY {2};
    int width {0};
    int height {0};
    double offsetX {0}; // pixels, applied before the scale
    double offsetY {0};

    static TabletRule scale(double s) { return {Kind::Scale, s, s}; }
    static TabletRule same() { return {Kind::Same}; }
    static TabletRule size(int w, int h) { return {Kind::Size, 0, 0, w, h}; }
    // The salon room: phone positions become tablet positions through x * 2.1333334 and
    // y * 2.4 measured from the bottom of the screen.
    static TabletRule room(int w, int h, double offsetY = 0) {
        return {Kind::Scale, 1024.0 / 480.0, 2.4, w, h, 0, offsetY};
    }
};

struct ImageEntry {
    std::string group; // contact-sheet section
    std::string name; // file name in the bundle, extension included
    double width {0};
    double height {0};
    Draw draw;
    TabletRule tablet;
};

struct SheetEntry {
    std::string group;
    std::string name; // "<name>.png" and "<name>.plist"
    // The frames for the phone (false) or the tablet (true) set, in design units.
    std::function<std::vector<FrameSpec>(bool tablet)> frames;
    double tabletScale {2};
};

// The table of every picture the bundle holds. Each area adds its entries; the
// generator draws them all, for the phone and for the tablet.
class Catalog {
public:
    void image(std::string group, std::string name, double w, double h, Draw draw,
        TabletRule tablet = TabletRule::scale(2));
    void sheet(std::string group, std::string name,
        std::function<std::vector<FrameSpec>(bool tablet)> frames, double tabletScale = 2);

    std::vector<ImageEntry> const& images() const { return images_; }
    std::vector<SheetEntry> const& sheets() const { return sheets_; }

private:
    std::vector<ImageEntry> images_;
    std::vector<SheetEntry> sheets_;
};

void addSalonArt(Catalog&);
void addFurnitureArt(Catalog&);
void addCharacterArt(Catalog&);
void addInterfaceArt(Catalog&);
void addProgressionArt(Catalog&);
void addStoreArt(Catalog&);
void addEffectArt(Catalog&);
// Composed scenes for the contact sheet; their names begin with "preview/" and they
// stay out of the bundle.
void addPreviews(Catalog&);

// Everything, in the order the contact sheet shows it. Built once; later calls return
// the same catalogue.
Catalog const& fullCatalog();
ImageEntry const* findImage(std::string const& name);
// Draws a catalogued picture with its anchor (ax, ay, fractions of its size, y down) at
// (x, y) of the current user space, scaled by `scale`. Pictures may be composed of others
// this way (help pages, previews); nothing happens for an unknown name.
void drawImage(cairo_t*, std::string const& name, double x, double y, double ax = 0.5,
    double ay = 0.5, double scale = 1);

}
