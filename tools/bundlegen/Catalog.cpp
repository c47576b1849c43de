#include <bundlegen/Catalog.hpp>

namespace bundlegen {

void Catalog::image(std::string group, std::string name, double w, double h, Draw draw,
    TabletRule tablet)
{
    images_.push_back({ std::move(group), std::move(name), w, h, std::move(draw), tablet });
}

void Catalog::sheet(std::string group, std::string name,
    std::function<std::vector<FrameSpec>(bool tablet)> frames, double tabletScale)
{
    sheets_.push_back({ std::move(group), std::move(name), std::move(frames), tabletScale });
}

Catalog fullCatalog()
{
    Catalog catalog;
    addSalonArt(catalog);
    addFurnitureArt(catalog);
    addCharacterArt(catalog);
    addEffectArt(catalog);
    addInterfaceArt(catalog);
    addProgressionArt(catalog);
    addStoreArt(catalog);
    addPreviews(catalog);
    return catalog;
}

}
