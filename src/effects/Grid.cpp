#include <effects/Grabber.hpp>
#include <effects/Grid.hpp>

#include <base/Exception.hpp>
#include <base/Verify.hpp>
#include <engine/Camera.hpp>
#include <engine/Describe.hpp>
#include <engine/DirectorServices.hpp>
#include <engine/GLMatrix.hpp>
#include <engine/Texture2D.hpp>

#include <cmath>
#include <cstdio>

namespace effects {

namespace {

[[noreturn]] void abstractClass() {
    throw base::Exception("GridBase", "Abstract class needs implementation");
}

// Whole pixels of a side in points, at least 1 so that a texture can be made.
unsigned pixelSide(float points, float scale) {
    float pixels = std::ceil(points * scale);
    return pixels >= 1 ? unsigned(pixels) : 1u;
}

}

// GridBase

GridBase::GridBase(ccGridSize gridSize)
    : gridSize_(gridSize) {
    auto const& director = engine::DirectorServices::current();
    engine::Size win = director.winSize();
    float scale = director.contentScaleFactor();
    unsigned width = engine::nextPowerOfTwo(pixelSide(win.width, scale));
    unsigned height = engine::nextPowerOfTwo(pixelSide(win.height, scale));
    auto format = director.pixelFormat() == 0 ? engine::Texture2DPixelFormat::RGB565
                                              : engine::Texture2DPixelFormat::RGBA8888;
    std::vector<std::uint8_t> zeros(std::size_t(width) * height * 4, 0);
    texture_ = engine::Texture2D::initWithData(zeros, format, width, height, win);
    grabber_ = Grabber::create();
    grabber_->grab(*texture_);
    step_ = {win.width / float(gridSize.x), win.height / float(gridSize.y)};
}

GridBase::~GridBase() = default;

void GridBase::blit() {
    abstractClass();
}

void GridBase::reuse() {
    abstractClass();
}

void GridBase::setTexture(base::Ref<engine::Texture2D> texture) {
    texture_ = std::move(texture);
}

void GridBase::setGrabber(base::Ref<Grabber> grabber) {
    grabber_ = std::move(grabber);
}

engine::Size GridBase::textureSizeInPoints() const {
    if (!texture_)
        return {};
    float scale = engine::DirectorServices::current().contentScaleFactor();
    return {float(texture_->pixelsWide()) / scale, float(texture_->pixelsHigh()) / scale};
}

std::string GridBase::description() const {
    char text[64];
    std::snprintf(text, sizeof text, " | Dimensions = %ix%i>", int(gridSize_.x), int(gridSize_.y));
    return "<" + engine::className(*this) + " = " + engine::objectAddress(this) + text;
}

void GridBase::beforeDraw() {
    set2DProjection();
    grabber_->beforeRender(texture_.get());
}

void GridBase::afterDraw(engine::Camera* camera) {
    grabber_->afterRender(texture_.get());
    set3DProjection();
    applyLandscape();
    if (camera) {
        // The camera decides the view of the mesh whether or not it was moved.
        bool dirty = camera->dirty();
        camera->setDirty(true);
        camera->locate();
        camera->setDirty(dirty);
    }
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture_->name());
    blit();
    glDisable(GL_TEXTURE_2D);
}

void GridBase::set2DProjection() {
    auto const& director = engine::DirectorServices::current();
    engine::Size win = director.winSize();
    float scale = director.contentScaleFactor();
    glLoadIdentity();
    glViewport(0, 0, GLsizei(win.width * scale), GLsizei(win.height * scale));
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrthof(0, win.width, 0, win.height, -100, 100);
    glMatrixMode(GL_MODELVIEW);
}

void GridBase::set3DProjection() {
    auto const& director = engine::DirectorServices::current();
    engine::Size size = director.displaySize();
    // A surface without size has no projection; a zero height would put NaNs into it.
    if (!(size.width > 0 && size.height > 0))
        return;
    float scale = director.contentScaleFactor();
    glViewport(0, 0, GLsizei(size.width * scale), GLsizei(size.height * scale));
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    engine::SetPerspective(60, size.width / size.height, 0.5f, 1500.0f);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    engine::SetLookAt(size.width / 2, size.height / 2, engine::Camera::getZEye(), size.width / 2,
        size.height / 2, 0, 0, 1, 0);
}

void GridBase::applyLandscape() {
    auto const& director = engine::DirectorServices::current();
    engine::Size display = director.displaySize();
    engine::Size win = director.winSize();
    float cx = display.width / 2, cy = display.height / 2;
    switch (director.deviceOrientation()) {
    case 2:
        glTranslatef(cx, cy, 0);
        glRotatef(180, 0, 0, 1);
        glTranslatef(-win.width / 2, -win.height / 2, 0);
        break;
    case 3:
        glTranslatef(cx, cy, 0);
        glRotatef(-90, 0, 0, 1);
        glTranslatef(-win.width / 2, -win.height / 2, 0);
        break;
    case 4:
        glTranslatef(cx, cy, 0);
        glRotatef(90, 0, 0, 1);
        glTranslatef(-win.width / 2, -win.height / 2, 0);
        break;
    default:
        break;
    }
}

namespace {

// Draws the mesh with the bound texture: both client arrays on for the draw only.
void drawMesh(
    float const* vertices, float const* texCoordinates, std::vector<std::uint16_t> const& indices) {
    if (indices.empty())
        return;
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, vertices);
    glTexCoordPointer(2, GL_FLOAT, 0, texCoordinates);
    glDrawElements(GL_TRIANGLES, GLsizei(indices.size()), GL_UNSIGNED_SHORT, indices.data());
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
}

// The mesh sizes that 16-bit indices can address; negative sizes are no grid at all.
void checkSize(ccGridSize size, long long vertexCount) {
    VERIFY_MSG(size.x >= 0 && size.y >= 0, "Grid size must not be negative");
    VERIFY_MSG(vertexCount <= 65536, "Grid too large for 16-bit indices");
}

}

// Grid3D

base::Ref<Grid3D> Grid3D::gridWithSize(ccGridSize gridSize) {
    return base::make<Grid3D>(gridSize);
}

Grid3D::Grid3D(ccGridSize gridSize)
    : GridBase(gridSize) {
    calculateVertexPoints();
}

void Grid3D::calculateVertexPoints() {
    int x = gridSize_.x, y = gridSize_.y;
    checkSize(gridSize_, (long long)(x + 1) * (y + 1));
    engine::Size tex = textureSizeInPoints();
    std::size_t count = std::size_t(x + 1) * std::size_t(y + 1);
    vertices_.assign(count, ccVertex3F {-1, -1, -1});
    texCoordinates_.assign(count * 2, -1);
    indices_.assign(std::size_t(x) * std::size_t(y) * 6, 0);
    for (int i = 0; i < x; ++i) {
        for (int j = 0; j < y; ++j) {
            float x1 = float(i) * step_.x;
            float x2 = x1 + step_.x;
            float y1 = float(j) * step_.y;
            float y2 = y1 + step_.y;
            auto a = std::uint16_t(i * (y + 1) + j);
            auto b = std::uint16_t((i + 1) * (y + 1) + j);
            auto c = std::uint16_t((i + 1) * (y + 1) + j + 1);
            auto d = std::uint16_t(i * (y + 1) + j + 1);
            std::uint16_t cell[6] = {a, b, d, b, c, d};
            std::size_t first = std::size_t(j * x + i) * 6;
            for (int k = 0; k < 6; ++k)
                indices_[first + std::size_t(k)] = cell[k];
            ccVertex3F corners[4] = {{x1, y1, 0}, {x2, y1, 0}, {x2, y2, 0}, {x1, y2, 0}};
            std::uint16_t points[4] = {a, b, c, d};
            for (int k = 0; k < 4; ++k) {
                vertices_[points[k]] = corners[k];
                texCoordinates_[std::size_t(points[k]) * 2] = corners[k].x / tex.width;
                texCoordinates_[std::size_t(points[k]) * 2 + 1] = corners[k].y / tex.height;
            }
        }
    }
    originalVertices_ = vertices_;
}

ccVertex3F Grid3D::vertex(ccGridSize pos) const {
    return vertices_[index(pos)];
}

ccVertex3F Grid3D::originalVertex(ccGridSize pos) const {
    return originalVertices_[index(pos)];
}

void Grid3D::setVertex(ccGridSize pos, ccVertex3F vertex) {
    vertices_[index(pos)] = vertex;
}

void Grid3D::blit() {
    drawMesh(reinterpret_cast<float const*>(vertices_.data()), texCoordinates_.data(), indices_);
}

void Grid3D::reuse() {
    if (reuseGrid_ > 0) {
        originalVertices_ = vertices_;
        --reuseGrid_;
    }
}

// TiledGrid3D

base::Ref<TiledGrid3D> TiledGrid3D::gridWithSize(ccGridSize gridSize) {
    return base::make<TiledGrid3D>(gridSize);
}

TiledGrid3D::TiledGrid3D(ccGridSize gridSize)
    : GridBase(gridSize) {
    calculateVertexPoints();
}

void TiledGrid3D::calculateVertexPoints() {
    int x = gridSize_.x, y = gridSize_.y;
    checkSize(gridSize_, (long long)x * y * 4);
    engine::Size tex = textureSizeInPoints();
    std::size_t count = std::size_t(x) * std::size_t(y);
    vertices_.assign(count, ccQuad3 {});
    texCoordinates_.assign(count * 8, 0);
    indices_.assign(count * 6, 0);
    for (int i = 0; i < x; ++i) {
        for (int j = 0; j < y; ++j) {
            std::size_t k = std::size_t(i * y + j);
            float x1 = float(i) * step_.x;
            float x2 = x1 + step_.x;
            float y1 = float(j) * step_.y;
            float y2 = y1 + step_.y;
            vertices_[k] = {{x1, y1, 0}, {x2, y1, 0}, {x1, y2, 0}, {x2, y2, 0}};
            float coords[8] = {x1 / tex.width, y1 / tex.height, x2 / tex.width, y1 / tex.height,
                x1 / tex.width, y2 / tex.height, x2 / tex.width, y2 / tex.height};
            for (int c = 0; c < 8; ++c)
                texCoordinates_[k * 8 + std::size_t(c)] = coords[c];
        }
    }
    for (std::size_t k = 0; k < count; ++k) {
        auto base = std::uint16_t(4 * k);
        std::uint16_t quad[6] = {base, std::uint16_t(base + 1), std::uint16_t(base + 2),
            std::uint16_t(base + 1), std::uint16_t(base + 2), std::uint16_t(base + 3)};
        for (int c = 0; c < 6; ++c)
            indices_[k * 6 + std::size_t(c)] = quad[c];
    }
    originalVertices_ = vertices_;
}

ccQuad3 TiledGrid3D::tile(ccGridSize pos) const {
    return vertices_[index(pos)];
}

ccQuad3 TiledGrid3D::originalTile(ccGridSize pos) const {
    return originalVertices_[index(pos)];
}

void TiledGrid3D::setTile(ccGridSize pos, ccQuad3 coords) {
    vertices_[index(pos)] = coords;
}

void TiledGrid3D::blit() {
    drawMesh(reinterpret_cast<float const*>(vertices_.data()), texCoordinates_.data(), indices_);
}

void TiledGrid3D::reuse() {
    if (reuseGrid_ > 0) {
        originalVertices_ = vertices_;
        --reuseGrid_;
    }
}

}
