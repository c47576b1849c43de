// A frame of sprites drawn headless: 150 and 1,000 sprites from one sheet, each moving
// and turning forever, drawn one by one (Sprite) and as one batch (AtlasSpriteManager),
// with glFinish ending every frame as a swap would. The peers are raw GL ES loops that
// draw the same quads with the same transforms and the state set once a frame: one
// draw call per quad beside the unbatched sprites, one for all beside the batch.
//
// The time is the main thread's CPU time per frame (the rasteriser's threads are not
// counted): the actions, the visit, and the GL calls up to the driver's hand-off. Every
// run also checks that the heap never shrank between two frames (the allocator's
// thresholds are pinned at start), since a heap that trims itself every frame makes
// each state change of the driver cost a page fault or more.

#include "Compare.hpp"

#include <engine/AtlasSprite.hpp>
#include <engine/AtlasSpriteManager.hpp>
#include <engine/CompositeAction.hpp>
#include <engine/IntervalAction.hpp>
#include <engine/RepeatForever.hpp>
#include <engine/SceneNode.hpp>
#include <engine/Scheduler.hpp>
#include <engine/Sprite.hpp>
#include <engine/Texture2D.hpp>

#include <base/Allocator.hpp>
#include <graphics/GLES.hpp>
#include <graphics/Image.hpp>
#include <graphics/Surface.hpp>

#include <malloc.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr float FrameTime = 1.0f / 60;
constexpr int Width = 480;
constexpr int Height = 320;
constexpr float Side = 32;

[[maybe_unused]] bool const pinned = base::pinAllocatorThresholds();

// One headless context with a framebuffer, made on first use and kept for the program.
struct Context {
    base::Ref<graphics::Surface> surface;
    base::Ref<engine::Texture2D> sheet;

    Context() {
        surface = graphics::Surface::createHeadless({Width, Height, 1, "bench"});
        bench::require(surface.get() != nullptr, "a headless OpenGL ES 1.1 context");
        GLuint renderbuffer = 0, framebuffer = 0;
        glGenRenderbuffersOES(1, &renderbuffer);
        glBindRenderbufferOES(GL_RENDERBUFFER_OES, renderbuffer);
        bench::require(surface->context().renderbufferStorage(GL_RENDERBUFFER_OES, *surface),
            "storage for the framebuffer");
        glGenFramebuffersOES(1, &framebuffer);
        glBindFramebufferOES(GL_FRAMEBUFFER_OES, framebuffer);
        glFramebufferRenderbufferOES(
            GL_FRAMEBUFFER_OES, GL_COLOR_ATTACHMENT0_OES, GL_RENDERBUFFER_OES, renderbuffer);
        bench::require(
            glCheckFramebufferStatusOES(GL_FRAMEBUFFER_OES) == GL_FRAMEBUFFER_COMPLETE_OES,
            "a complete framebuffer");
        glViewport(0, 0, Width, Height);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrthof(0, Width, 0, Height, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glEnable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);

        // A 32 x 32 sheet in a gradient; every sprite shows all of it.
        graphics::Image image {int(Side), int(Side)};
        for (int y = 0; y < int(Side); ++y) {
            for (int x = 0; x < int(Side); ++x)
                image.setPixel(x, y, {std::uint8_t(x * 8), std::uint8_t(y * 8), 128, 255});
        }
        sheet = engine::Texture2D::initWithImage(image);
        bench::require(sheet.get() != nullptr, "the sheet's texture");
    }
};

Context& context() {
    static Context shared;
    return shared;
}

engine::Point placeOf(int i) {
    return {float(20 + (i * 37) % (Width - 40)), float(20 + (i * 53) % (Height - 40))};
}

// Moves back and forth and turns, forever.
void animate(engine::SceneNode& node, int i) {
    float dx = float(i % 7) * 4 - 12;
    auto move = engine::MoveBy::actionWithDuration(1.0f, {dx, 10});
    auto back = move->reverse();
    node.runAction(engine::RepeatForever::actionWithAction(
        base::ref_cast<engine::IntervalAction>(engine::Sequence::actions(move, back))));
    node.runAction(
        engine::RepeatForever::actionWithAction(engine::RotateBy::actionWithDuration(2.0f, 360)));
}

// Runs frames and checks that the heap never gave memory back between two of them.
template<typename Frame> void runFrames(benchmark::State& state, Frame&& frame) {
    long shrinks = 0;
    std::size_t before = mallinfo2().arena;
    for (auto _ : state) {
        frame();
        glFinish();
        std::size_t after = mallinfo2().arena;
        if (after < before)
            ++shrinks;
        before = after;
    }
    state.counters["heap shrinks"] = double(shrinks);
    bench::require(shrinks == 0, "the heap never shrinks between frames");
}

void frameOfTree(engine::SceneNode& root) {
    engine::Scheduler::sharedScheduler().tick(FrameTime);
    glClear(GL_COLOR_BUFFER_BIT);
    root.visit();
}

bench::Body unbatched(int count) {
    return [count](benchmark::State& state) {
        auto& gl = context();
        auto root = engine::SceneNode::node();
        for (int i = 0; i < count; ++i) {
            auto sprite = engine::Sprite::spriteWithTexture(gl.sheet);
            sprite->setPosition(placeOf(i));
            root->addChild(sprite, 0);
        }
        root->onEnter();
        for (int i = 0; i < count; ++i)
            animate(*root->children()[std::size_t(i)], i);
        runFrames(state, [&] { frameOfTree(*root); });
        root->onExit();
        root->removeAllChildrenWithCleanup(engine::Cleanup::Yes);
    };
}

bench::Body batched(int count) {
    return [count](benchmark::State& state) {
        auto& gl = context();
        auto root = engine::SceneNode::node();
        auto batch = engine::AtlasSpriteManager::spriteManagerWithTexture(gl.sheet, count);
        root->addChild(batch, 0);
        for (int i = 0; i < count; ++i) {
            auto sprite = batch->createSpriteWithRect({{0, 0}, {Side, Side}});
            sprite->setPosition(placeOf(i));
            batch->addChild(sprite, 0);
        }
        root->onEnter();
        for (int i = 0; i < count; ++i)
            animate(*batch->children()[std::size_t(i)], i);
        runFrames(state, [&] { frameOfTree(*root); });
        root->onExit();
        batch->removeAllChildrenWithCleanup(engine::Cleanup::Yes);
    };
}

// The raw loops keep their quads in plain arrays and step the same motion by hand.
struct RawQuad {
    float x, y, angle;
    float vertices[12];
    float coordinates[8];
};

std::vector<RawQuad> rawQuads(int count) {
    std::vector<RawQuad> quads;
    quads.resize(std::size_t(count));
    for (int i = 0; i < count; ++i) {
        auto& q = quads[std::size_t(i)];
        auto at = placeOf(i);
        q.x = at.x;
        q.y = at.y;
        q.angle = 0;
        float h = Side / 2;
        float const v[12] = {-h, -h, 0, h, -h, 0, -h, h, 0, h, h, 0};
        std::copy(std::begin(v), std::end(v), q.vertices);
        float const c[8] = {0, 1, 1, 1, 0, 0, 1, 0};
        std::copy(std::begin(c), std::end(c), q.coordinates);
    }
    return quads;
}

void stepRaw(std::vector<RawQuad>& quads, float t) {
    for (std::size_t i = 0; i < quads.size(); ++i) {
        auto& q = quads[i];
        q.x += std::sin(t + float(i)) * 0.5f;
        q.angle = std::fmod(q.angle + 3, 360.0f);
    }
}

bench::Body rawOneCallPerQuad(int count) {
    return [count](benchmark::State& state) {
        auto& gl = context();
        auto quads = rawQuads(count);
        float t = 0;
        runFrames(state, [&] {
            stepRaw(quads, t += FrameTime);
            glClear(GL_COLOR_BUFFER_BIT);
            glEnable(GL_TEXTURE_2D);
            glEnableClientState(GL_VERTEX_ARRAY);
            glEnableClientState(GL_TEXTURE_COORD_ARRAY);
            glBindTexture(GL_TEXTURE_2D, gl.sheet->name());
            for (auto const& q : quads) {
                glPushMatrix();
                glTranslatef(q.x, q.y, 0);
                glRotatef(-q.angle, 0, 0, 1);
                glColor4ub(255, 255, 255, 255);
                glVertexPointer(3, GL_FLOAT, 0, q.vertices);
                glTexCoordPointer(2, GL_FLOAT, 0, q.coordinates);
                glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
                glPopMatrix();
            }
            glDisable(GL_TEXTURE_2D);
            glDisableClientState(GL_VERTEX_ARRAY);
            glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        });
    };
}

bench::Body rawOneCallForAll(int count) {
    return [count](benchmark::State& state) {
        auto& gl = context();
        auto quads = rawQuads(count);
        // Transformed corners, four per quad, and six indices per quad.
        std::vector<float> vertices(std::size_t(count) * 12);
        std::vector<float> coordinates(std::size_t(count) * 8);
        std::vector<GLushort> indices(std::size_t(count) * 6);
        for (int i = 0; i < count; ++i) {
            std::copy(std::begin(quads[std::size_t(i)].coordinates),
                std::end(quads[std::size_t(i)].coordinates),
                coordinates.begin() + std::ptrdiff_t(i) * 8);
            GLushort const b = GLushort(i * 4);
            GLushort const six[6] = {b, GLushort(b + 1), GLushort(b + 2), GLushort(b + 3),
                GLushort(b + 2), GLushort(b + 1)};
            std::copy(std::begin(six), std::end(six), indices.begin() + std::ptrdiff_t(i) * 6);
        }
        float t = 0;
        runFrames(state, [&] {
            stepRaw(quads, t += FrameTime);
            for (std::size_t i = 0; i < quads.size(); ++i) {
                auto const& q = quads[i];
                float c = std::cos(q.angle * 0.0174533f), s = std::sin(q.angle * 0.0174533f);
                for (int k = 0; k < 4; ++k) {
                    float vx = q.vertices[k * 3], vy = q.vertices[k * 3 + 1];
                    vertices[i * 12 + std::size_t(k) * 3] = q.x + vx * c + vy * s;
                    vertices[i * 12 + std::size_t(k) * 3 + 1] = q.y - vx * s + vy * c;
                    vertices[i * 12 + std::size_t(k) * 3 + 2] = 0;
                }
            }
            glClear(GL_COLOR_BUFFER_BIT);
            glEnable(GL_TEXTURE_2D);
            glEnableClientState(GL_VERTEX_ARRAY);
            glEnableClientState(GL_TEXTURE_COORD_ARRAY);
            glBindTexture(GL_TEXTURE_2D, gl.sheet->name());
            glVertexPointer(3, GL_FLOAT, 0, vertices.data());
            glTexCoordPointer(2, GL_FLOAT, 0, coordinates.data());
            glDrawElements(
                GL_TRIANGLES, GLsizei(indices.size()), GL_UNSIGNED_SHORT, indices.data());
            glDisable(GL_TEXTURE_2D);
            glDisableClientState(GL_VERTEX_ARRAY);
            glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        });
    };
}

[[maybe_unused]] bool const registered = [] {
    for (int count : {150, 1000}) {
        auto n = std::to_string(count);
        bench::compare("Sprites/unbatched/" + n + " sprites", unbatched(count),
            {{"raw GL ES, one call a quad", rawOneCallPerQuad(count)}});
        bench::compare("Sprites/batched/" + n + " sprites", batched(count),
            {{"raw GL ES, one call", rawOneCallForAll(count)}});
    }
    return true;
}();

}
