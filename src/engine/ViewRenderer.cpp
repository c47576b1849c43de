#include <engine/ViewRenderer.hpp>
#include <ui/Animator.hpp>
#include <ui/Application.hpp>
#include <ui/GraphicsContext.hpp>
#include <ui/Layer.hpp>
#include <ui/Window.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace engine {

namespace {

// Renders unused for longer than this lose their textures.
constexpr std::uint64_t keepUnusedFor = 8;

using graphics::AffineTransform;

// Everything a draw changes, read before and put back after.
class SavedState {
public:
    SavedState() {
        glGetIntegerv(GL_MATRIX_MODE, &matrixMode_);
        blend_ = glIsEnabled(GL_BLEND);
        texture2D_ = glIsEnabled(GL_TEXTURE_2D);
        scissor_ = glIsEnabled(GL_SCISSOR_TEST);
        depth_ = glIsEnabled(GL_DEPTH_TEST);
        cull_ = glIsEnabled(GL_CULL_FACE);
        alphaTest_ = glIsEnabled(GL_ALPHA_TEST);
        vertexArray_ = glIsEnabled(GL_VERTEX_ARRAY);
        texCoordArray_ = glIsEnabled(GL_TEXTURE_COORD_ARRAY);
        colorArray_ = glIsEnabled(GL_COLOR_ARRAY);
        normalArray_ = glIsEnabled(GL_NORMAL_ARRAY);
        glGetIntegerv(GL_BLEND_SRC, &blendSrc_);
        glGetIntegerv(GL_BLEND_DST, &blendDst_);
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &texture_);
        glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &arrayBuffer_);
        glGetIntegerv(GL_SCISSOR_BOX, scissorBox_);
        glGetFloatv(GL_CURRENT_COLOR, color_);
        glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &envMode_);
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &unpack_);
        readPointer(GL_VERTEX_ARRAY_POINTER, GL_VERTEX_ARRAY_SIZE, GL_VERTEX_ARRAY_TYPE,
            GL_VERTEX_ARRAY_STRIDE, GL_VERTEX_ARRAY_BUFFER_BINDING, vertex_);
        readPointer(GL_TEXTURE_COORD_ARRAY_POINTER, GL_TEXTURE_COORD_ARRAY_SIZE,
            GL_TEXTURE_COORD_ARRAY_TYPE, GL_TEXTURE_COORD_ARRAY_STRIDE,
            GL_TEXTURE_COORD_ARRAY_BUFFER_BINDING, texCoord_);
        glMatrixMode(GL_PROJECTION);
        glPushMatrix();
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
    }

    ~SavedState() {
        glMatrixMode(GL_PROJECTION);
        glPopMatrix();
        glMatrixMode(GL_MODELVIEW);
        glPopMatrix();
        glMatrixMode(GLenum(matrixMode_));
        set(GL_BLEND, blend_);
        set(GL_TEXTURE_2D, texture2D_);
        set(GL_SCISSOR_TEST, scissor_);
        set(GL_DEPTH_TEST, depth_);
        set(GL_CULL_FACE, cull_);
        set(GL_ALPHA_TEST, alphaTest_);
        setClient(GL_COLOR_ARRAY, colorArray_);
        setClient(GL_NORMAL_ARRAY, normalArray_);
        glBlendFunc(GLenum(blendSrc_), GLenum(blendDst_));
        glBindTexture(GL_TEXTURE_2D, GLuint(texture_));
        glScissor(scissorBox_[0], scissorBox_[1], scissorBox_[2], scissorBox_[3]);
        glColor4f(color_[0], color_[1], color_[2], color_[3]);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, envMode_);
        glPixelStorei(GL_UNPACK_ALIGNMENT, unpack_);
        glBindBuffer(GL_ARRAY_BUFFER, GLuint(vertex_.buffer));
        glVertexPointer(vertex_.size, GLenum(vertex_.type), vertex_.stride, vertex_.pointer);
        glBindBuffer(GL_ARRAY_BUFFER, GLuint(texCoord_.buffer));
        glTexCoordPointer(
            texCoord_.size, GLenum(texCoord_.type), texCoord_.stride, texCoord_.pointer);
        glBindBuffer(GL_ARRAY_BUFFER, GLuint(arrayBuffer_));
        setClient(GL_VERTEX_ARRAY, vertexArray_);
        setClient(GL_TEXTURE_COORD_ARRAY, texCoordArray_);
    }

    SavedState(SavedState const&) = delete;
    SavedState& operator=(SavedState const&) = delete;

private:
    struct Pointer {
        void* pointer {nullptr};
        GLint size {4};
        GLint type {GL_FLOAT};
        GLint stride {0};
        GLint buffer {0};
    };

    static void readPointer(
        GLenum pointer, GLenum size, GLenum type, GLenum stride, GLenum buffer, Pointer& out) {
        glGetPointerv(pointer, &out.pointer);
        glGetIntegerv(size, &out.size);
        glGetIntegerv(type, &out.type);
        glGetIntegerv(stride, &out.stride);
        glGetIntegerv(buffer, &out.buffer);
    }
    static void set(GLenum cap, GLboolean on) {
        if (on)
            glEnable(cap);
        else
            glDisable(cap);
    }
    static void setClient(GLenum array, GLboolean on) {
        if (on)
            glEnableClientState(array);
        else
            glDisableClientState(array);
    }

    GLint matrixMode_ {GL_MODELVIEW};
    GLboolean blend_, texture2D_, scissor_, depth_, cull_, alphaTest_;
    GLboolean vertexArray_, texCoordArray_, colorArray_, normalArray_;
    GLint blendSrc_ {GL_ONE}, blendDst_ {GL_ZERO};
    GLint texture_ {0};
    GLint arrayBuffer_ {0};
    GLint scissorBox_[4] {};
    GLfloat color_[4] {1, 1, 1, 1};
    GLint envMode_ {GL_MODULATE};
    GLint unpack_ {4};
    Pointer vertex_;
    Pointer texCoord_;
};

void loadMatrix(AffineTransform const& m) {
    GLfloat values[16] = {m.a, m.b, 0, 0, m.c, m.d, 0, 0, 0, 0, 1, 0, m.tx, m.ty, 0, 1};
    glLoadMatrixf(values);
}

void drawQuad(graphics::Rect const& r, bool textured) {
    GLfloat x0 = r.minX(), x1 = r.maxX(), y0 = r.minY(), y1 = r.maxY();
    GLfloat vertices[8] = {x0, y0, x1, y0, x0, y1, x1, y1};
    static GLfloat const coordinates[8] = {0, 0, 1, 0, 0, 1, 1, 1};
    glVertexPointer(2, GL_FLOAT, 0, vertices);
    if (textured) {
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glTexCoordPointer(2, GL_FLOAT, 0, coordinates);
    } else {
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    }
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
}

// Premultiplied colour scaled by alpha.
void setColor(ui::Color const& color, float alpha) {
    float a = color.alpha() * alpha;
    glColor4f(color.red() * a, color.green() * a, color.blue() * a, a);
}

bool isUpright(AffineTransform const& m) {
    return std::fabs(m.b) < 1e-5f && std::fabs(m.c) < 1e-5f;
}

// How a view's coordinates map into its superview's, from what is on screen, with a
// running page transition folded in.
AffineTransform localTransform(ui::View::Presentation const& p,
    std::optional<ui::TransitionState> const& transition, float& alpha) {
    float midX = p.bounds.midX(), midY = p.bounds.midY();
    auto m = AffineTransform::makeTranslation(-midX, -midY);
    if (transition) {
        float t = transition->progress;
        float w = p.bounds.size.width, h = p.bounds.size.height;
        using Kind = ui::TransitionState::Kind;
        switch (transition->kind) {
        case Kind::FlipFromLeft:
        case Kind::FlipFromRight:
            // The view turns edge-on half way and back, showing its new look.
            m = AffineTransform::concat(m,
                AffineTransform::makeScale(
                    std::fmax(0.001f, std::fabs(std::cos(float(M_PI) * t))), 1));
            break;
        case Kind::MoveIn:
        case Kind::Push: {
            float dx = 0, dy = 0;
            switch (transition->subtype) {
            case ui::Transition::Subtype::FromRight:
                dx = w * (1 - t);
                break;
            case ui::Transition::Subtype::FromLeft:
                dx = -w * (1 - t);
                break;
            case ui::Transition::Subtype::FromTop:
                dy = -h * (1 - t);
                break;
            case ui::Transition::Subtype::FromBottom:
                dy = h * (1 - t);
                break;
            }
            m = AffineTransform::concat(m, AffineTransform::makeTranslation(dx, dy));
            break;
        }
        default:
            alpha *= t;
            break;
        }
    }
    if (!p.transform.isIdentity())
        m = AffineTransform::concat(m, p.transform);
    return AffineTransform::concat(m, AffineTransform::makeTranslation(p.center.x, p.center.y));
}

std::string maskKey(char const* kind, graphics::Size size, float radius, float width, float scale) {
    char key[160];
    std::snprintf(key, sizeof key, "%s %.3f %.3f %.3f %.3f %.3f", kind, double(size.width),
        double(size.height), double(radius), double(width), double(scale));
    return key;
}

}

// What one render knows: where points land in pixels, and the scissor box in force.
struct ViewRenderer::Frame {
    GLint viewport[4] {};
    float scaleX {1};
    float scaleY {1};
    bool clipping {false};
    // In screen points, y down.
    graphics::Rect clip;
};

namespace {

// Sets the scissor box to frame's clip (whole pixels inside it, counted from the bottom as
// GL counts), or turns the scissor test off when frame does not clip.
void applyScissor(ViewRenderer::Frame const& frame) {
    if (!frame.clipping) {
        glDisable(GL_SCISSOR_TEST);
        return;
    }
    auto const& box = frame.clip;
    int left = int(std::floor(float(frame.viewport[0]) + box.minX() * frame.scaleX + 0.5f));
    int right = int(std::floor(float(frame.viewport[0]) + box.maxX() * frame.scaleX + 0.5f));
    int top = int(std::floor(box.minY() * frame.scaleY + 0.5f));
    int bottom = int(std::floor(box.maxY() * frame.scaleY + 0.5f));
    glEnable(GL_SCISSOR_TEST);
    glScissor(left, frame.viewport[1] + frame.viewport[3] - bottom, std::max(0, right - left),
        std::max(0, bottom - top));
}

}

ViewRenderer::ViewRenderer() = default;

ViewRenderer::~ViewRenderer() {
    releaseTextures();
}

std::size_t ViewRenderer::textureCount() const {
    std::size_t count = 0;
    for (auto const& [serial, entry] : entries_)
        count += (entry.content.name != 0) + (entry.backgroundMask.name != 0)
            + (entry.borderMask.name != 0);
    return count;
}

void ViewRenderer::deleteTexture(Texture& texture) {
    if (texture.name)
        glDeleteTextures(1, &texture.name);
    texture = {};
}

void ViewRenderer::releaseTextures() {
    for (auto& [serial, entry] : entries_) {
        deleteTexture(entry.content);
        deleteTexture(entry.backgroundMask);
        deleteTexture(entry.borderMask);
    }
    entries_.clear();
}

void ViewRenderer::sweep() {
    for (auto it = entries_.begin(); it != entries_.end();) {
        if (it->second.lastUsed + keepUnusedFor < renderCount_) {
            deleteTexture(it->second.content);
            deleteTexture(it->second.backgroundMask);
            deleteTexture(it->second.borderMask);
            it = entries_.erase(it);
        } else {
            ++it;
        }
    }
}

GLuint ViewRenderer::upload(
    Texture& texture, std::string const& key, graphics::Image const& image) {
    if (!texture.name)
        glGenTextures(1, &texture.name);
    glBindTexture(GL_TEXTURE_2D, texture.name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, image.width(), image.height(), 0, GL_RGBA,
        GL_UNSIGNED_BYTE, image.pixels().data());
    texture.key = key;
    return texture.name;
}

void ViewRenderer::renderWindows(graphics::Size screenSize) {
    for (auto* window : ui::Application::sharedApplication().windows()) {
        if (window && !window->isHidden())
            render(*window, screenSize);
    }
}

void ViewRenderer::render(ui::View& root, graphics::Size screenSize) {
    base::Ref<ui::View> keep(&root);
    root.layoutIfNeeded();
    if (screenSize.width <= 0 || screenSize.height <= 0)
        screenSize = root.frame().size;
    if (screenSize.width <= 0 || screenSize.height <= 0)
        return;
    ++renderCount_;

    SavedState saved;
    Frame frame;
    glGetIntegerv(GL_VIEWPORT, frame.viewport);
    frame.scaleX = float(frame.viewport[2]) / screenSize.width;
    frame.scaleY = float(frame.viewport[3]) / screenSize.height;

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrthof(0, screenSize.width, screenSize.height, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_SCISSOR_TEST);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glEnableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);

    drawView(root, AffineTransform::identity(), 1, frame);
    sweep();
    graphics::gles::checkError("ViewRenderer::render");
}

void ViewRenderer::drawView(
    ui::View& view, AffineTransform const& parent, float parentAlpha, Frame& frame) {
    if (view.isHidden())
        return;
    auto presentation = view.presentation();
    float alpha = parentAlpha * presentation.alpha;
    auto transition = ui::Animator::shared().transition(view);
    auto matrix = AffineTransform::concat(localTransform(presentation, transition, alpha), parent);
    if (alpha <= 0.001f)
        return;

    loadMatrix(matrix);
    drawContent(view, presentation, alpha, frame);

    if (view.subviews().empty())
        return;
    Frame inner = frame;
    bool clips = view.clipsToBounds() && isUpright(matrix);
    if (clips) {
        auto box = matrix.apply(presentation.bounds);
        if (frame.clipping) {
            float x0 = std::fmax(box.minX(), frame.clip.minX()),
                  y0 = std::fmax(box.minY(), frame.clip.minY());
            float x1 = std::fmin(box.maxX(), frame.clip.maxX()),
                  y1 = std::fmin(box.maxY(), frame.clip.maxY());
            box = {{x0, y0}, {std::fmax(0.0f, x1 - x0), std::fmax(0.0f, y1 - y0)}};
        }
        inner.clipping = true;
        inner.clip = box;
        applyScissor(inner);
    }
    auto subviews = view.subviews();
    for (auto const& subview : subviews)
        drawView(*subview, matrix, alpha, inner);
    if (clips)
        applyScissor(frame);
}

void ViewRenderer::drawContent(
    ui::View& view, ui::View::Presentation const& p, float alpha, Frame& frame) {
    if (view.drawsWithGL())
        return;
    auto size = p.bounds.size;
    if (size.width <= 0 || size.height <= 0)
        return;
    auto& entry = entries_[view.serialNumber()];
    entry.lastUsed = renderCount_;
    float scale = std::fmax(frame.scaleX, frame.scaleY);
    auto const& layer = view.layer();
    float radius = std::fmin(layer.cornerRadius(), std::fmin(size.width, size.height) / 2);

    // Background.
    if (!p.backgroundColor.isClear()) {
        setColor(p.backgroundColor, alpha);
        if (radius <= 0) {
            glDisable(GL_TEXTURE_2D);
            drawQuad(p.bounds, false);
        } else {
            auto key = maskKey("background", size, radius, 0, scale);
            if (entry.backgroundMask.key != key) {
                ui::GraphicsContext mask(size, scale);
                mask.setFillColor(ui::Color::whiteColor());
                mask.fillRoundedRect({{0, 0}, size}, radius);
                upload(entry.backgroundMask, key, mask.makeImage());
            }
            glEnable(GL_TEXTURE_2D);
            glBindTexture(GL_TEXTURE_2D, entry.backgroundMask.name);
            drawQuad(p.bounds, true);
        }
    }

    // Content.
    auto version = view.contentVersion();
    if (entry.version != version || entry.size != size || entry.scale != scale
        || entry.content.key.empty()) {
        ui::GraphicsContext context(size, scale);
        context.translateCTM(-p.bounds.origin.x, -p.bounds.origin.y);
        view.drawRect(context, p.bounds);
        ++rasterizations_;
        entry.version = version;
        entry.size = size;
        entry.scale = scale;
        entry.hasContent = context.hasDrawn();
        if (entry.hasContent) {
            upload(entry.content, "content", context.makeImage());
        } else {
            deleteTexture(entry.content);
            entry.content.key = "empty";
        }
    }
    if (entry.hasContent && entry.content.name) {
        setColor(ui::Color::whiteColor(), alpha);
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, entry.content.name);
        drawQuad(p.bounds, true);
    }

    // Border.
    if (layer.borderWidth() > 0 && !layer.borderColor().isClear()) {
        auto key = maskKey("border", size, radius, layer.borderWidth(), scale);
        if (entry.borderMask.key != key) {
            ui::GraphicsContext mask(size, scale);
            float w = std::fmin(layer.borderWidth(), std::fmin(size.width, size.height) / 2);
            mask.setStrokeColor(ui::Color::whiteColor());
            mask.setLineWidth(w);
            mask.strokeRoundedRect(graphics::Rect {{0, 0}, size}.insetBy(w / 2, w / 2),
                std::fmax(0.0f, radius - w / 2));
            upload(entry.borderMask, key, mask.makeImage());
        }
        setColor(layer.borderColor(), alpha);
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, entry.borderMask.name);
        drawQuad(p.bounds, true);
    }
}

}
