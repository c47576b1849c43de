#include <engine/FileUtils.hpp>
#include <engine/PVRTCDecoder.hpp>
#include <engine/PVRTexture.hpp>

#include <base/Log.hpp>

#include <algorithm>
#include <cstdio>

namespace engine {

namespace {

constexpr std::uint32_t pvrTag = 0x21525650; // "PVR!"
constexpr std::uint32_t typePVRTC2 = 0x18;
constexpr std::uint32_t typePVRTC4 = 0x19;
constexpr unsigned maxSide = 4096;
// Well above a 4096 x 4096 texture at 4 bits per pixel with all its levels.
constexpr std::uintmax_t maxFileSize = 64u * 1024 * 1024;

std::uint32_t word(std::span<std::uint8_t const> bytes, std::size_t offset) {
    return std::uint32_t(bytes[offset]) | std::uint32_t(bytes[offset + 1]) << 8
        | std::uint32_t(bytes[offset + 2]) << 16 | std::uint32_t(bytes[offset + 3]) << 24;
}

bool isPowerOfTwo(unsigned value) {
    return value != 0 && (value & (value - 1)) == 0;
}

}

base::Ref<PVRTexture> PVRTexture::pvrTextureWithContentsOfFile(std::string const& path) {
    auto bytes = FileUtils::readFile(path, maxFileSize);
    if (!bytes)
        return nullptr;
    auto texture = base::make<PVRTexture>();
    if (!texture->unpackPVRData(*bytes) || !texture->createGLTexture())
        return nullptr;
    return texture;
}

base::Ref<PVRTexture> PVRTexture::pvrTextureWithContentsOfURL(std::string const& url) {
    constexpr std::string_view scheme = "file://";
    if (!url.starts_with(scheme))
        return nullptr;
    std::string path = url.substr(scheme.size());
    if (path.starts_with("localhost/"))
        path = path.substr(9);
    return pvrTextureWithContentsOfFile(path);
}

PVRTexture::~PVRTexture() {
    if (name_ && !retainName_)
        glDeleteTextures(1, &name_);
}

bool PVRTexture::unpackPVRData(std::span<std::uint8_t const> file) {
    if (file.size() < headerSize)
        return false;
    if (word(file, 44) != pvrTag)
        return false;
    std::uint32_t type = word(file, 16) & 0xFF;
    if (type != typePVRTC2 && type != typePVRTC4)
        return false;
    int bpp = type == typePVRTC4 ? 4 : 2;
    unsigned height = word(file, 4);
    unsigned width = word(file, 8);
    std::uint32_t dataLength = word(file, 20);
    if (!isPowerOfTwo(width) || !isPowerOfTwo(height) || width > maxSide || height > maxSide) {
        base::logLine("PVRTexture: sides " + std::to_string(width) + " x " + std::to_string(height)
            + " are not those of a PVRTC texture");
        return false;
    }
    std::span<std::uint8_t const> data = file.subspan(headerSize);
    if (dataLength == 0 || dataLength > data.size()) {
        base::logLine("PVRTexture: the header promises " + std::to_string(dataLength)
            + " bytes of data, the file holds " + std::to_string(data.size()));
        return false;
    }

    // A chain of mipmaps ends at 1 x 1: a header that promises more data than the
    // levels hold must not make a level of every further 32 bytes.
    std::size_t levelCount = 1;
    for (unsigned side = std::max(width, height); side > 1; side /= 2)
        ++levelCount;
    std::vector<std::vector<std::uint8_t>> levels;
    std::size_t consumed = 0;
    unsigned w = width, h = height;
    while (consumed < dataLength && levels.size() < levelCount) {
        std::size_t size = pvrtcLevelSize(w, h, bpp);
        if (size > data.size() - consumed) {
            base::logLine("PVRTexture: level " + std::to_string(levels.size())
                + " runs past the end of the file");
            return false;
        }
        auto level = data.subspan(consumed, size);
        levels.emplace_back(level.begin(), level.end());
        w = std::max(w / 2, 1u);
        h = std::max(h / 2, 1u);
        consumed += size;
    }
    if (consumed < dataLength)
        base::logLine("PVRTexture: " + std::to_string(dataLength - consumed)
            + " bytes after the last level are left out");
    imageData_ = std::move(levels);
    internalFormat_ = bpp == 4 ? formatRGBA4bpp : formatRGBA2bpp;
    width_ = width;
    height_ = height;
    hasAlpha_ = word(file, 40) != 0;
    return true;
}

bool PVRTexture::createGLTexture() {
    if (imageData_.empty())
        return false;
    if (name_)
        glDeleteTextures(1, &name_);
    name_ = 0;
    glGenTextures(1, &name_);
    glBindTexture(GL_TEXTURE_2D, name_);
    GLint previousAlignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &previousAlignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    graphics::gles::takeError();
    unsigned w = width_, h = height_;
    bool uploaded = true;
    for (std::size_t level = 0; level < imageData_.size(); ++level) {
        auto pixels = decodePVRTC(imageData_[level], w, h, bitsPerPixel());
        GLenum error = GL_INVALID_VALUE;
        if (pixels) {
            glTexImage2D(GL_TEXTURE_2D, GLint(level), GL_RGBA, GLsizei(w), GLsizei(h), 0, GL_RGBA,
                GL_UNSIGNED_BYTE, pixels->data());
            error = graphics::gles::takeError();
        }
        if (error != GL_NO_ERROR) {
            char text[96];
            std::snprintf(text, sizeof text,
                "Error uploading compressed texture level: %d. glError: 0x%04X", int(level), error);
            base::logLine(text);
            uploaded = false;
            break;
        }
        w = std::max(w / 2, 1u);
        h = std::max(h / 2, 1u);
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, previousAlignment);
    imageData_.clear();
    return uploaded;
}

}
