#include <ads/howdy/HowdySceneSDK.hpp>

#include <ui/View.hpp>

namespace ads::howdy {

namespace {

HowdyDirector* installedDirector = nullptr;

}

HowdySDK* HowdySceneSDK::startHowdyWithAppId(std::string const& appId) {
    return install(base::make<HowdySceneSDK>(appId, appURLSchema()));
}

HowdySDK* HowdySceneSDK::startHowdyWithAppId(
    std::string const& appId, std::optional<std::string> const& appURL) {
    return install(base::make<HowdySceneSDK>(appId, appURL));
}

void HowdySceneSDK::setDirector(HowdyDirector* director) {
    installedDirector = director;
}

HowdyDirector* HowdySceneSDK::director() {
    return installedDirector;
}

bool HowdySceneSDK::addHowdyAsSubview(base::Ref<ui::View> const& view) {
    auto* glView = installedDirector ? installedDirector->openGLView() : nullptr;
    if (!glView)
        return false;
    glView->addSubview(view);
    return true;
}

void HowdySceneSDK::howdyWillAppear(bool) {
    if (installedDirector)
        installedDirector->pause();
}

void HowdySceneSDK::howdyWillDisappear(bool) {
    if (installedDirector)
        installedDirector->resume();
}

void HowdySceneSDK::howdyDidDisappear(bool) {
    if (installedDirector)
        installedDirector->resume();
}

}
