#include <bundlegen/Catalog.hpp>

namespace bundlegen {

void addInterfaceArt(Catalog&) { }

}
