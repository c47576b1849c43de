#pragma once

#include <engine/SceneNode.hpp>
#include <game/interface/Interface.hpp>

#include <optional>
#include <string>
#include <vector>

namespace test {

// The interface with recording stand-ins for the panels that other parts of the
// game make: the theme store. The two transfer panels are the real ones, counted as
// they are made.
class RecordingPanelsInterface final : public game::Interface {
public:
    int storesMade {0};
    int coinViewsMade {0};
    int ppViewsMade {0};

protected:
    base::Ref<engine::SceneNode> makeStoreDisplay() override {
        ++storesMade;
        return engine::SceneNode::node();
    }
    base::Ref<engine::SceneNode> makeTransferCoinsView() override {
        ++coinViewsMade;
        return Interface::makeTransferCoinsView();
    }
    base::Ref<engine::SceneNode> makeTransferPPView() override {
        ++ppViewsMade;
        return Interface::makeTransferPPView();
    }

private:
    friend base::Factory;
    explicit RecordingPanelsInterface(game::MainLayer* layer)
        : Interface(layer) { }
};

}
