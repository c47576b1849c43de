#pragma once

#include "AdnoriaTestSupport.hpp"

#include <ads/adnoria/ADNObjectPrivate.hpp>

#include <support/LoopbackServer.hpp>
#include <support/ScriptedWebView.hpp>
#include <ui/ViewController.hpp>

#include <string>

namespace test {

// Loopback script and ad servers set up as the client's hosts, scripted web views
// for every page, an active application and a root view controller: a controller's
// load can be played from the script page to the ad.
class AdnoriaServerTest : public AdnoriaTest {
public:
    static constexpr char const* Script
        = "function ANMA_buildAdURL(p){location='anmsg:///loadAdURL';}";

protected:
    AdnoriaServerTest();

    // Waits until the URL-building page has loaded in the hidden web view.
    ScriptedWebView* waitForBuildPage(ads::adnoria::ADNObjectPrivate& controller);
    // Plays the script: the page answers with the ad URL on the ad server.
    void answerAdURL(
        ads::adnoria::ADNObjectPrivate& controller, std::string const& path, char const* type);
    bool waitForState(ads::adnoria::ADNObjectPrivate& controller, int state);
    static std::size_t requestsTo(LoopbackServer const& server, std::string const& path);

    LoopbackServer scripts;
    LoopbackServer ads;
    base::Ref<ui::ViewController> root = ui::ViewController::create();
};

}
