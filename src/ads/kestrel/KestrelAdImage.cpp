#include <ads/kestrel/KestrelAdImage.hpp>

#include <ads/kestrel/KestrelAdCoding.hpp>

namespace ads::kestrel {

base::Ref<KestrelAdImage> KestrelAdImage::create() {
    return base::make<KestrelAdImage>();
}

base::Ref<KestrelAdImage> KestrelAdImage::initWithCoder(foundation::KeyedUnarchiver& coder) {
    auto image = create();
    image->imageId_ = decodeOptionalNumber<std::int64_t>(coder, "imageId");
    image->width_ = decodeOptionalNumber<std::int32_t>(coder, "width");
    image->height_ = decodeOptionalNumber<std::int32_t>(coder, "height");
    image->mimeFormat_ = decodeOptionalString(coder, "mimeFormat");
    image->imageDataSize_ = decodeOptionalNumber<std::int32_t>(coder, "imageDataSize");
    image->fileName_ = decodeOptionalString(coder, "fileName");
    // Missing or unreadable PNG data leaves no picture.
    if (auto png = decodeOptionalData(coder, "imageData"))
        image->image_ = ui::Image::imageWithData(*png);
    return image;
}

void KestrelAdImage::encodeWithCoder(foundation::KeyedArchiver& coder) {
    encodeOptional(coder, imageId_, "imageId");
    encodeOptional(coder, width_, "width");
    encodeOptional(coder, height_, "height");
    encodeOptional(coder, mimeFormat_, "mimeFormat");
    encodeOptional(coder, imageDataSize_, "imageDataSize");
    encodeOptional(coder, fileName_, "fileName");
    std::optional<base::Bytes> png;
    if (image_)
        png = image_->bitmap().encodePNG();
    encodeOptional(coder, png, "imageData");
}

std::optional<base::Bytes> KestrelAdImage::archivedData() {
    registerKestrelAdCoding();
    return foundation::KeyedArchiver::archivedDataWithRootObject(base::Ref<KestrelAdImage>(this));
}

base::Ref<KestrelAdImage> KestrelAdImage::fromArchivedData(base::Value const& data) {
    auto const* bytes = data.data();
    if (!bytes)
        return nullptr;
    registerKestrelAdCoding();
    return foundation::KeyedUnarchiver::unarchiveObjectWithData<KestrelAdImage>(*bytes);
}

}
