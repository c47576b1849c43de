#include <engine/Describe.hpp>
#include <engine/TextureAtlas.hpp>
#include <engine/TextureMgr.hpp>

#include <base/Log.hpp>
#include <base/Verify.hpp>

#include <algorithm>
#include <atomic>
#include <new>

namespace engine {

namespace {

std::atomic<std::uint64_t> drawCalls {0};

}

base::Ref<TextureAtlas> TextureAtlas::textureAtlasWithFile(
    std::string const& file, std::size_t capacity) {
    return textureAtlasWithTexture(TextureMgr::sharedTextureMgr().addImage(file), capacity);
}

base::Ref<TextureAtlas> TextureAtlas::textureAtlasWithTexture(
    base::Ref<Texture2D> texture, std::size_t capacity) {
    return base::make<TextureAtlas>(std::move(texture), capacity);
}

TextureAtlas::TextureAtlas(base::Ref<Texture2D> texture, std::size_t capacity)
    : texture_(std::move(texture)) {
    if (!resizeCapacity(std::min(capacity, maxCapacity)))
        base::logLine("TextureAtlas: not enough memory");
}

void TextureAtlas::fillIndices() {
    indices_.resize(capacity_ * 6);
    for (std::size_t i = 0; i < capacity_; ++i) {
        auto base = static_cast<GLushort>(i * 4);
        GLushort* six = indices_.data() + i * 6;
        six[0] = base;
        six[1] = base + 1;
        six[2] = base + 2;
        six[3] = base + 3;
        six[4] = base + 2;
        six[5] = base + 1;
    }
}

void TextureAtlas::updateQuad(V3F_C4B_T2F_Quad const& quad, std::size_t index) {
    VERIFY_MSG(index < capacity_, "updateQuadWithTexture: Invalid index");
    totalQuads_ = std::max(totalQuads_, index + 1);
    quads_[index] = quad;
}

bool TextureAtlas::insertQuad(V3F_C4B_T2F_Quad const& quad, std::size_t index) {
    VERIFY_MSG(index <= totalQuads_, "updateQuadWithTexture: Invalid index");
    // Moving the later quads up needs one free place past the last one.
    if (totalQuads_ == capacity_ && !resizeCapacity((totalQuads_ * 4 + 4) / 3))
        return false;
    VERIFY_MSG(index < capacity_, "updateQuadWithTexture: Invalid index");
    std::copy_backward(quads_.begin() + static_cast<std::ptrdiff_t>(index),
        quads_.begin() + static_cast<std::ptrdiff_t>(totalQuads_),
        quads_.begin() + static_cast<std::ptrdiff_t>(totalQuads_ + 1));
    quads_[index] = quad;
    ++totalQuads_;
    return true;
}

void TextureAtlas::insertQuadFromIndex(std::size_t from, std::size_t to) {
    VERIFY_MSG(
        from < totalQuads_ && to < totalQuads_, "insertQuadFromIndex:atIndex: Invalid index");
    if (from == to)
        return;
    auto first = quads_.begin();
    if (from < to)
        std::rotate(first + static_cast<std::ptrdiff_t>(from),
            first + static_cast<std::ptrdiff_t>(from + 1),
            first + static_cast<std::ptrdiff_t>(to + 1));
    else
        std::rotate(first + static_cast<std::ptrdiff_t>(to),
            first + static_cast<std::ptrdiff_t>(from),
            first + static_cast<std::ptrdiff_t>(from + 1));
}

void TextureAtlas::removeQuadAtIndex(std::size_t index) {
    VERIFY_MSG(index < totalQuads_, "removeQuadAtIndex: Invalid index");
    std::copy(quads_.begin() + static_cast<std::ptrdiff_t>(index + 1),
        quads_.begin() + static_cast<std::ptrdiff_t>(totalQuads_),
        quads_.begin() + static_cast<std::ptrdiff_t>(index));
    --totalQuads_;
}

bool TextureAtlas::resizeCapacity(std::size_t capacity) {
    if (capacity == capacity_)
        return true;
    if (capacity > maxCapacity) {
        base::logLine("TextureAtlas: a capacity of " + std::to_string(capacity)
            + " quads is more than 16-bit indices reach");
        return false;
    }
    try {
        quads_.resize(capacity);
        quads_.shrink_to_fit();
        totalQuads_ = std::min(totalQuads_, capacity);
        capacity_ = capacity;
        fillIndices();
    } catch (std::bad_alloc const&) {
        base::logLine("TextureAtlas: not enough memory");
        quads_ = {};
        indices_ = {};
        totalQuads_ = 0;
        capacity_ = 0;
        return false;
    }
    return true;
}

void TextureAtlas::setQuads(std::vector<V3F_C4B_T2F_Quad> quads) {
    if (quads.size() > maxCapacity) {
        base::logLine("TextureAtlas: " + std::to_string(quads.size())
            + " quads are more than 16-bit indices reach; the rest are dropped");
        quads.resize(maxCapacity);
    }
    quads_ = std::move(quads);
    capacity_ = quads_.size();
    totalQuads_ = std::min(totalQuads_, capacity_);
    fillIndices();
}

void TextureAtlas::drawNumberOfQuads(std::size_t n) const {
    n = std::min(n, capacity_);
    // Without its image an atlas shows nothing rather than blank quads.
    if (n == 0 || !texture_)
        return;
    glBindTexture(GL_TEXTURE_2D, texture_->name());
    auto const* start = reinterpret_cast<std::uint8_t const*>(quads_.data());
    GLsizei const stride = sizeof(V3F_C4B_T2F);
    glVertexPointer(3, GL_FLOAT, stride, start + offsetof(V3F_C4B_T2F, vertices));
    glColorPointer(4, GL_UNSIGNED_BYTE, stride, start + offsetof(V3F_C4B_T2F, colors));
    glTexCoordPointer(2, GL_FLOAT, stride, start + offsetof(V3F_C4B_T2F, texCoords));
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(n * 6), GL_UNSIGNED_SHORT, indices_.data());
    drawCalls.fetch_add(1, std::memory_order_relaxed);
}

std::uint64_t TextureAtlas::drawCallCount() {
    return drawCalls.load(std::memory_order_relaxed);
}

std::string TextureAtlas::description() const {
    return "<" + className(*this) + " = " + objectAddress(this)
        + " | totalQuads =  " + std::to_string(totalQuads_) + ">";
}

}
