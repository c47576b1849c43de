#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <engine/Quad.hpp>
#include <engine/Texture2D.hpp>

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace engine {

// A buffer of textured quads over one texture, drawn with one indexed draw call:
// the base of sprite batches and character-map labels. It owns its quad and
// index buffers and a reference to its texture. Quads 0 to totalQuads - 1 are in
// use; the buffers hold capacity quads. Main thread.
//
// The indices of quad i are 4i, 4i+1, 4i+2, 4i+3, 4i+2, 4i+1: the triangles
// top-left, bottom-left, top-right and bottom-right, top-right, bottom-left.
// Sixteen-bit indices reach 65536 vertices, so the capacity stops at 16384.
class TextureAtlas : public base::Object {
public:
    static constexpr std::size_t maxCapacity = 16384;

    // The texture through the texture cache (null when the image does not load:
    // the atlas then keeps its quads and draws nothing).
    static base::Ref<TextureAtlas> textureAtlasWithFile(
        std::string const& file, std::size_t capacity);
    static base::Ref<TextureAtlas> textureAtlasWithTexture(
        base::Ref<Texture2D> texture, std::size_t capacity);

    // Copies the quad to index, which must be below the capacity (asserted:
    // "updateQuadWithTexture: Invalid index"); totalQuads grows to cover it.
    void updateQuad(V3F_C4B_T2F_Quad const& quad, std::size_t index);
    // Inserts the quad at index, moving the later quads up one place. The index
    // may be at most totalQuads (asserted, same text). A full atlas first grows by
    // a third, as sprite batches grow theirs; false, with nothing changed, when it
    // cannot.
    bool insertQuad(V3F_C4B_T2F_Quad const& quad, std::size_t index);
    // Moves the quad at from to to, shifting those between by one place; both
    // below totalQuads (asserted: "insertQuadFromIndex:atIndex: Invalid index").
    void insertQuadFromIndex(std::size_t from, std::size_t to);
    // Below totalQuads (asserted: "removeQuadAtIndex: Invalid index").
    void removeQuadAtIndex(std::size_t index);
    // Keeps the buffers.
    void removeAllQuads() { totalQuads_ = 0; }
    // Drops the quads from index on; keeps the buffers.
    void removeQuadsFromIndex(std::size_t index) { totalQuads_ = std::min(totalQuads_, index); }
    // Changes the capacity, keeping the first min(totalQuads, capacity) quads.
    // False, with "TextureAtlas: not enough memory" logged, when the buffers cannot
    // be had: the atlas is then empty with capacity 0. A capacity above
    // maxCapacity is refused with a log line and changes nothing.
    bool resizeCapacity(std::size_t capacity);

    // Binds the texture and draws the first n quads (at most the capacity) as
    // triangles; nothing without a texture. The caller enables the vertex, colour and
    // texture-coordinate arrays and texturing.
    void drawNumberOfQuads(std::size_t n) const;
    void drawQuads() const { drawNumberOfQuads(totalQuads_); }

    std::size_t totalQuads() const { return totalQuads_; }
    std::size_t capacity() const { return capacity_; }
    Texture2D* texture() const { return texture_.get(); }
    void setTexture(base::Ref<Texture2D> texture) { texture_ = std::move(texture); }
    // The whole buffer (capacity quads), writable in place.
    std::span<V3F_C4B_T2F_Quad> quads() { return quads_; }
    std::span<V3F_C4B_T2F_Quad const> quads() const { return quads_; }
    std::span<GLushort const> indices() const { return indices_; }
    // Takes the quads as the whole buffer: the capacity becomes their number and
    // totalQuads is kept within it.
    void setQuads(std::vector<V3F_C4B_T2F_Quad> quads);

    std::string description() const;

    // Draw calls issued by all atlases so far, for tests and diagnostics.
    static std::uint64_t drawCallCount();

private:
    void fillIndices();

    std::size_t totalQuads_ {0};
    std::size_t capacity_ {0};
    std::vector<V3F_C4B_T2F_Quad> quads_;
    std::vector<GLushort> indices_;
    base::Ref<Texture2D> texture_;

    friend base::Factory;

    // Use the factories.
    TextureAtlas(base::Ref<Texture2D> texture, std::size_t capacity);
};

}
