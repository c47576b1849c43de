#include <bundlegen/Canvas.hpp>
#include <bundlegen/Catalog.hpp>
#include <bundlegen/Generator.hpp>
#include <bundlegen/Paint.hpp>
#include <bundlegen/Sound.hpp>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace fs = std::filesystem;

namespace bundlegen {

namespace {

constexpr int thumbWidth = 124;
constexpr int thumbHeight = 86;
constexpr int cellWidth = 132;
constexpr int cellHeight = 112;

struct ManifestLine {
    std::string folder; // "phone" or "tablet"
    std::string kind;
    std::string name;
    int width {0};
    int height {0};
    std::string detail;
};

struct SurfaceDeleter {
    void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
using SurfacePtr = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;

struct Thumb {
    size_t order;
    std::string group;
    std::string label;
    SurfacePtr surface;
};

struct Results {
    std::mutex mutex;
    std::vector<ManifestLine> lines;
    std::vector<Thumb> thumbs;
    std::vector<std::string> failures;

    void add(ManifestLine line) {
        std::lock_guard lock(mutex);
        lines.push_back(std::move(line));
    }
    void addThumb(Thumb thumb) {
        std::lock_guard lock(mutex);
        thumbs.push_back(std::move(thumb));
    }
    void fail(std::string what) {
        std::lock_guard lock(mutex);
        failures.push_back(std::move(what));
    }
};

bool isJpeg(std::string const& name) {
    auto dot = name.rfind('.');
    if (dot == std::string::npos)
        return false;
    std::string ext = name.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(), ::tolower);
    return ext == "jpg" || ext == "jpeg";
}

void checkSide(std::string const& name, int w, int h) {
    if (w < 1 || h < 1 || w > 1024 || h > 1024)
        throw std::runtime_error(name + ": size " + std::to_string(w) + " x " + std::to_string(h)
            + " is outside 1 .. 1024");
}

void save(Canvas const& canvas, fs::path const& path) {
    fs::create_directories(path.parent_path());
    if (isJpeg(path.filename().string()))
        canvas.saveJpeg(path.string(), 90);
    else
        canvas.savePng(path.string());
}

void checker(cairo_t* cr, int w, int h) {
    for (int y = 0; y < h; y += 8)
        for (int x = 0; x < w; x += 8) {
            bool light = ((x / 8) + (y / 8)) % 2 == 0;
            cairo_set_source_rgb(cr, light ? 0.93 : 0.86, light ? 0.91 : 0.84, light ? 0.9 : 0.83);
            cairo_rectangle(cr, x, y, 8, 8);
            cairo_fill(cr);
        }
}

SurfacePtr thumbnail(cairo_surface_t* source) {
    int sw = cairo_image_surface_get_width(source);
    int sh = cairo_image_surface_get_height(source);
    SurfacePtr thumb(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, thumbWidth, thumbHeight));
    cairo_t* cr = cairo_create(thumb.get());
    checker(cr, thumbWidth, thumbHeight);
    double k = std::min({double(thumbWidth) / sw, double(thumbHeight) / sh, 2.0});
    cairo_translate(cr, (thumbWidth - sw * k) / 2, (thumbHeight - sh * k) / 2);
    cairo_scale(cr, k, k);
    cairo_set_source_surface(cr, source, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
    cairo_paint(cr);
    cairo_destroy(cr);
    return thumb;
}

std::string sizeText(int w, int h) {
    return std::to_string(w) + "x" + std::to_string(h);
}

class Pool {
public:
    explicit Pool(int jobs)
        : jobs_(jobs > 0 ? jobs : std::max(1u, std::thread::hardware_concurrency())) { }
    void add(std::function<void()> job) { work_.push_back(std::move(job)); }
    void run() {
        std::atomic<size_t> next {0};
        std::vector<std::thread> threads;
        for (int i = 0; i < jobs_; ++i)
            threads.emplace_back([&] {
                for (size_t n; (n = next++) < work_.size();)
                    work_[n]();
            });
        for (auto& t : threads)
            t.join();
    }

private:
    int jobs_;
    std::vector<std::function<void()>> work_;
};

void renderImage(ImageEntry const& e, size_t order, fs::path const& phone, fs::path const& tablet,
    fs::path const& previews, Results& results) {
    int pw = static_cast<int>(std::ceil(e.width - 1e-6));
    int ph = static_cast<int>(std::ceil(e.height - 1e-6));
    checkSide(e.name, pw, ph);
    Canvas canvas(pw, ph);
    e.draw(canvas.cr(), e.width, e.height);
    if (e.name.rfind("preview/", 0) == 0) {
        if (!previews.empty())
            save(canvas, previews / e.name.substr(8));
        results.addThumb({order, e.group, e.name.substr(8), thumbnail(canvas.surface())});
        return;
    }
    save(canvas, phone / e.name);
    std::string kind = isJpeg(e.name) ? "jpeg" : "image";
    results.add({"phone", kind, e.name, pw, ph, ""});
    results.addThumb(
        {order, e.group, e.name + "  " + sizeText(pw, ph), thumbnail(canvas.surface())});

    TabletRule const& rule = e.tablet;
    if (rule.kind == TabletRule::Kind::Same) {
        save(canvas, tablet / e.name);
        results.add({"tablet", kind, e.name, pw, ph, "same as phone"});
        return;
    }
    int tw = rule.width;
    int th = rule.height;
    double sx = rule.scaleX;
    double sy = rule.scaleY;
    if (rule.kind == TabletRule::Kind::Size) {
        sx = tw / e.width;
        sy = th / e.height;
    } else if (tw == 0 || th == 0) {
        tw = static_cast<int>(std::ceil(e.width * sx - 1e-6));
        th = static_cast<int>(std::ceil(e.height * sy - 1e-6));
    }
    checkSide(e.name + " (tablet)", tw, th);
    Canvas big(tw, th, sx, sy, rule.offsetX, rule.offsetY);
    e.draw(big.cr(), e.width, e.height);
    save(big, tablet / e.name);
    results.add({"tablet", kind, e.name, tw, th, ""});
}

void renderSheet(
    SheetEntry const& e, size_t order, fs::path const& dir, bool tablet, Results& results) {
    SpriteSheet sheet(e.name, tablet ? e.tabletScale : 1.0);
    for (FrameSpec& frame : e.frames(tablet))
        sheet.add(std::move(frame));
    SheetLayout layout = sheet.layout();
    checkSide(e.name, layout.width, layout.height);
    SurfacePtr surface(sheet.render(layout));
    fs::create_directories(dir);
    std::string png = (dir / (e.name + ".png")).string();
    if (cairo_surface_write_to_png(surface.get(), png.c_str()) != CAIRO_STATUS_SUCCESS)
        throw std::runtime_error("cannot write " + png);
    std::ofstream plist(dir / (e.name + ".plist"), std::ios::binary);
    plist << SpriteSheet::plistXml(layout);
    if (!plist)
        throw std::runtime_error("cannot write " + e.name + ".plist");
    std::string folder = tablet ? "tablet" : "phone";
    std::string detail = "frames=" + std::to_string(layout.frames.size());
    results.add({folder, "sheet", e.name + ".png", layout.width, layout.height, detail});
    results.add({folder, "plist", e.name + ".plist", 0, 0, detail});
    if (!tablet)
        results.addThumb(
            {order, e.group, e.name + ".png  " + std::to_string(layout.frames.size()) + " frames",
                thumbnail(surface.get())});
}

void removeStale(fs::path const& dir, std::set<std::string> const& keep) {
    std::ifstream old(dir / "manifest.txt");
    std::string line;
    while (std::getline(old, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        std::string kind;
        std::string name;
        std::getline(fields, kind, '\t');
        std::getline(fields, name, '\t');
        // Only plain names inside the folder are ever removed.
        if (name.empty() || keep.count(name) || name.find("..") != std::string::npos
            || fs::path(name).is_absolute())
            continue;
        std::error_code ignored;
        fs::remove(dir / name, ignored);
    }
}

void writeManifest(fs::path const& dir, std::string const& folder,
    std::vector<ManifestLine> const& lines, bool complete) {
    std::set<std::string> names;
    std::vector<ManifestLine const*> mine;
    for (auto const& line : lines)
        if (line.folder == folder) {
            mine.push_back(&line);
            names.insert(line.name);
        }
    // Only a complete run knows every file it owns; a partial one keeps the old files.
    if (complete)
        removeStale(dir, names);
    std::sort(
        mine.begin(), mine.end(), [](auto const* a, auto const* b) { return a->name < b->name; });
    std::ofstream out(dir / "manifest.txt");
    out << "# Generated by bundlegen. kind<TAB>name<TAB>width<TAB>height<TAB>detail\n";
    for (auto const* line : mine)
        out << line->kind << '\t' << line->name << '\t' << line->width << '\t' << line->height
            << '\t' << line->detail << '\n';
}

void drawCells(cairo_t* cr, std::vector<Thumb const*> const& thumbs, int columns, int originY) {
    int column = 0;
    int y = originY;
    std::string group;
    for (Thumb const* t : thumbs) {
        if (t->group != group) {
            if (column != 0)
                y += cellHeight;
            column = 0;
            group = t->group;
            cairo_set_source_rgb(cr, 0.36, 0.23, 0.16);
            cairo_rectangle(cr, 0, y, columns * cellWidth, 22);
            cairo_fill(cr);
            paint::text(cr, group, 8, y + 16, 15, palette::cream, palette::outline, 0,
                paint::Align::Left, paint::Font::Sans);
            y += 26;
        }
        int x = column * cellWidth;
        cairo_set_source_surface(cr, t->surface.get(), x + 4, y + 2);
        cairo_paint(cr);
        std::string label = t->label;
        if (label.size() > 30)
            label = label.substr(0, 29) + "~";
        paint::text(cr, label, x + cellWidth / 2.0, y + thumbHeight + 14, 8.5, palette::ink,
            palette::outline, 0, paint::Align::Center, paint::Font::Sans);
        if (++column == columns) {
            column = 0;
            y += cellHeight;
        }
    }
}

int sheetHeight(std::vector<Thumb const*> const& thumbs, int columns) {
    int column = 0;
    int y = 0;
    std::string group;
    for (Thumb const* t : thumbs) {
        if (t->group != group) {
            if (column != 0)
                y += cellHeight;
            column = 0;
            group = t->group;
            y += 26;
        }
        if (++column == columns) {
            column = 0;
            y += cellHeight;
        }
    }
    return y + (column ? cellHeight : 0) + 4;
}

void writeSheet(std::vector<Thumb const*> const& thumbs, int columns, std::string const& path,
    std::string const& title) {
    int titleHeight = title.empty() ? 0 : 34;
    int w = columns * cellWidth;
    int h = sheetHeight(thumbs, columns) + titleHeight;
    SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h));
    cairo_t* cr = cairo_create(surface.get());
    cairo_set_source_rgb(cr, 1.0, 0.976, 0.94);
    cairo_paint(cr);
    if (!title.empty())
        paint::text(cr, title, 10, 25, 20, palette::ink, palette::outline, 0, paint::Align::Left,
            paint::Font::Rounded);
    drawCells(cr, thumbs, columns, titleHeight);
    cairo_destroy(cr);
    if (cairo_surface_write_to_png(surface.get(), path.c_str()) != CAIRO_STATUS_SUCCESS)
        throw std::runtime_error("cannot write " + path);
}

void writeContactSheets(std::vector<Thumb>& thumbs, std::string const& path) {
    // Catalogue order, with each group kept together where it first appears.
    std::map<std::string, size_t> firstOfGroup;
    for (auto const& t : thumbs) {
        auto it = firstOfGroup.find(t.group);
        if (it == firstOfGroup.end() || t.order < it->second)
            firstOfGroup[t.group] = t.order;
    }
    std::stable_sort(thumbs.begin(), thumbs.end(), [&](Thumb const& a, Thumb const& b) {
        size_t ga = firstOfGroup[a.group];
        size_t gb = firstOfGroup[b.group];
        return ga != gb ? ga < gb : a.order < b.order;
    });
    std::vector<Thumb const*> all;
    std::map<std::string, std::vector<Thumb const*>> byGroup;
    std::vector<std::string> groups;
    for (auto const& t : thumbs) {
        all.push_back(&t);
        if (!byGroup.count(t.group))
            groups.push_back(t.group);
        byGroup[t.group].push_back(&t);
    }
    fs::path sheetPath(path);
    if (sheetPath.has_parent_path())
        fs::create_directories(sheetPath.parent_path());
    writeSheet(all, 24, path, "Quillaby bundle: " + std::to_string(all.size()) + " pictures");
    // One page per group, readable at full size.
    fs::path pages = sheetPath.parent_path() / "contact-sheet";
    fs::create_directories(pages);
    int number = 1;
    for (auto const& group : groups) {
        auto const& items = byGroup[group];
        for (size_t start = 0; start < items.size(); start += 48) {
            std::vector<Thumb const*> page(items.begin() + static_cast<long>(start),
                items.begin() + static_cast<long>(std::min(items.size(), start + 48)));
            char file[32];
            std::snprintf(file, sizeof file, "page-%02d.png", number++);
            writeSheet(page, 8, (pages / file).string(), group);
        }
    }
}

}

Generator::Generator(Options options)
    : options_(std::move(options)) {
}

int Generator::run() {
    paint::loadFonts();
    fs::path phone(options_.bundleDir);
    fs::path tablet(options_.tabletDir);
    fs::create_directories(phone);
    fs::create_directories(tablet);

    Results results;
    Pool pool(options_.jobs);
    auto guarded = [&results](std::string what, std::function<void()> job) {
        return [&results, what, job] {
            try {
                job();
            } catch (std::exception const& error) {
                results.fail(what + ": " + error.what());
            }
        };
    };

    Catalog const& catalog = fullCatalog();
    fs::path previews;
    if (!options_.contactSheet.empty())
        previews = fs::path(options_.contactSheet).parent_path() / "contact-sheet";
    std::vector<SoundEntry> sounds = soundCatalog();
    // Long jobs first, so the pool ends evenly.
    if (options_.sounds)
        for (auto const& sound : sounds)
            if (sound.kind == "music")
                pool.add(guarded(sound.name, [&, sound] {
                    auto samples = sound.synthesize();
                    writeSound((phone / sound.name).string(), samples);
                    char detail[48];
                    std::snprintf(
                        detail, sizeof detail, "seconds=%.2f", double(samples.size()) / soundRate);
                    results.add({"phone", sound.kind, sound.name, 0, 0, detail});
                }));
    size_t order = 0;
    if (options_.pictures) {
        for (auto const& sheet : catalog.sheets()) {
            size_t n = order++;
            pool.add(guarded(sheet.name, [&, n] { renderSheet(sheet, n, phone, false, results); }));
            pool.add(guarded(
                sheet.name + " (tablet)", [&] { renderSheet(sheet, 0, tablet, true, results); }));
        }
        for (auto const& image : catalog.images()) {
            size_t n = order++;
            pool.add(guarded(
                image.name, [&, n] { renderImage(image, n, phone, tablet, previews, results); }));
        }
    }
    if (options_.sounds) {
        for (auto const& sound : sounds)
            if (sound.kind != "music")
                pool.add(guarded(sound.name, [&, sound] {
                    auto samples = sound.synthesize();
                    writeSound((phone / sound.name).string(), samples);
                    char detail[48];
                    std::snprintf(
                        detail, sizeof detail, "seconds=%.2f", double(samples.size()) / soundRate);
                    results.add({"phone", sound.kind, sound.name, 0, 0, detail});
                }));
        for (auto const& font : fontCatalog())
            pool.add(guarded(font.name, [&, font] {
                for (auto const& source : font.sources)
                    if (fs::exists(source)) {
                        fs::copy_file(
                            source, phone / font.name, fs::copy_options::overwrite_existing);
                        results.add({"phone", "font", font.name, 0, 0,
                            fs::path(source).filename().string()});
                        return;
                    }
                throw std::runtime_error("no source font installed (tools/install-deps.sh)");
            }));
    }
    pool.run();

    for (auto const& failure : results.failures)
        std::fprintf(stderr, "bundlegen: %s\n", failure.c_str());
    if (results.failures.empty()) {
        bool complete = options_.pictures && options_.sounds;
        writeManifest(phone, "phone", results.lines, complete);
        writeManifest(tablet, "tablet", results.lines, complete);
        if (!options_.contactSheet.empty() && options_.pictures)
            writeContactSheets(results.thumbs, options_.contactSheet);
    }
    size_t images = 0;
    size_t sheets = 0;
    size_t soundCount = 0;
    for (auto const& line : results.lines) {
        if (line.folder != "phone")
            continue;
        images += line.kind == "image" || line.kind == "jpeg";
        sheets += line.kind == "sheet";
        soundCount += line.kind == "sound" || line.kind == "music";
    }
    std::printf("bundlegen: %zu pictures, %zu sprite sheets, %zu sounds per set; %zu failures\n",
        images, sheets, soundCount, results.failures.size());
    paint::releaseFonts();
    return static_cast<int>(results.failures.size());
}

}
