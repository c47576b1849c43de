#pragma once

#include <serverkit/RSSParser.hpp>

#include <engine/Layer.hpp>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace engine {
class Label;
class Sprite;
}

namespace game {

// The news ticker: a strip on which the titles of the product's news feed scroll
// from right to left, 1 point a frame, behind a fixed "News:" heading, with a
// button that opens the product's social-network page. Tapping a title opens the
// link of the first feed item of that title in the game's browser.
//
// The feed ("/appfeed.php" on the product web server) is read on a worker thread of
// its own; the result is handed over under a lock and the main thread polls for it
// once a second. When the network is unreachable at a poll, an offline strip
// ("No Internet Connection") scrolls instead, and a feed that arrives later is not
// shown. Labels are made once and recycled, so no text is rendered while the
// ticker runs. The titles are clipped to the text window; nothing is drawn while
// the ticker's y is negative, so the interface hides it by moving it down.
// Main thread, except the feed's read.
class NewsDisplay : public engine::Layer {
public:
    static base::Ref<NewsDisplay> node();
    ~NewsDisplay() override;

    // The feed's address on the configured product web server; empty when none is
    // configured (nothing is read then).
    static std::string feedURL();

    // Polls for the feed and builds the labels once it is there (or the network is
    // gone); scheduled every second until then.
    void initFirstItem(float dt = 0);
    // Moves the labels; scheduled every frame once they are built.
    void update(float dt = 0);

    void visit() override;
    bool ccTouchesBegan(ui::TouchSet& touches, ui::Event* event) override;
    bool ccTouchesMoved(ui::TouchSet&, ui::Event*) override { return false; }
    bool ccTouchesEnded(ui::TouchSet& touches, ui::Event* event) override;
    void cleanup() override;

    // For the interface and tests.
    std::vector<serverkit::RSSItem> const* newsList() const {
        return mNewsList ? &*mNewsList : nullptr;
    }
    std::vector<base::Ref<engine::Label>> const& labels() const { return mLabelList; }
    engine::Label* heading() const { return mNewsLabel.get(); }
    engine::Sprite* button() const { return mFBButton.get(); }
    // The text window, in points of the screen from its bottom-left corner.
    engine::Rect clipBox() const;
    // The feed has been read on the worker thread (it may not be taken yet).
    bool feedArrived() const;

protected:
    friend base::Factory;
    NewsDisplay();

private:
    void buildFeedLabels();
    void buildOfflineStrip();
    void addScrollingLabel(std::string const& text, float& x);
    float textWidth(engine::Label const* label) const;
    void restart(engine::Label* label);
    void open(std::string const& address);

    // The feed being read off the main thread.
    std::shared_ptr<serverkit::RSSFeedRead> feedRead_;
    std::optional<std::vector<serverkit::RSSItem>> mNewsList;
    std::vector<base::Ref<engine::Label>> mLabelList;
    // Holds the scrolling labels and clips them to the text window.
    base::Ref<engine::SceneNode> clip_;
    base::Ref<engine::Sprite> mBackground;
    base::Ref<engine::Sprite> mFBButton;
    base::Ref<engine::Label> mNewsLabel;
    bool mIsTracking {false};
    int mCurrentItemIndex {0};
    bool tablet_ {false};
    int sx {0};
    int sy {0};
    int sw {0};
    int sh {0};
};

}
