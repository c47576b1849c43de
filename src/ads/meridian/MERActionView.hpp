#pragma once

#include <ads/meridian/MERProgress.hpp>
#include <base/Ref.hpp>
#include <ui/Label.hpp>
#include <ui/View.hpp>

#include <string>

namespace ads::meridian {

// A small centred panel with a progress bar and a text: dark, rounded, popping in
// from three times its size. One panel shows at a time: a new one removes the one
// before. Main thread only.
class MERActionView final : public ui::View {
public:
    // A new panel, already shown on view.
    static base::Ref<MERActionView> errorViewForView(ui::View& view, std::string const& text);
    static base::Ref<MERActionView> initForView(ui::View& view, std::string const& text);
    // Removes the current panel at once.
    static void removeCurrentView();
    // The panel shown now, if any.
    static MERActionView* current();
    ~MERActionView() override;

    // Fades out over 0.5 s, then goes.
    void removeView();
    ui::Label& textLabel();
    MERProgress& progress() const { return *spinner_; }
    void layoutSubviews() override;

private:
    base::Ref<ui::Label> textLabel_;
    base::Ref<MERProgress> spinner_;

    friend base::Factory;
    MERActionView();
};

}
