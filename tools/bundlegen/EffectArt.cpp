#include <bundlegen/Catalog.hpp>

namespace bundlegen {

void addEffectArt(Catalog&) { }

}
