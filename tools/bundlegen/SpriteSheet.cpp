#include <bundlegen/SpriteSheet.hpp>

#include <algorithm>
#include <cmath>
#include <map>
#include <sstream>
#include <stdexcept>

namespace bundlegen {

SpriteSheet::SpriteSheet(std::string name, double scale)
    : name_(std::move(name))
    , scale_(scale) {
}

void SpriteSheet::add(FrameSpec frame) {
    frames_.push_back(std::move(frame));
}

SheetLayout SpriteSheet::layout() const {
    struct Box {
        size_t index;
        int w;
        int h;
    };
    std::vector<Box> boxes;
    std::map<std::string, int> seen;
    for (size_t i = 0; i < frames_.size(); ++i) {
        if (seen[frames_[i].name]++)
            throw std::runtime_error(name_ + ": frame name used twice: " + frames_[i].name);
        boxes.push_back({i, static_cast<int>(std::ceil(frames_[i].width * scale_)),
            static_cast<int>(std::ceil(frames_[i].height * scale_))});
    }
    std::stable_sort(
        boxes.begin(), boxes.end(), [](Box const& a, Box const& b) { return a.h > b.h; });

    SheetLayout best;
    int bestSide = maxSide + 1;
    for (int trial = 64; trial <= maxSide; trial += 16) {
        SheetLayout candidate;
        int x = padding;
        int y = padding;
        int shelf = 0;
        int usedWidth = 0;
        bool fits = true;
        for (Box const& box : boxes) {
            if (box.w + 2 * padding > trial) {
                fits = false;
                break;
            }
            if (x + box.w + padding > trial) {
                y += shelf + padding;
                x = padding;
                shelf = 0;
            }
            FrameSpec const& spec = frames_[box.index];
            candidate.frames.push_back({spec.name, x, y, box.w, box.h,
                static_cast<int>(std::lround(spec.offsetX * scale_)),
                static_cast<int>(std::lround(spec.offsetY * scale_))});
            x += box.w + padding;
            usedWidth = std::max(usedWidth, x);
            shelf = std::max(shelf, box.h);
        }
        int height = y + shelf + padding;
        if (!fits || height > maxSide)
            continue;
        candidate.width = usedWidth;
        candidate.height = height;
        int side = std::max(candidate.width, candidate.height);
        if (side < bestSide) {
            bestSide = side;
            best = std::move(candidate);
        }
    }
    if (bestSide > maxSide)
        throw std::runtime_error(name_ + ": frames do not fit in 1024 x 1024");
    std::sort(best.frames.begin(), best.frames.end(),
        [](PlacedFrame const& a, PlacedFrame const& b) { return a.name < b.name; });
    return best;
}

cairo_surface_t* SpriteSheet::render(SheetLayout const& layout) const {
    cairo_surface_t* surface
        = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, layout.width, layout.height);
    cairo_t* cr = cairo_create(surface);
    std::map<std::string, FrameSpec const*> byName;
    for (auto const& frame : frames_)
        byName[frame.name] = &frame;
    for (PlacedFrame const& placed : layout.frames) {
        cairo_save(cr);
        cairo_translate(cr, placed.x, placed.y);
        cairo_rectangle(cr, 0, 0, placed.width, placed.height);
        cairo_clip(cr);
        cairo_scale(cr, scale_, scale_);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        byName.at(placed.name)->draw(cr);
        cairo_restore(cr);
    }
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    return surface;
}

namespace {

std::string escaped(std::string const& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

}

std::string SpriteSheet::plistXml(SheetLayout const& layout) {
    std::ostringstream out;
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
           "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
           "<plist version=\"1.0\">\n<dict>\n\t<key>frames</key>\n\t<dict>\n";
    for (PlacedFrame const& f : layout.frames) {
        out << "\t\t<key>" << escaped(f.name) << "</key>\n\t\t<dict>\n";
        auto number = [&](char const* key, int value) {
            out << "\t\t\t<key>" << key << "</key>\n\t\t\t<integer>" << value << "</integer>\n";
        };
        number("x", f.x);
        number("y", f.y);
        number("width", f.width);
        number("height", f.height);
        number("offsetX", f.offsetX);
        number("offsetY", f.offsetY);
        out << "\t\t</dict>\n";
    }
    out << "\t</dict>\n\t<key>metadata</key>\n\t<dict>\n\t\t<key>size</key>\n\t\t<string>{"
        << layout.width << "," << layout.height << "}</string>\n\t</dict>\n</dict>\n</plist>\n";
    return out.str();
}

}
