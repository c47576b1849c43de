#include <game/progression/QuestReport.hpp>

#include <engine/CompositeAction.hpp>
#include <engine/InstantAction.hpp>
#include <engine/IntervalAction.hpp>
#include <foundation/Bundle.hpp>
#include <foundation/Format.hpp>
#include <game/progression/QuestClause.hpp>
#include <game/shell/DataConrtoller.hpp>
#include <game/shell/SoundEngine.hpp>
#include <game/shell/Utilities.hpp>

namespace game {

namespace {

constexpr char const* plainFont = "Helvetica";
constexpr char const* boldFont = "Helvetica-Bold";
constexpr engine::Color3B quantityColour {12, 59, 90};
constexpr engine::Color3B failColour {76, 199, 240};

// The dialog's children, all in the dialog's own space.
enum Layer { icons = 1, lines = 2, covers = 3, coverLines = 4 };

// The tablet shows the phone's dialog larger, in the middle of its screen.
constexpr float tabletDialogScale = 1.8f;
// The width of the phone's dialog art, for which the contents' places are given.
constexpr float phoneDialogWidth = 430;

void playSound(char const* name) {
    if (auto* engine = SoundEngine::sharedManager())
        engine->playSoundName(name);
}

engine::Point screenCentre() {
    return Utilities::isiPad() ? engine::Point {512, 384} : engine::Point {240, 160};
}

}

std::optional<QuestReport::RewardIcon> QuestReport::rewardIcon(std::string const& kind) {
    if (kind == "coin")
        return RewardIcon {"money.png", 1};
    if (kind == "pp")
        return RewardIcon {"ppoint.png", 1};
    if (kind == "tok")
        return RewardIcon {"Credits_Icon.png", 0.7f};
    if (kind == "tip")
        return RewardIcon {"sp_instant2.png", 0.875f};
    if (kind == "wild")
        return RewardIcon {"sp_wildcard.png", 0.875f};
    if (kind == "pow")
        return RewardIcon {"sp_power_up.png", 0.875f};
    return std::nullopt;
}

base::Ref<QuestReport> QuestReport::initWithQuest(QuestItem* quest, QuestReportDelegate* delegate) {
    auto report = base::make<QuestReport>();
    report->_delegate = delegate;
    report->quest_ = base::Ref<QuestItem>(quest);
    report->build();
    report->layout();
    report->show();
    return report;
}

engine::Sprite* QuestReport::addSprite(base::Ref<engine::Sprite>& field, char const* file, int z) {
    field = engine::Sprite::spriteWithFile(file);
    if (field && _dialogBG)
        _dialogBG->addChild(field, z);
    return field.get();
}

engine::Label* QuestReport::addLabel(
    base::Ref<engine::Label>& field, std::string const& text, char const* font, float size, int z) {
    field = engine::Label::labelWithString(text, font, size * artScale_);
    if (_dialogBG)
        _dialogBG->addChild(field, z);
    return field.get();
}

void QuestReport::build() {
    std::vector<QuestConditionState> records;
    if (quest_) {
        quest_->setCurrentState(quest_->checkConditionState());
        if (quest_->currentState())
            records = *quest_->currentState();
    }
    if (records.size() > 2)
        foundation::log(
            "WARNING: more than two quest conditionals detected. Will only display the first two");

    _dimBG = engine::Sprite::spriteWithFile("shopBG.png");
    if (_dimBG)
        addChild(_dimBG, 0);
    _dialogBG = engine::Sprite::spriteWithFile("Challeng_BG.png");
    if (!_dialogBG)
        return;
    addChild(_dialogBG, 1);
    if (float width = _dialogBG->contentSize().width; width > 0)
        artScale_ = width / phoneDialogWidth;

    addLabel(_questTitleLabel, "Today's Challenge", boldFont, 26, lines);
    addLabel(_rewardTitleLabel, "Reward", boldFont, 24, lines);
    // Dark, as the reward numbers: the dialog's rows are light.
    _rewardTitleLabel->setColor(quantityColour);

    if (!records.empty())
        addClause(records[0], _req1Icon, _req1Label);
    if (records.size() > 1)
        addClause(records[1], _req2Icon, _req2Label);

    if (quest_ && quest_->marked()) {
        // The settled result of the whole goal: the one that granted the reward or not.
        bool won = quest_->completed();
        _questTitleLabel->setString(won ? "Challenge Complete!" : "Challenge Failed");
        playSound(won ? "ChallengeSuccess" : "ChallengeFail");
        if (quest_->takeResultToCount()) {
            if (won)
                DataConrtoller::logChallengeComplete();
            else
                DataConrtoller::logChallengeFailed();
        }
    }

    auto rewards = QuestClause::parseList(quest_ ? quest_->rewardcode() : std::string());
    // Two places; further clauses are not shown.
    addReward(rewards[0], _reward1Icon, _reward1QuantityLabel);
    if (rewards.size() > 1)
        addReward(rewards[1], _reward2Icon, _reward2QuantityLabel);
    if (_reward1Icon && !_reward2Icon) {
        addSprite(_reward2Cover, "Reward_Block.png", covers);
    } else if (!_reward1Icon && !_reward2Icon) {
        addSprite(_rewardFullCover, "RewardFail.png", covers);
        addLabel(_questFailLabel, "Challenge Failed", plainFont, 24, coverLines);
        _questFailLabel->setColor(failColour);
    }

    addSprite(_buttonOK, "btn_BG.png", icons);
    addLabel(_buttonOKLabel, foundation::Bundle::mainBundle().localizedString("BUTTON_OK"),
        plainFont, 28, lines);
}

void QuestReport::addClause(QuestConditionState const& record, base::Ref<engine::Sprite>& icon,
    base::Ref<engine::Label>& line) {
    char const* file = "MissionIcon.png";
    if (quest_ && quest_->marked())
        file = record.complete ? "MissionComplete.png" : "MissionFail.png";
    else if (record.fail)
        file = "MissionFail.png";
    addSprite(icon, file, icons);
    addLabel(line, record.customdata, plainFont, 16, lines);
    line->setColor(quantityColour);
}

void QuestReport::addReward(QuestClause const& clause, base::Ref<engine::Sprite>& icon,
    base::Ref<engine::Label>& quantity) {
    auto kind = rewardIcon(clause.key);
    if (!kind)
        return;
    if (!addSprite(icon, kind->file, icons))
        return;
    icon->setScale(kind->scale);
    addLabel(quantity, foundation::format("%d", clause.value), plainFont, 24, lines);
    quantity->setColor(quantityColour);
}

float QuestReport::dialogScale() const {
    return Utilities::isiPad() ? tabletDialogScale / artScale_ : 1.0f;
}

void QuestReport::layout() {
    auto centre = screenCentre();
    if (_dimBG) {
        _dimBG->setPosition(centre);
        // Twice the phone's screen, so that the backdrop covers it whatever the dialog does;
        // the tablet's wider screen in the same proportion.
        _dimBG->setScale(Utilities::isiPad() ? 2 * 1024.0f / 480 : 2);
        _dimBG->setOpacity(0);
    }
    if (!_dialogBG) {
        setIsTouchEnabled(true);
        return;
    }
    _dialogBG->setPosition(centre);
    _dialogBG->setScale(0);
    // Places are given for the phone's art, and grow with the tablet's.
    float k = artScale_;
    float w = _dialogBG->contentSize().width / k;
    auto place = [k](engine::SceneNode* node, engine::Point at) {
        if (node)
            node->setPosition({at.x * k, at.y * k});
    };
    auto placeIcon = [k](engine::Sprite* icon, float y) {
        if (icon)
            icon->setPosition({28 * k + icon->contentSize().width / 2, y * k});
    };
    place(_questTitleLabel.get(), {w / 2, 257});
    place(_rewardTitleLabel.get(), {w / 2, 138});
    placeIcon(_req1Icon.get(), 220);
    place(_req1Label.get(), {w / 2, 220});
    placeIcon(_req2Icon.get(), 184);
    place(_req2Label.get(), {w / 2, 184});
    place(_reward1Icon.get(), {70, 94});
    place(_reward2Icon.get(), {271, 94});
    for (auto* quantity : {_reward1QuantityLabel.get(), _reward2QuantityLabel.get()}) {
        if (quantity)
            quantity->setAnchorPoint({1, 0.5f});
    }
    place(_reward1QuantityLabel.get(), {200, 94});
    place(_reward2QuantityLabel.get(), {400, 94});
    for (auto* cover : {_reward2Cover.get(), _rewardFullCover.get()}) {
        if (cover)
            cover->setAnchorPoint({0, 0});
    }
    place(_reward2Cover.get(), {247, 76});
    place(_rewardFullCover.get(), {24, 73});
    place(_questFailLabel.get(), {w / 2, 94});
    place(_buttonOK.get(), {w / 2, 37});
    place(_buttonOKLabel.get(), {w / 2, 37});
    setIsTouchEnabled(true);
}

void QuestReport::show() {
    if (_dialogBG) {
        float s = dialogScale();
        auto opening = engine::Sequence::actions(engine::DelayTime::actionWithDuration(0.2f),
            engine::ScaleTo::actionWithDuration(0.2f, 1.2f * s),
            engine::ScaleTo::actionWithDuration(0.1f, 0.9f * s),
            engine::ScaleTo::actionWithDuration(0.1f, s));
        opening->setTag(openingActionTag);
        _dialogBG->runAction(opening);
    }
    if (_dimBG)
        _dimBG->runAction(engine::FadeIn::actionWithDuration(0.5f));
}

engine::Rect QuestReport::okButtonRect() const {
    if (!_dialogBG || !_buttonOK)
        return {};
    float s = dialogScale();
    auto dialog = _dialogBG->position();
    auto dialogSize = _dialogBG->contentSize();
    auto button = _buttonOK->position();
    auto size = _buttonOK->contentSize();
    return {{dialog.x + (-dialogSize.width / 2 + button.x - size.width / 2) * s,
                dialog.y + (-dialogSize.height / 2 + button.y - size.height / 2) * s},
        {size.width * s, size.height * s}};
}

bool QuestReport::ccTouchesBegan(ui::TouchSet& touches, ui::Event*) {
    auto* touch = touches.anyObject();
    if (touch && !dismissing_ && okButtonRect().contains(convertTouchToNodeSpace(touch)))
        dismiss();
    return true;
}

void QuestReport::dismiss() {
    if (dismissing_)
        return;
    dismissing_ = true;
    setIsTouchEnabled(false);
    if (_dialogBG) {
        _dialogBG->stopAllActions();
        auto closing = engine::Sequence::actions(engine::DelayTime::actionWithDuration(0.2f),
            engine::ScaleTo::actionWithDuration(0.1f, 1.2f * dialogScale()),
            engine::ScaleTo::actionWithDuration(0.2f, 0));
        closing->setTag(closingActionTag);
        _dialogBG->runAction(closing);
    }
    auto end = engine::CallFunc::actionWithTarget(this, &QuestReport::destroy);
    if (_dimBG) {
        _dimBG->stopAllActions();
        _dimBG->runAction(
            engine::Sequence::actions(engine::FadeOut::actionWithDuration(0.5f), end));
    } else {
        runAction(engine::Sequence::actions(engine::DelayTime::actionWithDuration(0.5f), end));
    }
}

void QuestReport::destroy() {
    base::Ref<QuestReport> self(this);
    if (auto* from = parent())
        from->removeChild(this, engine::Cleanup::Yes);
    if (auto* delegate = _delegate) {
        _delegate = nullptr;
        delegate->didDismissQuestReport(*this);
    }
}

void QuestReport::cleanup() {
    if (_dialogBG) {
        _dialogBG->removeAllChildrenWithCleanup(engine::Cleanup::Yes);
        removeChild(_dialogBG.get(), engine::Cleanup::Yes);
    }
    if (_dimBG)
        removeChild(_dimBG.get(), engine::Cleanup::Yes);
    Layer::cleanup();
}

}
