#include <engine/DirectorServices.hpp>

namespace engine {

namespace {

class NoDirector final : public DirectorServices {
public:
    Size displaySize() const override { return {}; }
    int deviceOrientation() const override { return 1; }
    Point convertCoordinate(Point p) const override { return {p.x, 0 - p.y}; }
};

NoDirector const noDirector;
DirectorServices const* installed = nullptr;

}

DirectorServices const& DirectorServices::current() {
    return installed ? *installed : noDirector;
}

void DirectorServices::install(DirectorServices const* director) {
    installed = director;
}

}
