#include <bundlegen/Catalog.hpp>

namespace bundlegen {

void Catalog::image(
    std::string group, std::string name, double w, double h, Draw draw, TabletRule tablet) {
    images_.push_back({std::move(group), std::move(name), w, h, std::move(draw), tablet});
}

void Catalog::sheet(std::string group, std::string name,
    std::function<std::vector<FrameSpec>(bool tablet)> frames, double tabletScale) {
    sheets_.push_back({std::move(group), std::move(name), std::move(frames), tabletScale});
}

Catalog const& fullCatalog() {
    static Catalog const catalog = [] {
        Catalog all;
        addSalonArt(all);
        addFurnitureArt(all);
        addCharacterArt(all);
        addEffectArt(all);
        addInterfaceArt(all);
        addProgressionArt(all);
        addStoreArt(all);
        addPreviews(all);
        return all;
    }();
    return catalog;
}

ImageEntry const* findImage(std::string const& name) {
    for (auto const& e : fullCatalog().images())
        if (e.name == name)
            return &e;
    return nullptr;
}

void drawImage(
    cairo_t* cr, std::string const& name, double x, double y, double ax, double ay, double scale) {
    ImageEntry const* e = findImage(name);
    if (!e)
        return;
    cairo_save(cr);
    cairo_translate(cr, x - e->width * ax * scale, y - e->height * ay * scale);
    cairo_scale(cr, scale, scale);
    e->draw(cr, e->width, e->height);
    cairo_restore(cr);
}

}
