#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>

#include <graphics/GLES.hpp>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace engine {

// Reads a PVR file (the legacy 52-byte PowerVR header, then the mip levels of
// PVRTC 2 or 4 bits-per-pixel data) and makes a GL texture of it. The GL here has
// no PVRTC support, so each level is decoded in software and uploaded as RGBA;
// internalFormat still names the compressed format of the file. Deletes its GL
// texture when it goes unless retainName is set (Texture2D takes the name over).
// Main thread, with the GL context current.
class PVRTexture final : public base::Object {
public:
    static constexpr GLenum formatRGBA4bpp = 0x8C02; // GL_COMPRESSED_RGBA_PVRTC_4BPPV1_IMG
    static constexpr GLenum formatRGBA2bpp = 0x8C03; // GL_COMPRESSED_RGBA_PVRTC_2BPPV1_IMG
    static constexpr GLenum formatRGB4bpp = 0x8C00; // GL_COMPRESSED_RGB_PVRTC_4BPPV1_IMG
    static constexpr GLenum formatRGB2bpp = 0x8C01; // GL_COMPRESSED_RGB_PVRTC_2BPPV1_IMG
    static constexpr std::size_t headerSize = 52;

    // Null when the file cannot be read, is not a PVR file of PVRTC data, or does
    // not upload; only an upload error is logged, with a few lines for files
    // whose sizes do not hold together.
    static base::Ref<PVRTexture> pvrTextureWithContentsOfFile(std::string const& path);
    // "file://" URLs only; null for any other.
    static base::Ref<PVRTexture> pvrTextureWithContentsOfURL(std::string const& url);

    // Checks the tag and pixel type and cuts the data into levels, at most one per
    // mipmap down to 1 x 1 (data beyond the last is left out). False for a file
    // of another kind, and for one whose header asks for more data than it holds,
    // or for sides that PVRTC cannot have (0, above 4096, not powers of two).
    bool unpackPVRData(std::span<std::uint8_t const> file);
    // Decodes and uploads every level to a new GL texture, then forgets the levels.
    // False, with "Error uploading compressed texture level: %d. glError: 0x%04X"
    // logged, when GL refuses a level.
    bool createGLTexture();

    GLuint name() const { return name_; }
    unsigned width() const { return width_; }
    unsigned height() const { return height_; }
    GLenum internalFormat() const { return internalFormat_; }
    bool hasAlpha() const { return hasAlpha_; }
    bool retainName() const { return retainName_; }
    void setRetainName(bool retain) { retainName_ = retain; }
    // The levels cut and not yet uploaded, level 0 first.
    std::vector<std::vector<std::uint8_t>> const& imageData() const { return imageData_; }
    int bitsPerPixel() const { return internalFormat_ == formatRGBA2bpp ? 2 : 4; }

    ~PVRTexture() override;

private:
    std::vector<std::vector<std::uint8_t>> imageData_;
    GLuint name_ {0};
    unsigned width_ {0};
    unsigned height_ {0};
    GLenum internalFormat_ {formatRGBA4bpp};
    bool hasAlpha_ {false};
    bool retainName_ {false};

    friend base::Factory;

    // Use the factories.
    PVRTexture() = default;
};

}
