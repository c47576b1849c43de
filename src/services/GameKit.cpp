#include <services/GameKit.hpp>

#include <base/SharedInstance.hpp>
#include <foundation/Format.hpp>
#include <foundation/NotificationCenter.hpp>
#include <foundation/PropertyList.hpp>
#include <foundation/RunLoop.hpp>
#include <foundation/Sandbox.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>

namespace services {

namespace {

// The classes the service's framework brings.
constexpr std::array<std::string_view, 6> classNames {"GKLocalPlayer", "GKAchievement", "GKScore",
    "GKLeaderboardViewController", "GKAchievementViewController", "GKPlayer"};

// The account a device signs in when it has none yet.
constexpr char const* firstPlayerID = "G:1000000001";

GKError makeError(GKErrorCode code, std::string text) {
    return GKError {code, std::move(text)};
}

}

GameKit& GameKit::shared() {
    return base::SharedInstance<GameKit>::get();
}

void GameKit::reset() {
    base::SharedInstance<GameKit>::reset();
}

bool GameKit::classExists(std::string_view name) {
    if (!shared().script().present)
        return false;
    return std::find(classNames.begin(), classNames.end(), name) != classNames.end();
}

std::string GameKit::storePath() {
    return foundation::Sandbox::libraryPath() + "/GameKit/GameKit.plist";
}

// Takes what an earlier run kept; anything of the wrong kind in the file is left out,
// so a damaged file costs its damaged entries only.
GameKit::GameKit()
    : players_(base::Dictionary::create()) {
    auto stored = foundation::PropertyList::dictionaryWithContentsOfFile(storePath());
    if (!stored)
        return;
    if (auto const* player = stored->objectForKey("Player").string())
        playerID_ = *player;
    auto players = stored->objectForKey("Players").dictionaryRef();
    if (!players)
        return;
    for (auto const& [id, record] : *players) {
        auto entry = record.dictionaryRef();
        if (!entry)
            continue;
        auto kept = base::Dictionary::create();
        auto achievements = base::Dictionary::create();
        if (auto list = entry->objectForKey("Achievements").dictionaryRef()) {
            for (auto const& [achievement, percent] : *list) {
                double value = percent.isNumber() ? percent.doubleValue() : NAN;
                if (std::isfinite(value))
                    achievements->setObject(achievement, std::clamp(value, 0.0, 100.0));
            }
        }
        auto scores = base::Dictionary::create();
        if (auto list = entry->objectForKey("Scores").dictionaryRef()) {
            for (auto const& [category, score] : *list) {
                if (score.kind() == base::Value::Kind::Integer)
                    scores->setObject(category, score.longLongValue());
            }
        }
        kept->setObject("Achievements", achievements);
        kept->setObject("Scores", scores);
        players_->setObject(id, kept);
    }
    if (!playerID_.empty()) {
        foundation::log("Game service: player %@ kept with %d achievements and %d scores",
            playerID_, achievements().size(), this->scores().size());
    }
}

void GameKit::answerLater(std::function<void()> work) {
    base::Ref<GameKit> self(this);
    foundation::RunLoop::main().performAfterDelay(
        nullptr, [self, work = std::move(work)] { work(); }, std::max(0.0, script_.delay));
}

void GameKit::postChange() {
    foundation::NotificationCenter::defaultCenter().postNotification(
        GKPlayerAuthenticationDidChangeNotificationName);
}

void GameKit::authenticate(Completion completion) {
    requests_.push_back("authenticate");
    bool refuse = script_.refuseAuthentications > 0;
    if (refuse)
        --script_.refuseAuthentications;
    answerLater([this, refuse, completion = std::move(completion)] {
        if (refuse) {
            GKError error
                = makeError(GKErrorCode::Cancelled, "The requested operation has been cancelled.");
            if (completion)
                completion(&error);
            return;
        }
        bool changed = !authenticated_;
        authenticated_ = true;
        if (playerID_.empty()) {
            playerID_ = firstPlayerID;
            changed = true;
        }
        save();
        if (changed)
            postChange();
        if (completion)
            completion(nullptr);
    });
}

void GameKit::changePlayer(std::string id) {
    answerLater([this, id = std::move(id)] {
        playerID_ = id;
        authenticated_ = !playerID_.empty();
        save();
        postChange();
    });
}

void GameKit::logout() {
    answerLater([this] {
        authenticated_ = false;
        postChange();
    });
}

base::Ref<base::Dictionary> GameKit::playerRecord(bool make) const {
    if (playerID_.empty())
        return nullptr;
    auto record = players_->objectForKey(playerID_).dictionaryRef();
    if (!record && make) {
        record = base::Dictionary::create();
        record->setObject("Achievements", base::Dictionary::create());
        record->setObject("Scores", base::Dictionary::create());
        players_->setObject(playerID_, record);
    }
    return record;
}

base::Ref<base::Dictionary> GameKit::playerSection(std::string_view key, bool make) const {
    auto record = playerRecord(make);
    return record ? record->objectForKey(key).dictionaryRef() : nullptr;
}

void GameKit::save() const {
    auto root = base::Dictionary::create();
    if (!playerID_.empty())
        root->setObject("Player", playerID_);
    root->setObject("Players", players_);
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(storePath()).parent_path(), ignored);
    foundation::PropertyList::writeToFile(base::Value(root), storePath());
}

void GameKit::reportAchievement(std::string identifier, double percent, Completion completion) {
    requests_.push_back(foundation::format("achievement %@ %g", identifier, percent));
    bool fail = script_.failAchievementReports > 0;
    if (fail)
        --script_.failAchievementReports;
    answerLater([this, fail, identifier = std::move(identifier), percent,
                    completion = std::move(completion)] {
        std::optional<GKError> error;
        if (!authenticated_)
            error = makeError(GKErrorCode::NotAuthenticated, "The player is not signed in.");
        else if (fail)
            error
                = makeError(GKErrorCode::CommunicationsFailure, "The server could not be reached.");
        else if (identifier.empty() || !std::isfinite(percent))
            error = makeError(GKErrorCode::InvalidParameter, "The achievement is not valid.");
        if (!error) {
            auto section = playerSection("Achievements", true);
            double kept = section->objectForKey(identifier).doubleValue();
            section->setObject(identifier, std::max(kept, std::clamp(percent, 0.0, 100.0)));
            save();
        }
        if (completion)
            completion(error ? &*error : nullptr);
    });
}

void GameKit::loadAchievements(AchievementsCompletion completion) {
    requests_.push_back("load achievements");
    bool fail = script_.failLoads > 0;
    if (fail)
        --script_.failLoads;
    answerLater([this, fail, completion = std::move(completion)] {
        if (!completion)
            return;
        if (!authenticated_ || fail) {
            GKError error = fail
                ? makeError(GKErrorCode::CommunicationsFailure, "The server could not be reached.")
                : makeError(GKErrorCode::NotAuthenticated, "The player is not signed in.");
            completion(std::nullopt, &error);
            return;
        }
        completion(achievements(), nullptr);
    });
}

void GameKit::resetAchievements(Completion completion) {
    requests_.push_back("reset achievements");
    bool fail = script_.failResets > 0;
    if (fail)
        --script_.failResets;
    answerLater([this, fail, completion = std::move(completion)] {
        std::optional<GKError> error;
        if (!authenticated_)
            error = makeError(GKErrorCode::NotAuthenticated, "The player is not signed in.");
        else if (fail)
            error
                = makeError(GKErrorCode::CommunicationsFailure, "The server could not be reached.");
        if (!error) {
            if (auto section = playerSection("Achievements", false))
                section->removeAll();
            save();
        }
        if (completion)
            completion(error ? &*error : nullptr);
    });
}

void GameKit::reportScore(std::string category, std::int64_t value, Completion completion) {
    requests_.push_back(foundation::format("score %@ %lld", category, value));
    bool fail = script_.failScoreReports > 0;
    if (fail)
        --script_.failScoreReports;
    answerLater(
        [this, fail, category = std::move(category), value, completion = std::move(completion)] {
            std::optional<GKError> error;
            if (!authenticated_)
                error = makeError(GKErrorCode::NotAuthenticated, "The player is not signed in.");
            else if (fail)
                error = makeError(
                    GKErrorCode::CommunicationsFailure, "The server could not be reached.");
            else if (category.empty())
                error = makeError(GKErrorCode::InvalidParameter, "The leaderboard is not valid.");
            if (!error) {
                auto section = playerSection("Scores", true);
                auto const* best = section->find(category);
                if (!best || best->longLongValue() < value)
                    section->setObject(category, value);
                save();
            }
            if (completion)
                completion(error ? &*error : nullptr);
        });
}

double GameKit::achievementPercent(std::string_view identifier) const {
    auto section = playerSection("Achievements", false);
    return section ? section->objectForKey(identifier).doubleValue() : 0;
}

std::optional<std::int64_t> GameKit::bestScore(std::string_view category) const {
    auto section = playerSection("Scores", false);
    auto const* best = section ? section->find(category) : nullptr;
    if (!best)
        return std::nullopt;
    return best->longLongValue();
}

std::vector<std::pair<std::string, double>> GameKit::achievements() const {
    std::vector<std::pair<std::string, double>> list;
    if (auto section = playerSection("Achievements", false)) {
        for (auto const& [identifier, percent] : *section)
            list.emplace_back(identifier, percent.doubleValue());
    }
    return list;
}

std::vector<std::pair<std::string, std::int64_t>> GameKit::scores() const {
    std::vector<std::pair<std::string, std::int64_t>> list;
    if (auto section = playerSection("Scores", false)) {
        for (auto const& [category, best] : *section)
            list.emplace_back(category, best.longLongValue());
    }
    return list;
}

}
