#include <engine/Describe.hpp>
#include <engine/PVRTCDecoder.hpp>
#include <engine/PVRTexture.hpp>
#include <engine/Texture2D.hpp>

#include <base/Exception.hpp>
#include <base/Log.hpp>
#include <base/Verify.hpp>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <vector>

namespace engine {

namespace {

std::atomic<bool> aliasNextInit {false};
std::atomic<Texture2DPixelFormat> defaultAlphaFormat {Texture2DPixelFormat::RGBA8888};

struct Upload {
    GLenum format;
    GLenum type;
};

bool uploadOf(Texture2DPixelFormat format, Upload& upload) {
    switch (format) {
    case Texture2DPixelFormat::RGBA8888:
        upload = {GL_RGBA, GL_UNSIGNED_BYTE};
        return true;
    case Texture2DPixelFormat::RGB565:
        upload = {GL_RGB, GL_UNSIGNED_SHORT_5_6_5};
        return true;
    case Texture2DPixelFormat::A8:
        upload = {GL_ALPHA, GL_UNSIGNED_BYTE};
        return true;
    case Texture2DPixelFormat::RGBA4444:
        upload = {GL_RGBA, GL_UNSIGNED_SHORT_4_4_4_4};
        return true;
    case Texture2DPixelFormat::RGB5A1:
        upload = {GL_RGBA, GL_UNSIGNED_SHORT_5_5_5_1};
        return true;
    }
    return false;
}

// Rows of 1 or 2 pixels of the 8- and 16-bit formats are not 4-byte aligned:
// upload packed rows, then put back what the context had.
class PackedRows {
public:
    PackedRows() {
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &previous_);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    }
    ~PackedRows() { glPixelStorei(GL_UNPACK_ALIGNMENT, previous_); }
    PackedRows(PackedRows const&) = delete;
    PackedRows& operator=(PackedRows const&) = delete;

private:
    GLint previous_ {4};
};

float coverage(float content, unsigned pixels) {
    return pixels == 0 ? 0.0f : content / static_cast<float>(pixels);
}

std::uint8_t premultiplied(std::uint8_t channel, std::uint8_t alpha) {
    return static_cast<std::uint8_t>((channel * alpha + 127) / 255);
}

// The image in the first rows of a padded RGBA buffer, colours premultiplied by
// alpha: what drawing it into a premultiplied bitmap context gives. For RGB565
// the alpha byte is skipped, which leaves the colours as if over black.
std::vector<std::uint8_t> paddedRGBA(
    graphics::Image const& image, unsigned width, unsigned height) {
    std::vector<std::uint8_t> buffer(std::size_t(width) * height * 4, 0);
    bool straight = image.alphaInfo() == graphics::AlphaInfo::Last
        || image.alphaInfo() == graphics::AlphaInfo::First;
    bool opaque = !image.hasAlpha();
    for (int y = 0; y < image.height(); ++y) {
        std::uint8_t const* source = image.row(y);
        std::uint8_t* target = buffer.data() + std::size_t(y) * width * 4;
        for (int x = 0; x < image.width(); ++x, source += 4, target += 4) {
            std::uint8_t alpha = opaque ? 255 : source[3];
            for (int c = 0; c < 3; ++c)
                target[c] = straight ? premultiplied(source[c], alpha) : source[c];
            target[3] = alpha;
        }
    }
    return buffer;
}

std::vector<std::uint8_t> paddedAlpha(
    graphics::Image const& image, unsigned width, unsigned height) {
    std::vector<std::uint8_t> buffer(std::size_t(width) * height, 0);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            buffer[std::size_t(y) * width + x] = image.pixel(x, y).a;
    }
    return buffer;
}

template<typename Convert>
std::vector<std::uint8_t> to16Bit(std::vector<std::uint8_t> const& rgba, Convert convert) {
    std::vector<std::uint8_t> out(rgba.size() / 2);
    for (std::size_t i = 0, o = 0; i < rgba.size(); i += 4, o += 2) {
        std::uint16_t value
            = convert(graphics::Rgba {rgba[i], rgba[i + 1], rgba[i + 2], rgba[i + 3]});
        // GL reads 16-bit pixels in the machine's own byte order.
        std::memcpy(out.data() + o, &value, sizeof value);
    }
    return out;
}

}

int bytesPerPixel(Texture2DPixelFormat format) {
    switch (format) {
    case Texture2DPixelFormat::RGBA8888:
        return 4;
    case Texture2DPixelFormat::A8:
        return 1;
    case Texture2DPixelFormat::RGB565:
    case Texture2DPixelFormat::RGBA4444:
    case Texture2DPixelFormat::RGB5A1:
        return 2;
    }
    return 0;
}

std::uint16_t convertToRGB565(graphics::Rgba p) {
    return static_cast<std::uint16_t>((p.r >> 3) << 11 | (p.g >> 2) << 5 | (p.b >> 3));
}

std::uint16_t convertToRGBA4444(graphics::Rgba p) {
    return static_cast<std::uint16_t>(
        (p.r >> 4) << 12 | (p.g >> 4) << 8 | (p.b >> 4) << 4 | (p.a >> 4));
}

std::uint16_t convertToRGB5A1(graphics::Rgba p) {
    return static_cast<std::uint16_t>(
        (p.r >> 3) << 11 | (p.g >> 3) << 6 | (p.b >> 3) << 1 | (p.a >> 7));
}

unsigned nextPowerOfTwo(unsigned size) {
    unsigned side = 1;
    while (side < size && side != 0x80000000u)
        side <<= 1;
    return side < size ? size : side;
}

base::Ref<Texture2D> Texture2D::initWithData(std::span<std::uint8_t const> data,
    Texture2DPixelFormat format, unsigned width, unsigned height, Size contentSize) {
    Upload upload {};
    if (!uploadOf(format, upload))
        throw base::Exception(base::InternalInconsistencyException, "");
    VERIFY_MSG(data.size() >= std::size_t(width) * height * bytesPerPixel(format),
        "Texture2D: fewer pixel bytes than the texture holds");
    auto texture = base::make<Texture2D>();
    glGenTextures(1, &texture->name_);
    glBindTexture(GL_TEXTURE_2D, texture->name_);
    if (aliasNextInit.exchange(false))
        texture->setAliasTexParameters();
    else
        texture->setAntiAliasTexParameters();
    {
        PackedRows packed;
        glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(upload.format),
            static_cast<GLsizei>(width), static_cast<GLsizei>(height), 0, upload.format,
            upload.type, data.data());
    }
    graphics::gles::checkError("Texture2D initWithData");
    texture->size_ = contentSize;
    texture->width_ = width;
    texture->height_ = height;
    texture->format_ = format;
    texture->maxS_ = coverage(contentSize.width, width);
    texture->maxT_ = coverage(contentSize.height, height);
    texture->hasPremultipliedAlpha_ = false;
    return texture;
}

base::Ref<Texture2D> Texture2D::initWithImage(graphics::Image const* image) {
    if (!image || image->isEmpty()) {
        base::logLine("Image is Null");
        return nullptr;
    }
    bool hasAlpha = image->hasAlpha();
    Texture2DPixelFormat format;
    if (!image->hasColorSpace())
        format = Texture2DPixelFormat::A8;
    else if (hasAlpha || image->bitsPerComponent() >= 8)
        format = defaultAlphaPixelFormat();
    else
        format = Texture2DPixelFormat::RGB565;

    unsigned width = nextPowerOfTwo(static_cast<unsigned>(image->width()));
    unsigned height = nextPowerOfTwo(static_cast<unsigned>(image->height()));
    // Images come from downloads too: a picture too big for a texture is refused,
    // not a reason to stop the program.
    if (width > maxImageSide || height > maxImageSide) {
        char text[80];
        std::snprintf(text, sizeof text, "Image is bigger than the supported %u x %u", maxImageSide,
            maxImageSide);
        base::logLine(text);
        return nullptr;
    }

    std::vector<std::uint8_t> pixels;
    switch (format) {
    case Texture2DPixelFormat::A8:
        pixels = paddedAlpha(*image, width, height);
        break;
    case Texture2DPixelFormat::RGBA8888:
        pixels = paddedRGBA(*image, width, height);
        break;
    case Texture2DPixelFormat::RGB565:
        pixels = to16Bit(paddedRGBA(*image, width, height), convertToRGB565);
        break;
    case Texture2DPixelFormat::RGBA4444:
        pixels = to16Bit(paddedRGBA(*image, width, height), convertToRGBA4444);
        break;
    case Texture2DPixelFormat::RGB5A1:
        pixels = to16Bit(paddedRGBA(*image, width, height), convertToRGB5A1);
        break;
    default:
        throw base::Exception(base::InternalInconsistencyException, "Invalid pixel format");
    }
    auto texture = initWithData(pixels, format, width, height,
        {static_cast<float>(image->width()), static_cast<float>(image->height())});
    // The buffer holds premultiplied colours whenever the image has alpha, also for
    // an image decoded with straight alpha; saying otherwise would blend its edges
    // by alpha a second time.
    texture->hasPremultipliedAlpha_ = hasAlpha;
    return texture;
}

base::Ref<Texture2D> Texture2D::initWithMask(graphics::Image const& mask, Size contentSize) {
    VERIFY_MSG(mask.format() == graphics::Image::Format::A8, "Texture2D: a mask must be A8");
    return initWithData(mask.pixels(), Texture2DPixelFormat::A8,
        static_cast<unsigned>(mask.width()), static_cast<unsigned>(mask.height()), contentSize);
}

base::Ref<Texture2D> Texture2D::initWithPVRTCFile(std::string const& path) {
    auto texture = base::make<Texture2D>();
    auto pvr = PVRTexture::pvrTextureWithContentsOfFile(path);
    if (pvr) {
        pvr->setRetainName(true);
        texture->name_ = pvr->name();
        texture->width_ = pvr->width();
        texture->height_ = pvr->height();
        texture->size_ = {static_cast<float>(pvr->width()), static_cast<float>(pvr->height())};
        texture->maxS_ = 1;
        texture->maxT_ = 1;
        // The software decoder hands over straight alpha, as the files hold it.
        texture->hasPremultipliedAlpha_ = false;
        pvr = nullptr;
        texture->setAntiAliasTexParameters();
    }
    return texture;
}

base::Ref<Texture2D> Texture2D::initWithPVRTCData(
    std::span<std::uint8_t const> data, int level, int bpp, bool, unsigned length) {
    if (bpp != 2 && bpp != 4) {
        base::logLine("Texture2D: PVRTC data of " + std::to_string(bpp) + " bits per pixel");
        return nullptr;
    }
    std::size_t size = std::max<std::size_t>(std::size_t(length) * length * bpp / 8, 32);
    if (data.size() < size) {
        base::logLine("Texture2D: PVRTC data of " + std::to_string(data.size())
            + " bytes for a side of " + std::to_string(length));
        return nullptr;
    }
    auto decoded = decodePVRTC(data.first(size), length, length, bpp);
    if (!decoded) {
        base::logLine(
            "Texture2D: PVRTC data for a side of " + std::to_string(length) + " cannot be decoded");
        return nullptr;
    }
    auto texture = base::make<Texture2D>();
    glGenTextures(1, &texture->name_);
    texture->setAntiAliasTexParameters();
    {
        PackedRows packed;
        glTexImage2D(GL_TEXTURE_2D, level, GL_RGBA, static_cast<GLsizei>(length),
            static_cast<GLsizei>(length), 0, GL_RGBA, GL_UNSIGNED_BYTE, decoded->data());
    }
    graphics::gles::checkError("Texture2D initWithPVRTCData");
    texture->size_ = {static_cast<float>(length), static_cast<float>(length)};
    texture->width_ = length;
    texture->height_ = length;
    texture->maxS_ = 1;
    texture->maxT_ = 1;
    return texture;
}

Texture2D::~Texture2D() {
    if (name_)
        glDeleteTextures(1, &name_);
}

void Texture2D::drawAtPoint(Point point) const {
    float w = static_cast<float>(width_) * maxS_;
    float h = static_cast<float>(height_) * maxT_;
    GLfloat const coordinates[] = {0, maxT_, maxS_, maxT_, 0, 0, maxS_, 0};
    GLfloat const vertices[] = {point.x, point.y, 0, point.x + w, point.y, 0, point.x, point.y + h,
        0, point.x + w, point.y + h, 0};
    glBindTexture(GL_TEXTURE_2D, name_);
    glVertexPointer(3, GL_FLOAT, 0, vertices);
    glTexCoordPointer(2, GL_FLOAT, 0, coordinates);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
}

void Texture2D::drawInRect(Rect rect) const {
    float x = rect.origin.x, y = rect.origin.y;
    float w = rect.size.width, h = rect.size.height;
    GLfloat const coordinates[] = {0, maxT_, maxS_, maxT_, 0, 0, maxS_, 0};
    GLfloat const vertices[] = {x, y, x + w, y, x, y + h, x + w, y + h};
    glBindTexture(GL_TEXTURE_2D, name_);
    glVertexPointer(2, GL_FLOAT, 0, vertices);
    glTexCoordPointer(2, GL_FLOAT, 0, coordinates);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
}

void Texture2D::setTexParameters(TexParams const& params) const {
    glBindTexture(GL_TEXTURE_2D, name_);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(params.minFilter));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(params.magFilter));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, static_cast<GLint>(params.wrapS));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, static_cast<GLint>(params.wrapT));
}

void Texture2D::setAliasNextInit(bool alias) {
    aliasNextInit.store(alias);
}

bool Texture2D::getAliasNextInit() {
    return aliasNextInit.load();
}

void Texture2D::setDefaultAlphaPixelFormat(Texture2DPixelFormat format) {
    defaultAlphaFormat.store(format);
}

Texture2DPixelFormat Texture2D::defaultAlphaPixelFormat() {
    return defaultAlphaFormat.load();
}

std::string Texture2D::description() const {
    char text[160];
    std::snprintf(text, sizeof text,
        " | Name = %u | Dimensions = %ux%u | Coordinates = (%.2f, %.2f)>", name_, width_, height_,
        static_cast<double>(maxS_), static_cast<double>(maxT_));
    return "<" + className(*this) + " = " + objectAddress(this) + text;
}

}
