#include <ui/MoviePlayerViewController.hpp>
#include <ui/View.hpp>

namespace ui {

base::Ref<MoviePlayerViewController> MoviePlayerViewController::create(std::string contentURL) {
    return base::make<MoviePlayerViewController>(std::move(contentURL));
}

MoviePlayerViewController::MoviePlayerViewController(std::string contentURL)
    : player_(MoviePlayerController::create(std::move(contentURL))) {
    player_->setControlStyle(MovieControlStyle::Fullscreen);
}

void MoviePlayerViewController::loadView() {
    ViewController::loadView();
    View* movie = player_->view();
    movie->setFrame(view()->bounds());
    view()->addSubview(base::Ref<View>(movie));
}

}
