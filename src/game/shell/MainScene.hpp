#pragma once

#include <base/WeakRef.hpp>
#include <engine/Scene.hpp>

namespace game {

class Interface;
class PathFindingSystem;

// The one scene the director runs. Made once, it loads the save values the title
// needs, puts the main layer (z 1) and the loading screen (z 3) on itself and
// runs the program-state machine every 1/60 s:
//
//   0 none (at launch), 1 loading, 2 main menu, 3 salon.
//
// A change asked for through nextProgramState that leaves state 0 or enters or
// leaves the salon passes through the loading screen, which releases the old
// state, loads the new one and sets curProgramState itself; any other change
// switches at once without releasing or loading anything. Main thread only.
class MainScene : public engine::Scene {
public:
    static base::Ref<MainScene> node();

    // The per-frame state machine.
    void update(float dt);

    Interface* getInterface() const;
    // One step of the path finder's queue.
    void updatePathFind();
    // Asks for the low-memory banner, shown once a state runs.
    void showMemoryWarning() { bShowMemoryWarning = true; }
    bool memoryWarningRequested() const { return bShowMemoryWarning; }

    static constexpr float updateInterval = 0.016666668f;

protected:
    friend base::Factory;
    MainScene();
    ~MainScene() override;

private:
    bool bShowMemoryWarning {false};
    // The path finder this scene made; a scene that goes after a newer one was made
    // leaves the newer one's in place. Weak, so that a newer finder made where the freed
    // one lay is never taken for this scene's.
    base::WeakRef<PathFindingSystem> pathFinder_;
};

}
