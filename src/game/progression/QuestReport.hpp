#pragma once

#include <engine/Label.hpp>
#include <engine/Layer.hpp>
#include <engine/Sprite.hpp>
#include <game/progression/QuestClause.hpp>
#include <game/progression/QuestItem.hpp>

#include <optional>
#include <string>

namespace game {

class QuestReport;

// Told when a challenge report has left the scene.
class QuestReportDelegate {
public:
    virtual void didDismissQuestReport(QuestReport& report) = 0;

protected:
    ~QuestReportDelegate() = default;
};

// The modal challenge report ("Today's Challenge"): the challenge's first two clause
// lines with their status icons, the rewards of its reward code and, once the day is
// settled, its result. The interface makes it when the day's challenge is picked, when
// the player asks for it in the day and at the day's end, adds it to its layer at z
// 10020 and is its delegate (unretained). While it is up it takes every touch; its OK
// button closes it, and once it has left the scene it tells the delegate. Main thread.
//
// The result is the settled result of the whole goal, the one that decided the reward,
// and it is counted in the challenge statistics once per settlement however often the
// report is built.
class QuestReport final : public engine::Layer {
public:
    // Evaluates the challenge afresh, builds and lays out the report and starts its
    // opening.
    static base::Ref<QuestReport> initWithQuest(QuestItem* quest, QuestReportDelegate* delegate);

    // Places every element for the phone or the tablet and switches touches on.
    void layout();
    // The opening: the dialog pops in after 0.2 s while the backdrop fades in.
    void show();
    // The closing: the dialog shrinks away while the backdrop fades out, then destroy.
    void dismiss();
    // Leaves the parent with cleanup, then tells the delegate.
    void destroy();
    void cleanup() override;

    // Any touch is taken; one on the OK button closes the report.
    bool ccTouchesBegan(ui::TouchSet& touches, ui::Event* event) override;

    // The reward icon of a kind and its scale; none for a kind that is not a reward.
    struct RewardIcon {
        char const* file;
        float scale;
    };
    static std::optional<RewardIcon> rewardIcon(std::string const& kind);

    QuestItem* quest() const { return quest_.get(); }
    engine::Sprite* dimBG() const { return _dimBG.get(); }
    engine::Sprite* dialogBG() const { return _dialogBG.get(); }
    engine::Label* questTitleLabel() const { return _questTitleLabel.get(); }
    engine::Sprite* req1Icon() const { return _req1Icon.get(); }
    engine::Label* req1Label() const { return _req1Label.get(); }
    engine::Sprite* req2Icon() const { return _req2Icon.get(); }
    engine::Label* req2Label() const { return _req2Label.get(); }
    engine::Label* rewardTitleLabel() const { return _rewardTitleLabel.get(); }
    engine::Sprite* reward1Icon() const { return _reward1Icon.get(); }
    engine::Label* reward1QuantityLabel() const { return _reward1QuantityLabel.get(); }
    engine::Sprite* reward2Icon() const { return _reward2Icon.get(); }
    engine::Label* reward2QuantityLabel() const { return _reward2QuantityLabel.get(); }
    engine::Sprite* reward2Cover() const { return _reward2Cover.get(); }
    engine::Sprite* rewardFullCover() const { return _rewardFullCover.get(); }
    engine::Label* questFailLabel() const { return _questFailLabel.get(); }
    engine::Sprite* buttonOK() const { return _buttonOK.get(); }
    engine::Label* buttonOKLabel() const { return _buttonOKLabel.get(); }
    // The dialog's resting scale: 1 on the phone; on the tablet's wider screen the dialog
    // spans the same share of the screen whatever size its art is drawn at.
    float dialogScale() const;
    // How many times the phone's size the dialog's art is drawn at (the tablet's art is
    // larger); the dialog's contents are placed and sized by it.
    float artScale() const { return artScale_; }
    // The OK button's rectangle in the layer's space once the dialog rests.
    engine::Rect okButtonRect() const;

    static constexpr int openingActionTag = 24;
    static constexpr int closingActionTag = 25;

private:
    friend base::Factory;
    QuestReport() = default;

    void build();
    // The status icon and line of one clause record.
    void addClause(QuestConditionState const& record, base::Ref<engine::Sprite>& icon,
        base::Ref<engine::Label>& line);
    void addReward(QuestClause const& clause, base::Ref<engine::Sprite>& icon,
        base::Ref<engine::Label>& quantity);
    engine::Sprite* addSprite(base::Ref<engine::Sprite>& field, char const* file, int z);
    engine::Label* addLabel(base::Ref<engine::Label>& field, std::string const& text,
        char const* font, float size, int z);

    base::Ref<QuestItem> quest_;
    float artScale_ {1};
    base::Ref<engine::Sprite> _dimBG;
    base::Ref<engine::Sprite> _dialogBG;
    base::Ref<engine::Label> _questTitleLabel;
    base::Ref<engine::Sprite> _req1Icon;
    base::Ref<engine::Label> _req1Label;
    base::Ref<engine::Sprite> _req2Icon;
    base::Ref<engine::Label> _req2Label;
    base::Ref<engine::Label> _rewardTitleLabel;
    base::Ref<engine::Sprite> _reward1Icon;
    base::Ref<engine::Label> _reward1QuantityLabel;
    base::Ref<engine::Sprite> _reward2Icon;
    base::Ref<engine::Label> _reward2QuantityLabel;
    base::Ref<engine::Sprite> _reward2Cover;
    base::Ref<engine::Sprite> _rewardFullCover;
    base::Ref<engine::Label> _questFailLabel;
    base::Ref<engine::Sprite> _buttonOK;
    base::Ref<engine::Label> _buttonOKLabel;
    QuestReportDelegate* _delegate {nullptr};
    bool dismissing_ {false};
};

}
