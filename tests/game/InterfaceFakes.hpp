#pragma once

#include <engine/SceneNode.hpp>
#include <game/interface/Interface.hpp>

#include <optional>
#include <string>
#include <vector>

namespace test {

// The interface with recording stand-ins for the panels that other parts of the
// game make: the theme store and the server's pony-day handler and popup. The two
// transfer panels are the real ones, counted as they are made.
class RecordingPanelsInterface final : public game::Interface {
public:
    struct PonyPopup {
        std::string text;
        engine::SceneNode* parent;
        int z;
    };

    std::optional<std::string> message;
    std::vector<PonyPopup> ponyPopups;
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
    std::optional<std::string> ponyDayMessage() override { return message; }
    base::Ref<engine::SceneNode> showPonyDayPopupWithText(
        std::string const& text, engine::SceneNode* parent, int z) override {
        ponyPopups.push_back({text, parent, z});
        auto popup = engine::SceneNode::node();
        if (parent)
            parent->addChild(popup, z);
        return popup;
    }

private:
    friend base::Factory;
    explicit RecordingPanelsInterface(game::MainLayer* layer)
        : Interface(layer) { }
};

}
