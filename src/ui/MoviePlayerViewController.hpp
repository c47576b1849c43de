#pragma once

#include <ui/MoviePlayerController.hpp>
#include <ui/ViewController.hpp>

namespace ui {

// A controller whose view shows a movie player full size: the way a movie is put
// on the screen as a screen of its own. Its player is made with it and shows no
// controls unless told to; it turns to every orientation. Main thread only.
class MoviePlayerViewController : public ViewController {
public:
    // initWithContentURL:.
    static base::Ref<MoviePlayerViewController> create(std::string contentURL);

    MoviePlayerController* moviePlayer() const { return player_.get(); }

    void loadView() override;
    bool shouldAutorotateToInterfaceOrientation(InterfaceOrientation) override { return true; }

private:
    base::Ref<MoviePlayerController> player_;

    friend base::Factory;

    explicit MoviePlayerViewController(std::string contentURL);
};

}
