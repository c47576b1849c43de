#include <game/progression/AchievementSystem.hpp>

#include <base/SharedInstance.hpp>
#include <foundation/Bundle.hpp>
#include <foundation/Format.hpp>
#include <foundation/PropertyList.hpp>
#include <game/shell/DataManager.hpp>
#include <game/shell/GameCenterIDManager.hpp>
#include <game/shell/GameGlobals.hpp>
#include <game/shell/Utilities.hpp>
#include <graphics/Font.hpp>
#include <ui/Image.hpp>
#include <ui/ImageView.hpp>
#include <ui/Label.hpp>
#include <ui/View.hpp>
#include <ui/ViewController.hpp>

#include <algorithm>
#include <cmath>

namespace game {

namespace {

std::string localized(std::string_view key) {
    return foundation::Bundle::mainBundle().localizedString(key);
}

std::string stringOf(base::Dictionary const& entry, std::string_view key) {
    auto const* text = entry.objectForKey(key).string();
    return text ? *text : std::string();
}

}

AchievementSystem& AchievementSystem::sharedManager() {
    return base::SharedInstance<AchievementSystem>::get(
        [](AchievementSystem& book) { book.start(); });
}

void AchievementSystem::releaseManager() {
    if (auto book = base::SharedInstance<AchievementSystem>::current())
        GameCenter::removeDelegate(book.get());
    base::SharedInstance<AchievementSystem>::reset();
}

// The banner: clear, clipped, untouchable, with the list's backdrop picture behind a
// white label that fills it.
AchievementSystem::AchievementSystem() {
    graphics::Rect frame {{0, 0}, {bannerWidth, bannerHeight}};
    achievementMessageView_ = ui::View::create(frame);
    achievementMessageView_->setBackgroundColor(ui::Color::clearColor());
    achievementMessageView_->setUserInteractionEnabled(false);
    achievementMessageView_->setClipsToBounds(true);
    if (auto picture = ui::Image::imageNamed("Achievements_List.png")) {
        auto backdrop = ui::ImageView::imageViewWithImage(picture);
        backdrop->setCenter({bannerWidth / 2, bannerHeight / 2});
        achievementMessageView_->addSubview(backdrop);
    }
    achievementMessageLabel_ = ui::Label::create(frame);
    achievementMessageLabel_->setTextAlignment(ui::TextAlignment::Center);
    auto font = graphics::Font::fontWithName("Arial-BoldMT", 14);
    achievementMessageLabel_->setFont(font ? font : graphics::Font::boldSystemFontOfSize(14));
    achievementMessageLabel_->setAdjustsFontSizeToFitWidth(true);
    achievementMessageLabel_->setMinimumFontSize(10);
    achievementMessageLabel_->setTextColor(ui::Color::whiteColor());
    achievementMessageLabel_->setBackgroundColor(ui::Color::clearColor());
    achievementMessageView_->addSubview(achievementMessageLabel_);
    loadAchievements();
}

AchievementSystem::~AchievementSystem() {
    if (bIsShowingAchievementMessage)
        achievementMessageView_->removeFromSuperview();
}

void AchievementSystem::start() {
    if (!GameCenter::isGameCenterAvailable())
        return;
    GameCenter::addDelegate(this);
    if (!Utilities::haveInternetConnection())
        return;
    if (GameCenter::sharedManager().isLocalPlayerAuthenticated())
        syncAllAchievementsWithGameCenter();
    else
        GameCenter::sharedManager().authenticateLocalPlayer();
}

bool AchievementSystem::canReport() {
    return GameCenter::isGameCenterAvailable() && Utilities::haveInternetConnection()
        && GameCenter::sharedManager().isLocalPlayerAuthenticated();
}

// Entries that are not dictionaries are skipped, and values that are not text read as
// empty; an entry without an identifier is listed but cannot be found by one.
void AchievementSystem::loadAchievements() {
    achievementsArray.clear();
    achievementsDictionary.clear();
    auto path = Utilities::getPathForResource("Achievements.plist");
    auto list = path ? foundation::PropertyList::arrayWithContentsOfFile(*path) : nullptr;
    if (!list)
        return;
    for (std::size_t i = 0; i < list->size(); ++i) {
        auto entry = list->at(i).dictionaryRef();
        if (!entry)
            continue;
        auto record = Achievement::init();
        record->setAchId(stringOf(*entry, "ID"));
        record->setPicName(stringOf(*entry, "Pic"));
        record->setTitle(stringOf(*entry, "Title"));
        record->setDesc(stringOf(*entry, "Desc"));
        if (!record->achId().empty())
            record->setPercent(DataManager::getFloatForKey(record->achId(), 0));
        achievementsArray.push_back(record);
        if (!record->achId().empty())
            achievementsDictionary.insert_or_assign(record->achId(), record);
    }
}

Achievement* AchievementSystem::getAchievementWithID(std::string_view identifier) const {
    auto found = achievementsDictionary.find(identifier);
    return found == achievementsDictionary.end() ? nullptr : found->second.get();
}

bool AchievementSystem::updateAchievementWithID(std::string_view identifier, float percent) {
    auto* record = getAchievementWithID(identifier);
    if (!record) {
        foundation::log("Achievement ID Not Found: %@", identifier);
        return false;
    }
    // Not a number never passes the rise test below.
    float value = std::clamp(percent, 0.0f, 100.0f);
    if (!(value > record->percent()))
        return false;
    record->setPercent(value);
    DataManager::setFloat(value, record->achId());
    if (canReport())
        record->syncWithGameCenter();
    if (value == 100) {
        addAchievementUnlockedMessage(identifier);
        return true;
    }
    return false;
}

void AchievementSystem::checkUpdateAchievementsFromCurrentGame() {
    auto const& globals = GameGlobals::shared();
    auto earn = [this](int number) {
        updateAchievementWithID(GameCenterIDManager::getAchievementID(number), 100);
    };
    if (globals.petPoints > 0)
        earn(0);
    int const days[] = {50, 100, 200};
    for (int i = 0; i < 3; ++i) {
        if (globals.day >= days[i])
            earn(1 + i);
    }
    float const happiness[] = {100, 500, 999};
    for (int i = 0; i < 3; ++i) {
        if (globals.satisfaction >= happiness[i])
            earn(4 + i);
    }
    int const customers[] = {2500, 5000, 10000};
    for (int i = 0; i < 3; ++i) {
        if (globals.customerOverall >= customers[i])
            earn(7 + i);
    }
    if (globals.shopLevel >= 5)
        earn(10);
    if (globals.shopLevel >= std::max(globals.levelCap, 20))
        earn(11);
    if (globals.prezVisitCount > 0 || globals.richLadyVisitCount > 0)
        earn(15);
}

void AchievementSystem::syncAllAchievementsWithGameCenter() {
    if (!canReport())
        return;
    for (auto& record : achievementsArray) {
        if (record->percent() > 0)
            record->syncWithGameCenter();
    }
}

void AchievementSystem::cleanAllAchievementsCache() {
    for (auto& record : achievementsArray)
        record->cleanCachedPercent();
}

void AchievementSystem::addAchievementUnlockedMessage(std::string_view identifier) {
    auto* record = getAchievementWithID(identifier);
    if (!record) {
        foundation::log("Achievement ID Not Found: %@", identifier);
        return;
    }
    // The table's text is the format and the title its only argument, so a stray
    // conversion in a translation cannot read past the arguments.
    achievementMessages.push_back(
        foundation::format(localized("ACH_UNLOCKED"), localized(record->title())));
    if (!bIsShowingAchievementMessage)
        showAchievementMessage();
}

// Slides the banner up from below the parent's view, holds it, slides it back out,
// then shows the next text. The steps follow each other through the animations'
// completions, which run whether or not an animation was cut short, so the queue
// never stalls.
void AchievementSystem::showAchievementMessage() {
    auto parent = parentViewController_.strong();
    if (bIsShowingAchievementMessage || achievementMessages.empty() || !parent)
        return;
    achievementMessageLabel_->setText(achievementMessages.front());
    achievementMessages.pop_front();
    auto* host = parent->view();
    float width = host->bounds().size.width;
    float height = host->bounds().size.height;
    achievementMessageView_->setCenter({width / 2, height + bannerHeight / 2});
    host->addSubview(achievementMessageView_);
    bIsShowingAchievementMessage = true;
    base::Ref<AchievementSystem> self(this);
    base::Ref<ui::View> banner = achievementMessageView_;
    ui::View::animateWithDuration(
        bannerSlideTime,
        [banner, width, height] {
            banner->setCenter({width / 2, height - bannerHeight / 2});
        },
        [self, banner, width, height](bool) {
            ui::View::animateWithDuration(
                bannerSlideTime, bannerStillTime, 0,
                [banner, width, height] {
                    banner->setCenter({width / 2, height + bannerHeight / 2});
                },
                [self](bool) { self->finishAchievementMessage(); });
        });
}

void AchievementSystem::finishAchievementMessage() {
    achievementMessageView_->removeFromSuperview();
    bIsShowingAchievementMessage = false;
    if (!achievementMessages.empty())
        showAchievementMessage();
}

void AchievementSystem::setParentViewControllerForAchievementMessage(
    ui::ViewController* controller) {
    parentViewController_ = controller;
    if (!bIsShowingAchievementMessage)
        showAchievementMessage();
}

void AchievementSystem::localPlayerDidAuthenticateSuccess() {
    syncAllAchievementsWithGameCenter();
}

void AchievementSystem::localPlayerDidChange() {
    cleanAllAchievementsCache();
}

void AchievementSystem::localPlayerDidLogout() {
    cleanAllAchievementsCache();
}

}
