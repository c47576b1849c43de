#include <bundlegen/Catalog.hpp>

namespace bundlegen {

void addProgressionArt(Catalog&) { }

}
