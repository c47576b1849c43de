#include <effects/TGALib.hpp>

#include <engine/FileUtils.hpp>

#include <algorithm>
#include <cstring>
#include <new>

namespace effects {

namespace {

std::uint16_t word(std::span<std::uint8_t const> file, std::size_t at) {
    return std::uint16_t(file[at] | file[at + 1] << 8);
}

constexpr std::size_t headerSize = 18;

}

bool readTgaHeader(std::span<std::uint8_t const> file, std::size_t& offset, sImageTGA& image) {
    if (file.size() - std::min(offset, file.size()) < headerSize) {
        image.status = TgaReadError;
        return false;
    }
    std::size_t at = offset;
    std::uint8_t idLength = file[at];
    std::uint8_t colourMapType = file[at + 1];
    image.type = file[at + 2];
    std::uint16_t colourMapLength = word(file, at + 5);
    std::uint8_t colourMapEntryBits = file[at + 7];
    image.width = std::int16_t(word(file, at + 12));
    image.height = std::int16_t(word(file, at + 14));
    image.pixelDepth = file[at + 16];
    image.flipped = file[at + 17] & 0x20 ? 1 : 0;
    offset += headerSize;

    if (image.type == 1) {
        image.status = TgaIndexedColour;
        return false;
    }
    bool depthFits = image.type == 3          ? image.pixelDepth == 8
        : image.type == 2 || image.type == 10 ? image.pixelDepth == 24 || image.pixelDepth == 32
                                              : false;
    if (!depthFits) {
        image.status = TgaUnsupportedType;
        return false;
    }
    if (image.width <= 0 || image.height <= 0) {
        image.status = TgaReadError;
        return false;
    }
    if (std::int64_t(image.width) * image.height > maxTgaPixels) {
        image.status = TgaNoMemory;
        return false;
    }
    // The image ID and the colour map come before the pixels.
    std::size_t skip = idLength;
    if (colourMapType == 1)
        skip += std::size_t(colourMapLength) * ((colourMapEntryBits + 7u) / 8u);
    if (file.size() - offset < skip) {
        image.status = TgaReadError;
        return false;
    }
    offset += skip;
    return true;
}

namespace {

void swapRedAndBlue(std::uint8_t* pixel, int bytesPerPixel) {
    if (bytesPerPixel >= 3)
        std::swap(pixel[0], pixel[2]);
}

}

bool readTgaPixels(std::span<std::uint8_t const> file, std::size_t& offset, sImageTGA& image) {
    int bpp = image.bytesPerPixel();
    std::size_t total = std::size_t(image.width) * std::size_t(image.height) * std::size_t(bpp);
    if (file.size() - offset < total) {
        image.status = TgaReadError;
        return false;
    }
    std::memcpy(image.imageData.data(), file.data() + offset, total);
    offset += total;
    for (std::size_t i = 0; i < total; i += std::size_t(bpp))
        swapRedAndBlue(&image.imageData[i], bpp);
    return true;
}

bool readTgaRlePixels(std::span<std::uint8_t const> file, std::size_t& offset, sImageTGA& image) {
    auto bpp = std::size_t(image.bytesPerPixel());
    std::size_t pixels = std::size_t(image.width) * std::size_t(image.height);
    std::uint8_t last[4] = {};
    bool run = false;
    int pending = 0;
    for (std::size_t i = 0; i < pixels; ++i) {
        bool readPixel = true;
        if (pending == 0) {
            if (offset >= file.size()) {
                image.status = TgaReadError;
                return false;
            }
            std::uint8_t header = file[offset++];
            run = header & 0x80;
            pending = run ? header - 128 : header;
        } else {
            --pending;
            readPixel = !run;
        }
        if (readPixel) {
            if (file.size() - offset < bpp) {
                image.status = TgaReadError;
                return false;
            }
            std::memcpy(last, file.data() + offset, bpp);
            offset += bpp;
            swapRedAndBlue(last, int(bpp));
        }
        std::memcpy(&image.imageData[i * bpp], last, bpp);
    }
    return true;
}

void flipTgaRows(sImageTGA& image) {
    auto row = std::size_t(image.width) * std::size_t(image.bytesPerPixel());
    int height = image.height;
    for (int i = 0; i < height / 2; ++i) {
        std::swap_ranges(image.imageData.begin() + long(std::size_t(i) * row),
            image.imageData.begin() + long(std::size_t(i + 1) * row),
            image.imageData.begin() + long(std::size_t(height - 1 - i) * row));
    }
    image.flipped = 0;
}

TGAImage loadTgaImage(std::span<std::uint8_t const> file) {
    auto image = std::make_unique<sImageTGA>();
    std::size_t offset = 0;
    if (!readTgaHeader(file, offset, *image))
        return image;
    std::size_t pixels = std::size_t(image->width) * std::size_t(image->height);
    std::size_t bytes = pixels * std::size_t(image->bytesPerPixel());
    // A file too short for the size its header claims is refused before the pixels
    // are allocated: raw pixels need their bytes, and a run-length packet of one
    // header byte covers at most 128 pixels.
    std::size_t left = file.size() - offset;
    if (image->type == 10 ? pixels > left * 128 : bytes > left) {
        image->status = TgaReadError;
        return image;
    }
    try {
        image->imageData.assign(bytes, 0);
    } catch (std::bad_alloc const&) {
        image->status = TgaNoMemory;
        return image;
    }
    bool read = image->type == 10 ? readTgaRlePixels(file, offset, *image)
                                  : readTgaPixels(file, offset, *image);
    if (!read) {
        image->imageData.clear();
        return image;
    }
    image->status = TgaOk;
    if (image->flipped)
        flipTgaRows(*image);
    return image;
}

TGAImage loadTgaImage(std::string const& path) {
    auto file = engine::FileUtils::readFile(path);
    if (!file) {
        auto image = std::make_unique<sImageTGA>();
        image->status = TgaCannotOpen;
        return image;
    }
    return loadTgaImage(std::span<std::uint8_t const>(*file));
}

void freeTgaImage(TGAImage& image) {
    image.reset();
}

}
