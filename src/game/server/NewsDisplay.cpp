#include <game/server/NewsDisplay.hpp>

#include <game/interface/InterfaceSupport.hpp>
#include <game/shell/GameGlobals.hpp>
#include <game/shell/GraphicEngine.hpp>
#include <game/shell/MainLayer.hpp>
#include <game/shell/ServerConfig.hpp>
#include <game/shell/Utilities.hpp>

#include <engine/Label.hpp>
#include <engine/ScissorScope.hpp>
#include <engine/Sprite.hpp>
#include <foundation/Reachability.hpp>
#include <ui/Touch.hpp>

#include <graphics/GLES.hpp>

#include <cmath>

namespace game {

namespace {

constexpr engine::Color3B black {0, 0, 0};
constexpr float phoneFontSize = 18;

bool networkReachable() {
    return foundation::Reachability::reachabilityForInternetConnection()
               ->currentReachabilityStatus()
        != foundation::Reachability::NetworkStatus::NotReachable;
}

// Draws its children (the scrolling titles) with the scissor test on round the
// ticker's text window.
class ClipNode final : public engine::SceneNode {
public:
    void visit() override {
        engine::ScissorScope scissor(box.origin.x, box.origin.y, box.size.width, box.size.height);
        SceneNode::visit();
    }

    engine::Rect box;

private:
    friend base::Factory;
    ClipNode() = default;
};

}

base::Ref<NewsDisplay> NewsDisplay::node() {
    return base::make<NewsDisplay>();
}

std::string NewsDisplay::feedURL() {
    auto base = ServerConfig::productWebBaseURL();
    return base.empty() ? std::string() : base + "/appfeed.php";
}

NewsDisplay::NewsDisplay() {
    tablet_ = Utilities::isiPad();
    mBackground = GraphicEngine::createSprite("SocialNews.jpg", 0, 0, this, 0);
    if (mBackground)
        mBackground->setVisible(true);
    mFBButton = tablet_ ? GraphicEngine::createSprite("btn_icon_facebook.png", -456, 8, this, 1)
                        : GraphicEngine::createSprite("btn_icon_facebook.png", -211, 4, this, 1);
    if (mFBButton)
        mFBButton->setVisible(true);
    if (tablet_) {
        sx = 230, sy = 0, sw = 798, sh = 50;
    } else if (networkReachable()) {
        sx = 120, sy = 0, sw = 390, sh = 40;
    } else {
        sx = 90, sy = 0, sw = 420, sh = 40;
    }
    auto clip = base::make<ClipNode>();
    clip->box = clipBox();
    clip_ = clip;
    addChild(clip_, 3);
    setIsTouchEnabled(true);

    // The read runs on a thread of its own, so the main thread never waits on the
    // network.
    feedRead_ = serverkit::RSSFeedRead::start(feedURL());
    schedule(&NewsDisplay::initFirstItem, 1.0f);
}

NewsDisplay::~NewsDisplay() = default;

engine::Rect NewsDisplay::clipBox() const {
    return {{float(sx), float(sy)}, {float(sw), float(sh)}};
}

bool NewsDisplay::feedArrived() const {
    return feedRead_->items().has_value();
}

void NewsDisplay::initFirstItem(float) {
    if (!mNewsList)
        mNewsList = feedRead_->items();
    bool reachable = networkReachable();
    if (mNewsList && reachable) {
        unschedule(&NewsDisplay::initFirstItem);
        schedule(&NewsDisplay::update);
        buildFeedLabels();
    } else if (!reachable) {
        unschedule(&NewsDisplay::initFirstItem);
        schedule(&NewsDisplay::update);
        buildOfflineStrip();
    }
    mCurrentItemIndex = 0;
}

void NewsDisplay::buildFeedLabels() {
    float x = tablet_ ? 700 : 500;
    if (tablet_) {
        mNewsLabel = GraphicEngine::createLabel("News:", 0, -10, this, 2, 28);
        mNewsLabel->setPosition({mNewsLabel->getTextSize().width / 2 - 380, -10});
    } else {
        mNewsLabel = GraphicEngine::createLabel("News:", 0, -4, this, 2, 18);
        mNewsLabel->setPosition({mNewsLabel->getTextSize().width / 2 - 180, -4});
    }
    mNewsLabel->setVisible(true);
    for (auto const& item : *mNewsList)
        addScrollingLabel(item.title, x);
}

void NewsDisplay::buildOfflineStrip() {
    float x = tablet_ ? 700 : 500;
    mNewsLabel = GraphicEngine::createLabel("", 0, tablet_ ? -10 : -4, this, 2, tablet_ ? 28 : 18);
    mNewsLabel->setPosition({tablet_ ? -380.0f : -180.0f, tablet_ ? -10.0f : -4.0f});
    addScrollingLabel("No Internet Connection", x);
}

void NewsDisplay::addScrollingLabel(std::string const& text, float& x) {
    base::Ref<engine::Label> label;
    if (tablet_) {
        label = GraphicEngine::createLabel(text, 0, -10, clip_.get(), 3, 32);
        float width = textWidth(label.get());
        label->setPosition({x + width / 2, -10});
        x += width + 500;
    } else {
        label = engine::Label::labelWithString(text, GraphicEngine::labelFont, phoneFontSize);
        label->setAnchorPoint({0, 0.5f});
        label->setPosition({x, -4});
        clip_->addChild(label, 3);
        x += textWidth(label.get()) + 250;
    }
    label->setColor(black);
    label->setVisible(true);
    mLabelList.push_back(label);
}

float NewsDisplay::textWidth(engine::Label const* label) const {
    return label->getTextSize().width;
}

void NewsDisplay::update(float) {
    if (!visible() || mLabelList.empty())
        return;
    for (auto& label : mLabelList) {
        auto at = label->position();
        label->setPosition({at.x - 1, at.y});
    }
    // Labels that have left move behind the last one, in turn.
    while (!mLabelList.empty()) {
        auto first = mLabelList.front();
        float width = textWidth(first.get());
        float x = first->position().x;
        bool gone = tablet_ ? x < -512 - width / 2 : x < -250 - width;
        if (!gone)
            break;
        mLabelList.erase(mLabelList.begin());
        restart(first.get());
        mLabelList.push_back(first);
        if (mLabelList.size() == 1)
            break;
    }
}

void NewsDisplay::restart(engine::Label* label) {
    float width = textWidth(label);
    if (mLabelList.empty()) {
        if (tablet_)
            label->setPosition({width / 2 + 700, -10});
        else
            label->setPosition({500, -4});
        return;
    }
    auto* last = mLabelList.back().get();
    float lastWidth = textWidth(last);
    if (tablet_)
        label->setPosition(
            {last->position().x + lastWidth / 2 + 500 + width / 2, last->position().y});
    else
        label->setPosition({last->position().x + lastWidth + 250, last->position().y});
}

void NewsDisplay::visit() {
    if (position().y < 0)
        return;
    Layer::visit();
}

bool NewsDisplay::ccTouchesBegan(ui::TouchSet& touches, ui::Event*) {
    if (!visible())
        return false;
    auto* touch = touches.anyObject();
    if (!touch)
        return false;
    auto point = convertTouchToNodeSpace(touch);
    mIsTracking = false;
    auto base = ServerConfig::productWebBaseURL();

    if (mFBButton) {
        auto size = mFBButton->contentSize();
        auto at = mFBButton->position();
        if (std::fabs(point.x - at.x) <= size.width / 2
            && std::fabs(point.y - at.y) <= size.height / 2) {
            if (!GameGlobals::shared().mainLayer)
                return false;
            open(base + (tablet_ ? "/appfeed.php?fblink=1" : "/appfeed.php?fblink=1&iphone=1"));
            return true;
        }
    }
    for (auto const& label : mLabelList) {
        float width = textWidth(label.get());
        auto at = label->position();
        bool hit = tablet_
            ? std::fabs(point.x - at.x) <= width / 2 && std::fabs(point.y - at.y) <= 50
            : point.x >= at.x && point.x <= at.x + width && point.y < 25;
        if (!hit)
            continue;
        if (!mNewsList)
            return false;
        auto text = label->getText();
        for (auto const& item : *mNewsList) {
            if (item.title != text)
                continue;
            if (!GameGlobals::shared().mainLayer)
                return false;
            open(item.link);
            return true;
        }
        return false;
    }
    return false;
}

void NewsDisplay::open(std::string const& address) {
    GameGlobals::shared().mainLayer->showWebPage(address);
    interface_support::playSound("Click");
}

bool NewsDisplay::ccTouchesEnded(ui::TouchSet&, ui::Event*) {
    mIsTracking = false;
    return false;
}

void NewsDisplay::cleanup() {
    setIsTouchEnabled(false);
    unschedule(&NewsDisplay::update);
    Layer::cleanup();
}

}
