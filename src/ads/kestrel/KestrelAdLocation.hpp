#pragma once

#include <foundation/Coding.hpp>

#include <base/Object.hpp>
#include <base/Ref.hpp>

#include <cstdint>
#include <optional>

namespace ads::kestrel {

// An x and y pair of an ad theme or text style, in points. A plain value holder;
// themes own theirs and the parser fills them in place. Archived under "x" and "y".
class KestrelAdLocation final : public base::Object, public foundation::Coding {
public:
    static base::Ref<KestrelAdLocation> create();
    static base::Ref<KestrelAdLocation> initWithCoder(foundation::KeyedUnarchiver& coder);
    void encodeWithCoder(foundation::KeyedArchiver& coder) override;

    std::optional<std::int32_t> x() const { return x_; }
    void setX(std::optional<std::int32_t> x) { x_ = x; }
    std::optional<std::int32_t> y() const { return y_; }
    void setY(std::optional<std::int32_t> y) { y_ = y; }

private:
    friend base::Factory;
    KestrelAdLocation() = default;

    std::optional<std::int32_t> x_;
    std::optional<std::int32_t> y_;
};

}
