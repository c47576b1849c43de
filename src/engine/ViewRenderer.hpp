#pragma once

#include <graphics/Forward.hpp>
#include <graphics/GLES.hpp>
#include <graphics/Geometry.hpp>
#include <ui/View.hpp>

#include <cstdint>
#include <string>
#include <unordered_map>

namespace engine {

// Draws view trees with OpenGL ES 1.1 over what the framebuffer already holds (the
// engine's scene), in the same context: back to front, each view with what is on screen
// now (its presentation: animated geometry, alpha, transform and background colour).
// A view's own content (what drawRect draws) is rasterised with cairo into a texture and
// kept until its content version or size changes; plain backgrounds are coloured quads,
// rounded backgrounds and borders tinted masks. clipsToBounds clips the subviews with the
// scissor box while the view's transform keeps its edges upright (otherwise they are not
// clipped). A view that draws itself with GL is left alone; its subviews are drawn over.
//
// The GL state it changes (matrices, blending, textures, client arrays, scissor, colour)
// is put back as it was. Made, used and destroyed on the thread of one context, which
// must be current; releaseTextures (or destroying the renderer) must run with that
// context current too, or after the context is gone.
class ViewRenderer {
public:
    ViewRenderer();
    ~ViewRenderer();
    ViewRenderer(ViewRenderer const&) = delete;
    ViewRenderer& operator=(ViewRenderer const&) = delete;

    // Draws root and its subviews onto the current viewport, which shows screenSize points
    // (the window's size unless given). Lays out views that need it first.
    void render(ui::View& root, graphics::Size screenSize = {});
    // Draws every visible window of the application, in the order they were made.
    void renderWindows(graphics::Size screenSize);

    // Deletes every texture kept.
    void releaseTextures();

    // For tests and diagnostics: textures kept, and how many times views were rasterised.
    std::size_t textureCount() const;
    std::uint64_t rasterizationCount() const { return rasterizations_; }

    struct Frame;

private:
    struct Texture {
        GLuint name {0};
        std::string key;
    };
    struct Entry {
        Texture content;
        bool hasContent {false};
        std::uint64_t version {0};
        graphics::Size size;
        float scale {0};
        Texture backgroundMask;
        Texture borderMask;
        std::uint64_t lastUsed {0};
    };

    void drawView(
        ui::View& view, graphics::AffineTransform const& parent, float parentAlpha, Frame& frame);
    void drawContent(
        ui::View& view, ui::View::Presentation const& presentation, float alpha, Frame& frame);
    GLuint upload(Texture& texture, std::string const& key, graphics::Image const& image);
    void deleteTexture(Texture& texture);
    void sweep();

    std::unordered_map<std::uint64_t, Entry> entries_;
    std::uint64_t renderCount_ {0};
    std::uint64_t rasterizations_ {0};
};

}
