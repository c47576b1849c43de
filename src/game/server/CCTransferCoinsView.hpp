#pragma once

#include <game/server/CCTransferWheel.hpp>

#include <string>

namespace game {

// The coin transfer promotion's wheel: while the server runs the promotion (the
// "xfercoins" directive), the player turns coins into Vov Azavuz on a quadratic
// price curve, a limited number of times per promotion.
//
// Step n costs base x (n x scale)^2 coins and gives n x step Vov Azavuz; one turn of
// the dial is 10 steps. The settings come from the user default "xfercoins_datastore"
// ("active", "base", "scale", "step", "freq" and "uid"); the conversions made in a
// promotion are counted per uid under "xfercoins_runcount" followed by the uid. The
// promotion's state (active, conversions allowed, conversions made) is kept for the
// whole program, so that the other wheel can decide whether to offer this one.
//
// The interface slides it in from below and out again; it closes itself after a
// conversion. Phone layout on both devices: on the tablet, whose art is twice the
// size, the panel is drawn at half scale. Main thread only.
class CCTransferCoinsView final : public CCTransferWheel {
public:
    static base::Ref<CCTransferCoinsView> node();

    static constexpr char const* dataStoreKey = "xfercoins_datastore";
    static constexpr char const* runCountPrefix = "xfercoins_runcount";
    static constexpr char const* soldOutMessage = "Sorry coins to PP convertion is not available";

    // The run-count key of a promotion uid.
    static std::string runCountKey(int uid);

    // Reads the promotion's program-wide state from the user defaults: inactive and
    // no conversions allowed unless the store says otherwise; the conversions made
    // stay as they were when there is no store.
    static void loadStaticCachedValues();
    static bool active();
    static int max_usecount();
    static int usecount();

    // The defaults (base 10000, scale 1, step 10, uid 0), then the store's values for
    // the keys it holds, and the program-wide state.
    void loadCachedValues();

    int coinsForStep(int n) const override;
    int gamePointsForStep(int n) const override;
    int stepsForCoins(int coins) const override;

    bool ccTouchesBegan(ui::TouchSet& touches, ui::Event* event) override;

protected:
    int dialBalance() const override;
    void confirmConversion(int money, int gamePoints) override;

private:
    friend base::Factory;
    CCTransferCoinsView();
};

}
