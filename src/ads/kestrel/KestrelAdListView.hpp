#pragma once

#include <graphics/Geometry.hpp>
#include <ui/View.hpp>

#include <base/Ref.hpp>
#include <base/WeakRef.hpp>

namespace ads::kestrel {

// The sliding panel of further ads under the catalog canvas's web view. The user drags
// it between two limits (upper: fully open, lower: closed) or taps it to flip it from
// one to the other; the web view above it (not retained) grows or shrinks with it, so
// it always ends where the panel begins. Main thread only.
class KestrelAdListView final : public ui::View {
public:
    static base::Ref<KestrelAdListView> create(graphics::Rect frame = {});

    // Moves the panel by dy, kept between the limits.
    void dragByYDisplacement(float dy);
    void dragToYPosition(float y);
    // Adds dy to the web view's height.
    void updateWebViewFrame(float dy);

    void touchesBegan(ui::TouchSet const& touches, ui::Event* event) override;
    void touchesMoved(ui::TouchSet const& touches, ui::Event* event) override;
    void touchesEnded(ui::TouchSet const& touches, ui::Event* event) override;
    void touchesCancelled(ui::TouchSet const& touches, ui::Event* event) override;

    ui::View* webView() const { return webView_.get(); }
    void setWebView(ui::View* view) { webView_ = view; }
    int upperLocationLimit() const { return upperLocationLimit_; }
    void setUpperLocationLimit(int limit) { upperLocationLimit_ = limit; }
    int lowerLocationLimit() const { return lowerLocationLimit_; }
    void setLowerLocationLimit(int limit) { lowerLocationLimit_ = limit; }

private:
    friend base::Factory;
    explicit KestrelAdListView(graphics::Rect frame);

    graphics::Point locationOf(ui::TouchSet const& touches) const;

    graphics::Point _lastLocation;
    bool _dragInProgress {false};
    int upperLocationLimit_ {0};
    int lowerLocationLimit_ {0};
    base::WeakRef<ui::View> webView_;
};

}
