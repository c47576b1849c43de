#include <bundlegen/Sound.hpp>

namespace bundlegen {

std::vector<SoundEntry> soundCatalog() { return {}; }
void writeSound(std::string const&, std::vector<float> const&) { }
std::vector<FontEntry> fontCatalog() { return {}; }

}
