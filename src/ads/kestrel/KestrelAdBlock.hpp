#pragma once

#include <ads/kestrel/KestrelAd.hpp>

#include <foundation/Coding.hpp>

#include <base/Object.hpp>
#include <base/Ref.hpp>

#include <vector>

namespace ads::kestrel {

// The rotation list of one ad block: the ads a hook draws from, in server order. The
// parser's ad block map owns it; look-ups move the head to the end on every pick,
// under the parser's lock.
class KestrelAdBlock final : public base::Object, public foundation::Coding {
public:
    static base::Ref<KestrelAdBlock> create();
    static base::Ref<KestrelAdBlock> initWithCoder(foundation::KeyedUnarchiver& coder);
    void encodeWithCoder(foundation::KeyedArchiver& coder) override;

    std::vector<base::Ref<KestrelAd>>& ads() { return ads_; }
    std::vector<base::Ref<KestrelAd>> const& ads() const { return ads_; }
    // Moves the first ad to the end; answers it (none for an empty list).
    base::Ref<KestrelAd> rotate();

private:
    friend base::Factory;
    KestrelAdBlock() = default;

    std::vector<base::Ref<KestrelAd>> ads_;
};

}
