#pragma once

#include <foundation/Coding.hpp>

#include <base/Object.hpp>
#include <base/Ref.hpp>

#include <cstdint>
#include <optional>

namespace ads::kestrel {

// A width and height pair of an ad theme or text style, in points. A plain value
// holder; themes own theirs and the parser fills them in place. Archived under the
// keys "width" and "height".
class KestrelAdDimension final : public base::Object, public foundation::Coding {
public:
    static base::Ref<KestrelAdDimension> create();
    static base::Ref<KestrelAdDimension> initWithCoder(foundation::KeyedUnarchiver& coder);
    void encodeWithCoder(foundation::KeyedArchiver& coder) override;

    std::optional<std::int32_t> width() const { return width_; }
    void setWidth(std::optional<std::int32_t> width) { width_ = width; }
    std::optional<std::int32_t> height() const { return height_; }
    void setHeight(std::optional<std::int32_t> height) { height_ = height; }

private:
    friend base::Factory;
    KestrelAdDimension() = default;

    std::optional<std::int32_t> width_;
    std::optional<std::int32_t> height_;
};

}
