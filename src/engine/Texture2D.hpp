#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <engine/Geometry.hpp>

#include <graphics/GLES.hpp>
#include <graphics/Image.hpp>

#include <cstdint>
#include <span>
#include <string>

namespace engine {

// Pixel formats of textures, by the codes the engine passes around.
enum class Texture2DPixelFormat : int {
    RGBA8888 = 1, // GL_RGBA, GL_UNSIGNED_BYTE
    RGB565 = 2, // GL_RGB, GL_UNSIGNED_SHORT_5_6_5
    A8 = 3, // GL_ALPHA, GL_UNSIGNED_BYTE
    RGBA4444 = 4, // GL_RGBA, GL_UNSIGNED_SHORT_4_4_4_4
    RGB5A1 = 5, // GL_RGBA, GL_UNSIGNED_SHORT_5_5_5_1
};

// Bytes per pixel of a format; 0 for a code outside the five.
int bytesPerPixel(Texture2DPixelFormat format);

// The platform text alignment of text textures.
enum class TextAlignment : int { Left = 0, Center = 1, Right = 2 };

// Texture parameters in the order GL is given them.
struct TexParams {
    GLuint minFilter;
    GLuint magFilter;
    GLuint wrapS;
    GLuint wrapT;
};

inline constexpr TexParams aliasTexParams {
    GL_NEAREST, GL_NEAREST, GL_CLAMP_TO_EDGE, GL_CLAMP_TO_EDGE};
inline constexpr TexParams antiAliasTexParams {
    GL_LINEAR, GL_LINEAR, GL_CLAMP_TO_EDGE, GL_CLAMP_TO_EDGE};

// The 32-to-16-bit conversions of image textures: plain truncation of each
// channel, no dithering.
std::uint16_t convertToRGB565(graphics::Rgba pixel);
std::uint16_t convertToRGBA4444(graphics::Rgba pixel);
std::uint16_t convertToRGB5A1(graphics::Rgba pixel);

// The side a texture of `size` pixels takes: the next power of two (1 and exact
// powers stay).
unsigned nextPowerOfTwo(unsigned size);

// The engine's OpenGL ES texture: one GL texture name with its pixel size, the
// size of its content (an image or text box before padding) and the largest
// texture coordinates that show content. Made from raw pixels, a decoded image,
// an alpha mask (text) or PVRTC data; the texture cache makes most of them.
// Owns its GL name and deletes it when it goes, so the last reference must be
// dropped while the GL context is current. Main thread, with the context current.
//
// Image textures are padded to power-of-two sides, at most 1024, the image
// filling the first rows of the buffer; row 0 is the image's top, so drawing
// puts texture coordinate maxT at the bottom.
class Texture2D : public base::Object {
public:
    static constexpr unsigned maxImageSide = 1024;

    // Uploads width x height pixels of the format (data holds at least that many,
    // rows packed). The next texture after setAliasNextInit(true) gets the alias
    // parameters, the others the antialias ones. An unknown format raises
    // NSInternalInconsistencyException.
    static base::Ref<Texture2D> initWithData(std::span<std::uint8_t const> data,
        Texture2DPixelFormat format, unsigned width, unsigned height, Size contentSize);

    // A texture of the image, padded to power-of-two sides: A8 for a mask, the
    // default alpha pixel format for an image with alpha or 8 bits per component,
    // RGB565 otherwise; 16-bit formats are converted by truncation. Colours are
    // stored premultiplied by alpha, and the texture says so, for every image with
    // alpha. Null with "Image is Null" logged for no (or an empty) image, and with
    // "Image is bigger than the supported 1024 x 1024" for a padded side above
    // 1024.
    static base::Ref<Texture2D> initWithImage(graphics::Image const* image);
    static base::Ref<Texture2D> initWithImage(graphics::Image const& image) {
        return initWithImage(&image);
    }

    // The seam of text textures: an A8 texture of a ready alpha mask (rows from
    // the top, its sides the texture's, powers of two for text) whose content is
    // the text box. The text engine renders masks and builds the initWithString
    // family below on it.
    static base::Ref<Texture2D> initWithMask(graphics::Image const& mask, Size contentSize);

    // Text textures, defined with the text engine: an 8-bit alpha mask of the
    // string, measured (centred) or in a box, optionally thickened for an outline.
    static base::Ref<Texture2D> initWithString(
        std::string const& string, std::string const& fontName, float fontSize);
    static base::Ref<Texture2D> initWithString(std::string const& string, Size dimensions,
        TextAlignment alignment, std::string const& fontName, float fontSize);
    static base::Ref<Texture2D> initWithString(
        std::string const& string, std::string const& fontName, float fontSize, float strokeSize);
    static base::Ref<Texture2D> initWithString(std::string const& string, Size dimensions,
        TextAlignment alignment, std::string const& fontName, float fontSize, float strokeSize);

    // A PVR file decoded and uploaded; maxS and maxT are 1. A file that does not
    // load gives a texture with GL name 0 and zero size, not null.
    static base::Ref<Texture2D> initWithPVRTCFile(std::string const& path);
    // Raw PVRTC data of a square texture of side `length` at the level: length x
    // length x bpp / 8 bytes, at least 32. Null, with a log line, for data shorter
    // than that, a bpp other than 2 or 4, or a side that is not a power of two.
    static base::Ref<Texture2D> initWithPVRTCData(
        std::span<std::uint8_t const> data, int level, int bpp, bool hasAlpha, unsigned length);

    ~Texture2D() override;

    // Drawing: the caller has enabled the vertex and texture-coordinate arrays and
    // texturing. Both bind the texture and draw one strip of four vertices.
    void drawAtPoint(Point point) const;
    void drawInRect(Rect rect) const;

    void setTexParameters(TexParams const& params) const;
    void setAliasTexParameters() const { setTexParameters(aliasTexParams); }
    void setAntiAliasTexParameters() const { setTexParameters(antiAliasTexParams); }

    // Process-wide settings; plain values, main thread.
    static void setAliasNextInit(bool alias);
    static bool getAliasNextInit();
    static void setDefaultAlphaPixelFormat(Texture2DPixelFormat format);
    static Texture2DPixelFormat defaultAlphaPixelFormat();

    Size contentSize() const { return size_; }
    Texture2DPixelFormat pixelFormat() const { return format_; }
    unsigned pixelsWide() const { return width_; }
    unsigned pixelsHigh() const { return height_; }
    GLuint name() const { return name_; }
    float maxS() const { return maxS_; }
    void setMaxS(float maxS) { maxS_ = maxS; }
    float maxT() const { return maxT_; }
    void setMaxT(float maxT) { maxT_ = maxT; }
    bool hasPremultipliedAlpha() const { return hasPremultipliedAlpha_; }

    std::string description() const;

private:
    GLuint name_ {0};
    Size size_;
    unsigned width_ {0};
    unsigned height_ {0};
    Texture2DPixelFormat format_ {Texture2DPixelFormat::RGBA8888};
    float maxS_ {0};
    float maxT_ {0};
    bool hasPremultipliedAlpha_ {false};

    friend base::Factory;

    // Use the factories.
    Texture2D() = default;
};

}
