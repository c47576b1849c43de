#pragma once

#include <ads/kestrel/KestrelAdTheme.hpp>

#include <foundation/Coding.hpp>

#include <base/Object.hpp>
#include <base/Ref.hpp>

#include <cstdint>
#include <optional>
#include <string>

namespace ads::kestrel {

// A named ad space of the host application: the ad block it draws its ads from,
// the theme that dresses its banners and how a tap on them is handled. The parser's
// hook map owns it; the look-up attaches the resolved theme (adTheme), which is
// archived inside the hook.
class KestrelAdHook final : public base::Object, public foundation::Coding {
public:
    static base::Ref<KestrelAdHook> create();
    static base::Ref<KestrelAdHook> initWithCoder(foundation::KeyedUnarchiver& coder);
    void encodeWithCoder(foundation::KeyedArchiver& coder) override;

    std::optional<std::string> const& name() const { return name_; }
    void setName(std::optional<std::string> value) { name_ = std::move(value); }
    std::optional<std::uint8_t> adBlockId() const { return adBlockId_; }
    void setAdBlockId(std::optional<std::uint8_t> value) { adBlockId_ = value; }
    std::optional<std::uint8_t> themeId() const { return themeId_; }
    void setThemeId(std::optional<std::uint8_t> value) { themeId_ = value; }
    std::optional<std::int64_t> clickAction() const { return clickAction_; }
    void setClickAction(std::optional<std::int64_t> value) { clickAction_ = value; }
    base::Ref<KestrelAdTheme> const& adTheme() const { return adTheme_; }
    void setAdTheme(base::Ref<KestrelAdTheme> value) { adTheme_ = std::move(value); }

private:
    friend base::Factory;
    KestrelAdHook() = default;

    std::optional<std::string> name_;
    std::optional<std::uint8_t> adBlockId_;
    std::optional<std::uint8_t> themeId_;
    std::optional<std::int64_t> clickAction_;
    base::Ref<KestrelAdTheme> adTheme_;
};

}
