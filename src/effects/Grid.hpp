#pragma once

#include <base/Ref.hpp>
#include <effects/Forward.hpp>
#include <effects/GridTypes.hpp>
#include <engine/Geometry.hpp>
#include <engine/GridBase.hpp>

#include <cstdint>
#include <string>
#include <vector>

namespace effects {

// A grid that a node is drawn through: while active, the node's subtree is rendered off
// screen into the grid's texture (beforeDraw, under a flat 2D projection over the window)
// and that texture is drawn back as a mesh (afterDraw, under the default 3D projection and
// the node's camera) whose vertices the effect actions move. The node retains its grid;
// effect actions make grids and hand them over. This base raises on blit and reuse; Grid3D
// and TiledGrid3D are the meshes. Main thread, with the GL context current from creation
// to release.
//
// The texture covers the window in pixels: each side is the next power of two of the
// window's side times the surface's scale, so a tablet window is grabbed whole.
class GridBase : public engine::GridBase {
public:
    // Raises "GridBase" / "Abstract class needs implementation" on this base.
    virtual void blit();
    virtual void reuse();

    void beforeDraw() override;
    void afterDraw(engine::Camera* camera) override;

    // Identity model-view, the viewport over the window and an orthographic projection of
    // one unit per point with the origin at the lower left.
    void set2DProjection();
    // The director's default: viewport over the surface, 60-degree perspective, the eye at
    // Camera::getZEye() above the centre.
    static void set3DProjection();
    // The device orientation's turn of the model-view matrix about the display's centre.
    static void applyLandscape();

    std::string description() const;

    int reuseGrid() const { return reuseGrid_; }
    void setReuseGrid(int reuseGrid) { reuseGrid_ = reuseGrid; }
    ccGridSize gridSize() const { return gridSize_; }
    engine::Point step() const { return step_; }
    void setStep(engine::Point step) { step_ = step; }
    engine::Texture2D* texture() const { return texture_.get(); }
    void setTexture(base::Ref<engine::Texture2D> texture);
    Grabber* grabber() const { return grabber_.get(); }
    void setGrabber(base::Ref<Grabber> grabber);

    // The texture's size in points, which texture coordinates divide by.
    engine::Size textureSizeInPoints() const;

protected:
    ~GridBase() override;

    int reuseGrid_ {0};
    ccGridSize gridSize_;
    base::Ref<engine::Texture2D> texture_;
    engine::Point step_;
    base::Ref<Grabber> grabber_;

    friend base::Factory;

    // Raises "Frame Grabber" when the texture cannot be attached.
    explicit GridBase(ccGridSize gridSize);
};

// A connected mesh of (x+1)(y+1) shared vertices that deforms like a sheet. Grid point
// (i, j) is stored at i(y+1)+j (column by column); cell (i, j) owns the six indices from
// 6(jx+i) (row by row): a, b, d, b, c, d.
class Grid3D final : public GridBase {
public:
    static base::Ref<Grid3D> gridWithSize(ccGridSize gridSize);

    // Grid points are not checked: callers pass 0..x and 0..y.
    ccVertex3F vertex(ccGridSize pos) const;
    ccVertex3F originalVertex(ccGridSize pos) const;
    void setVertex(ccGridSize pos, ccVertex3F vertex);

    void blit() override;
    void reuse() override;
    void calculateVertexPoints();

    std::vector<ccVertex3F> const& vertices() const { return vertices_; }
    std::vector<ccVertex3F> const& originalVertices() const { return originalVertices_; }
    std::vector<float> const& texCoordinates() const { return texCoordinates_; }
    std::vector<std::uint16_t> const& indices() const { return indices_; }

private:
    std::size_t index(ccGridSize pos) const {
        return std::size_t(pos.x * (gridSize_.y + 1) + pos.y);
    }

    std::vector<ccVertex3F> vertices_;
    std::vector<ccVertex3F> originalVertices_;
    std::vector<float> texCoordinates_;
    std::vector<std::uint16_t> indices_;

    friend base::Factory;

    explicit Grid3D(ccGridSize gridSize);
};

// x·y independent quads (tiles) that can be moved apart. Tile (i, j) is stored at iy+j.
class TiledGrid3D final : public GridBase {
public:
    static base::Ref<TiledGrid3D> gridWithSize(ccGridSize gridSize);

    // Tile positions are not checked: callers pass 0..x-1 and 0..y-1.
    ccQuad3 tile(ccGridSize pos) const;
    ccQuad3 originalTile(ccGridSize pos) const;
    void setTile(ccGridSize pos, ccQuad3 coords);

    void blit() override;
    void reuse() override;
    void calculateVertexPoints();

    std::vector<ccQuad3> const& vertices() const { return vertices_; }
    std::vector<ccQuad3> const& originalVertices() const { return originalVertices_; }
    std::vector<float> const& texCoordinates() const { return texCoordinates_; }
    std::vector<std::uint16_t> const& indices() const { return indices_; }

private:
    std::size_t index(ccGridSize pos) const { return std::size_t(pos.x * gridSize_.y + pos.y); }

    std::vector<ccQuad3> vertices_;
    std::vector<ccQuad3> originalVertices_;
    std::vector<float> texCoordinates_;
    std::vector<std::uint16_t> indices_;

    friend base::Factory;

    explicit TiledGrid3D(ccGridSize gridSize);
};

}
