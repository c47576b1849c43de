#include <base/Log.hpp>
#include <engine/Action.hpp>

namespace engine {

void Action::step(float) {
    base::logLine("[Action step]. override me");
}

void Action::update(float) {
    base::logLine("[Action update]. override me");
}

}
