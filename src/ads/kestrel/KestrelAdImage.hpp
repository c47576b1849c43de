#pragma once

#include <foundation/Coding.hpp>
#include <ui/Image.hpp>

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>

#include <cstdint>
#include <optional>
#include <string>

namespace ads::kestrel {

// One image of an ad reply (an app icon or a theme's background) with what the
// reply says of it. Kept in the parser's image map and in the agent's image cache;
// an archive holds the picture as PNG whatever format the reply carried, so a
// decoded image always comes back from PNG data.
class KestrelAdImage final : public base::Object, public foundation::Coding {
public:
    static base::Ref<KestrelAdImage> create();
    static base::Ref<KestrelAdImage> initWithCoder(foundation::KeyedUnarchiver& coder);
    void encodeWithCoder(foundation::KeyedArchiver& coder) override;

    // The image as the image cache stores it (its keyed archive), and back; none
    // for data that is not such an archive.
    std::optional<base::Bytes> archivedData();
    static base::Ref<KestrelAdImage> fromArchivedData(base::Value const& data);

    std::optional<std::int64_t> imageId() const { return imageId_; }
    void setImageId(std::optional<std::int64_t> value) { imageId_ = value; }
    std::optional<std::int32_t> width() const { return width_; }
    void setWidth(std::optional<std::int32_t> value) { width_ = value; }
    std::optional<std::int32_t> height() const { return height_; }
    void setHeight(std::optional<std::int32_t> value) { height_ = value; }
    std::optional<std::string> const& mimeFormat() const { return mimeFormat_; }
    void setMimeFormat(std::optional<std::string> value) { mimeFormat_ = std::move(value); }
    std::optional<std::int32_t> imageDataSize() const { return imageDataSize_; }
    void setImageDataSize(std::optional<std::int32_t> value) { imageDataSize_ = value; }
    base::Ref<ui::Image> const& image() const { return image_; }
    void setImage(base::Ref<ui::Image> value) { image_ = std::move(value); }
    std::optional<std::string> const& fileName() const { return fileName_; }
    void setFileName(std::optional<std::string> value) { fileName_ = std::move(value); }

private:
    friend base::Factory;
    KestrelAdImage() = default;

    std::optional<std::int64_t> imageId_;
    std::optional<std::int32_t> width_;
    std::optional<std::int32_t> height_;
    std::optional<std::string> mimeFormat_;
    std::optional<std::int32_t> imageDataSize_;
    base::Ref<ui::Image> image_;
    std::optional<std::string> fileName_;
};

}
