#pragma once

#include <engine/SceneNode.hpp>

namespace engine {

// The root node of a screen; the director runs one at a time. Its transform
// anchor is the screen centre.
class Scene : public SceneNode {
public:
    static base::Ref<Scene> node();

protected:
    friend base::Factory;

    Scene();
};

// The base of the scene transitions. The director only asks whether a scene is
// one, when it swaps scenes; the transitions themselves are effects.
class TransitionScene : public Scene {
protected:
    friend base::Factory;

    TransitionScene() = default;
};

}
