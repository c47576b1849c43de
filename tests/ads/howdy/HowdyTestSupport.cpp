#include "HowdyTestSupport.hpp"

#include <foundation/Bundle.hpp>
#include <foundation/RunLoop.hpp>
#include <foundation/Strings.hpp>
#include <ui/Animator.hpp>
#include <ui/Application.hpp>
#include <ui/Device.hpp>
#include <ui/Image.hpp>
#include <ui/Screen.hpp>

#include <algorithm>
#include <fstream>

namespace test {

namespace {

char const* const infoPlist = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<dict>
	<key>CFBundleName</key>
	<string>Quillaby</string>
	<key>CFBundleIconFile</key>
	<string>Icon.png</string>
	<key>CFBundleURLTypes</key>
	<array>
		<dict>
			<key>CFBundleURLName</key>
			<string>no scheme here</string>
		</dict>
		<dict>
			<key>CFBundleURLSchemes</key>
			<array>
				<string>quillaby</string>
				<string>other</string>
			</array>
		</dict>
	</array>
</dict>
</plist>
)";

}

HowdyTest::HowdyTest() {
    ui::Application::reset();
    ui::Animator::reset();
    ui::Screen::reset();
    ui::Device::reset();
    ui::Image::purgeCache();
    std::ofstream(bundle / "Info.plist") << infoPlist;
    foundation::Bundle::setMainBundlePath(bundle.path().string());
    service.route("GET", "/mobile/track_sdk_event", HttpResponse::text("ok"));
    ads::howdy::HowdyConfiguration::setUp({service.baseURL(), "store.example", "install-42"});
    window = ui::Window::create({0, 0, 480, 320});
    window->makeKeyAndVisible();
}

HowdyTest::~HowdyTest() {
    ads::howdy::HowdySDK::resetSharedSDK();
    ads::howdy::HowdyConfiguration::reset();
    window = nullptr;
    ui::Animator::reset();
    ui::Application::reset();
    ui::Device::reset();
    ui::Image::purgeCache();
    foundation::RunLoop::main().reset();
    foundation::Bundle::setMainBundlePath({});
}

void HowdyTest::installCompanion(bool installed) {
    ui::Application::sharedApplication().setCanOpenScheme("howdy", installed);
}

void HowdyTest::advance(double seconds) {
    // In steps, so that an animation started when another ends runs in the same span.
    for (double left = seconds; left > 1e-9; left -= 0.05) {
        clock->advance(std::min(left, 0.05));
        foundation::RunLoop::main().runUntil([] { return false; }, 0.001);
    }
}

bool HowdyTest::waitForEvents(std::size_t count) {
    return foundation::RunLoop::main().runUntil(
        [&] { return service.requestCount() >= count; }, 10);
}

std::vector<std::string> HowdyTest::events(std::size_t count) {
    EXPECT_TRUE(waitForEvents(count));
    std::vector<std::string> types;
    for (auto const& request : service.requests()) {
        auto query = request.query;
        auto at = query.find("type=");
        auto end = query.find('&', at);
        types.push_back(
            foundation::replacingPercentEscapes(query.substr(at + 5, end - at - 5)).value_or(""));
    }
    std::sort(types.begin(), types.end());
    return types;
}

ads::howdy::HZExplainScreenView* HowdyTest::explainScreen() const {
    for (auto const& view : window->subviews()) {
        if (view->tag() == ads::howdy::HZExplainScreenView::Tag)
            return dynamic_cast<ads::howdy::HZExplainScreenView*>(view.get());
    }
    return nullptr;
}

std::vector<std::string> const& HowdyTest::opened() {
    return ui::Application::sharedApplication().openedExternalURLs();
}

}
