#include <game/store/StoreItem.hpp>

#include <game/interface/InterfaceSupport.hpp>
#include <game/shell/GraphicEngine.hpp>
#include <game/shell/Utilities.hpp>

#include <engine/Label.hpp>
#include <engine/Sprite.hpp>
#include <foundation/Bundle.hpp>

namespace game {

base::Ref<StoreItem> StoreItem::initWithID(int index, base::Dictionary const& params) {
    return base::make<StoreItem>(index, params);
}

std::optional<std::string> StoreItem::thumbnailFile(base::Dictionary const& item) {
    bool button = item.objectForKey("type").stringValue() == updateButtonType;
    std::string file = button ? updateButtonImage : [&] {
        auto* data = item.objectForKey("data").dictionary();
        return data ? data->objectForKey("thumb").stringValue() : std::string();
    }();
    auto const& uid = item.objectForKey("uid");
    if (uid.isNull() || uid.stringValue().find("dlc") != std::string::npos)
        return Utilities::getPathForSavedData(file);
    return file;
}

StoreItem::StoreItem(int index, base::Dictionary const& params)
    : mItemID(index)
    , mItemData(params.copy()) {
    bool pad = Utilities::isiPad();
    // A downloaded name that would leave the data folder shows an empty thumbnail,
    // which still takes taps.
    auto file = thumbnailFile(*mItemData);
    mThumbnail = GraphicEngine::createSprite(file.value_or(std::string()), 0, 0, nullptr, 0);
    if (isUpdateButton()) {
        auto size = mThumbnail->contentSize();
        auto label = engine::Label::labelWithString(
            foundation::Bundle::mainBundle().localizedString("More Themes"), size,
            engine::TextAlignment::Center, GraphicEngine::labelFont, pad ? 48 : 24);
        label->setColor(interface_support::white);
        label->setPosition({label->contentSize().width / 2, -0.1f * size.height});
        label->setVisible(true);
        mThumbnail->addChild(label, 0);
    }
    mThumbnail->setVisible(true);
    addChild(mThumbnail, 0);
}

bool StoreItem::isUpdateButton() const {
    return mItemData->objectForKey("type").stringValue() == updateButtonType;
}

void StoreItem::setItemState(int state) {
    if (mIcon) {
        removeChild(mIcon.get(), engine::Cleanup::Yes);
        mIcon = nullptr;
    }
    if (isUpdateButton())
        return;
    char const* file = state == 2 ? inUseBadge : state == 0 ? lockBadge : nullptr;
    if (file) {
        bool pad = Utilities::isiPad();
        mIcon = GraphicEngine::createSprite(
            file, pad ? -233.0f : -133.0f, pad ? -180.0f : -100.0f, this, 1);
        mIcon->setVisible(true);
    }
    mItemState = state;
}

void StoreItem::cleanup() {
    if (mIcon)
        removeChild(mIcon.get(), engine::Cleanup::Yes);
    if (mThumbnail)
        removeChild(mThumbnail.get(), engine::Cleanup::Yes);
    SceneNode::cleanup();
}

}
