#include <bundlegen/Catalog.hpp>

namespace bundlegen {

void addStoreArt(Catalog&) { }

}
