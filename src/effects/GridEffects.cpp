#include <effects/Grid.hpp>
#include <effects/GridEffects.hpp>

#include <base/Exception.hpp>
#include <base/Verify.hpp>
#include <foundation/Random.hpp>

#include <cmath>

namespace effects {

namespace {

constexpr float pi = 3.1415927f;
constexpr float halfPi = 1.5707964f;

float length(float x, float y) {
    return std::sqrt(x * x + y * y);
}

// A whole random offset in -range..range-1, as a float.
float randomOffset(int range) {
    return float(foundation::rand() % (2 * range) - range);
}

}

// Waves3D

base::Ref<Waves3D> Waves3D::actionWithWaves(
    int waves, float amplitude, ccGridSize gridSize, float duration) {
    return base::make<Waves3D>(waves, amplitude, gridSize, duration);
}

Waves3D::Waves3D(int waves, float amplitude, ccGridSize gridSize, float duration)
    : Grid3DAction(gridSize, duration)
    , WithAmplitude(amplitude)
    , waves_(waves) {
}

base::Ref<engine::Action> Waves3D::copy() const {
    return base::make<Waves3D>(waves_, amplitude_, gridSize_, duration());
}

void Waves3D::update(float t) {
    Grid3D* g = mesh();
    if (!g)
        return;
    for (int i = 0; i <= gridSize_.x; ++i) {
        for (int j = 0; j <= gridSize_.y; ++j) {
            ccVertex3F v = g->originalVertex({i, j});
            v.z += std::sin(pi * t * float(waves_) * 2 + (v.y + v.x) * 0.01f) * amplitude_
                * amplitudeRate_;
            g->setVertex({i, j}, v);
        }
    }
}

// FlipX3D, FlipY3D

base::Ref<FlipX3D> FlipX3D::actionWithDuration(float duration) {
    return base::make<FlipX3D>(ccGridSize {1, 1}, duration);
}

base::Ref<FlipX3D> FlipX3D::actionWithSize(ccGridSize gridSize, float duration) {
    return base::make<FlipX3D>(gridSize, duration);
}

FlipX3D::FlipX3D(ccGridSize gridSize, float duration)
    : Grid3DAction(gridSize, duration) {
    if (gridSize.x != 1 || gridSize.y != 1)
        throw base::Exception("FlipX3D", "Grid size must be (1,1)");
}

base::Ref<engine::Action> FlipX3D::copy() const {
    return base::make<FlipX3D>(gridSize_, duration());
}

void FlipX3D::update(float t) {
    Grid3D* g = mesh();
    if (!g)
        return;
    float angle = pi * t;
    float mz = std::sin(angle);
    float mx = std::cos(angle * 0.5f);
    float x0 = g->originalVertex({1, 1}).x;
    float x1 = g->originalVertex({0, 0}).x;
    int left, right;
    float x;
    if (x0 > x1) {
        left = 0;
        right = 1;
        x = x0;
    } else {
        left = 1;
        right = 0;
        x = x1;
    }
    float dx = x - x * mx;
    float dz = std::fabs(std::floor(x * mz * 0.25f));
    for (int j = 0; j <= 1; ++j) {
        ccVertex3F v = g->originalVertex({left, j});
        v.x = dx;
        v.z += dz;
        g->setVertex({left, j}, v);
    }
    for (int j = 0; j <= 1; ++j) {
        ccVertex3F v = g->originalVertex({right, j});
        v.x -= dx;
        v.z -= dz;
        g->setVertex({right, j}, v);
    }
}

base::Ref<FlipY3D> FlipY3D::actionWithDuration(float duration) {
    return base::make<FlipY3D>(ccGridSize {1, 1}, duration);
}

base::Ref<FlipY3D> FlipY3D::actionWithSize(ccGridSize gridSize, float duration) {
    return base::make<FlipY3D>(gridSize, duration);
}

base::Ref<engine::Action> FlipY3D::copy() const {
    return base::make<FlipY3D>(gridSize_, duration());
}

void FlipY3D::update(float t) {
    Grid3D* g = mesh();
    if (!g)
        return;
    float angle = pi * t;
    float mz = std::sin(angle);
    float mx = std::cos(angle * 0.5f);
    float y0 = g->originalVertex({1, 1}).y;
    float y1 = g->originalVertex({0, 0}).y;
    int bottom, top;
    float y;
    if (y0 > y1) {
        bottom = 0;
        top = 1;
        y = y0;
    } else {
        bottom = 1;
        top = 0;
        y = y1;
    }
    float dy = y - y * mx;
    float dz = std::fabs(std::floor(y * mz * 0.25f));
    for (int i = 0; i <= 1; ++i) {
        ccVertex3F v = g->originalVertex({i, bottom});
        v.y = dy;
        v.z += dz;
        g->setVertex({i, bottom}, v);
        v = g->originalVertex({i, top});
        v.y -= dy;
        v.z -= dz;
        g->setVertex({i, top}, v);
    }
}

// Lens3D

base::Ref<Lens3D> Lens3D::actionWithPosition(
    engine::Point position, float radius, ccGridSize gridSize, float duration) {
    return base::make<Lens3D>(position, radius, gridSize, duration);
}

Lens3D::Lens3D(engine::Point position, float radius, ccGridSize gridSize, float duration)
    : Grid3DAction(gridSize, duration)
    , radius_(radius) {
    setPosition(position);
}

base::Ref<engine::Action> Lens3D::copy() const {
    return base::make<Lens3D>(position_, radius_, gridSize_, duration());
}

void Lens3D::update(float) {
    Grid3D* g = mesh();
    if (!g || (position_.x == lastPosition_.x && position_.y == lastPosition_.y))
        return;
    for (int i = 0; i <= gridSize_.x; ++i) {
        for (int j = 0; j <= gridSize_.y; ++j) {
            ccVertex3F v = g->originalVertex({i, j});
            float dx = position_.x - v.x;
            float dy = position_.y - v.y;
            float r = length(dx, dy);
            if (r < radius_) {
                float p = (radius_ - r) / radius_;
                if (p == 0)
                    p = 0.001f;
                float l = std::log(p) * lensEffect_;
                float newR = std::exp(l) * radius_;
                if (r > 0) {
                    float nx = dx / r, ny = dy / r;
                    v.z += length(nx * newR, ny * newR) * lensEffect_;
                }
            }
            g->setVertex({i, j}, v);
        }
    }
    lastPosition_ = position_;
}

// Ripple3D

base::Ref<Ripple3D> Ripple3D::actionWithPosition(engine::Point position, float radius, int waves,
    float amplitude, ccGridSize gridSize, float duration) {
    return base::make<Ripple3D>(position, radius, waves, amplitude, gridSize, duration);
}

Ripple3D::Ripple3D(engine::Point position, float radius, int waves, float amplitude,
    ccGridSize gridSize, float duration)
    : Grid3DAction(gridSize, duration)
    , WithAmplitude(amplitude)
    , radius_(radius)
    , waves_(waves) {
    setPosition(position);
}

base::Ref<engine::Action> Ripple3D::copy() const {
    return base::make<Ripple3D>(position_, radius_, waves_, amplitude_, gridSize_, duration());
}

void Ripple3D::update(float t) {
    Grid3D* g = mesh();
    if (!g)
        return;
    for (int i = 0; i <= gridSize_.x; ++i) {
        for (int j = 0; j <= gridSize_.y; ++j) {
            ccVertex3F v = g->originalVertex({i, j});
            float r = length(position_.x - v.x, position_.y - v.y);
            if (r < radius_) {
                float inside = radius_ - r;
                float fade = inside / radius_;
                v.z += std::sin(pi * t * float(waves_) * 2 + inside * 0.1f) * amplitude_
                    * amplitudeRate_ * (fade * fade);
            }
            g->setVertex({i, j}, v);
        }
    }
}

// Shaky3D

base::Ref<Shaky3D> Shaky3D::actionWithRange(
    int range, bool shakeZ, ccGridSize gridSize, float duration) {
    return base::make<Shaky3D>(range, shakeZ, gridSize, duration);
}

Shaky3D::Shaky3D(int range, bool shakeZ, ccGridSize gridSize, float duration)
    : Grid3DAction(gridSize, duration)
    , randrange_(range)
    , shakeZ_(shakeZ) {
    VERIFY_MSG(range >= 1, "Shaky3D: range must be at least 1");
}

base::Ref<engine::Action> Shaky3D::copy() const {
    return base::make<Shaky3D>(randrange_, shakeZ_, gridSize_, duration());
}

void Shaky3D::update(float) {
    Grid3D* g = mesh();
    if (!g)
        return;
    for (int i = 0; i <= gridSize_.x; ++i) {
        for (int j = 0; j <= gridSize_.y; ++j) {
            ccVertex3F v = g->originalVertex({i, j});
            v.x += randomOffset(randrange_);
            v.y += randomOffset(randrange_);
            if (shakeZ_)
                v.z += randomOffset(randrange_);
            g->setVertex({i, j}, v);
        }
    }
}

// Liquid

base::Ref<Liquid> Liquid::actionWithWaves(
    int waves, float amplitude, ccGridSize gridSize, float duration) {
    return base::make<Liquid>(waves, amplitude, gridSize, duration);
}

Liquid::Liquid(int waves, float amplitude, ccGridSize gridSize, float duration)
    : Grid3DAction(gridSize, duration)
    , WithAmplitude(amplitude)
    , waves_(waves) {
}

base::Ref<engine::Action> Liquid::copy() const {
    return base::make<Liquid>(waves_, amplitude_, gridSize_, duration());
}

void Liquid::update(float t) {
    Grid3D* g = mesh();
    if (!g)
        return;
    for (int i = 1; i < gridSize_.x; ++i) {
        for (int j = 1; j < gridSize_.y; ++j) {
            ccVertex3F v = g->originalVertex({i, j});
            float phase = pi * t * float(waves_) * 2;
            float dx = std::sin(phase + v.x * 0.01f) * amplitude_ * amplitudeRate_;
            float dy = std::sin(phase + v.y * 0.01f) * amplitude_ * amplitudeRate_;
            v.x += dx;
            v.y += dy;
            g->setVertex({i, j}, v);
        }
    }
}

// Waves

base::Ref<Waves> Waves::actionWithWaves(int waves, float amplitude, bool horizontal, bool vertical,
    ccGridSize gridSize, float duration) {
    return base::make<Waves>(waves, amplitude, horizontal, vertical, gridSize, duration);
}

Waves::Waves(
    int waves, float amplitude, bool horizontal, bool vertical, ccGridSize gridSize, float duration)
    : Grid3DAction(gridSize, duration)
    , WithAmplitude(amplitude)
    , waves_(waves)
    , vertical_(vertical)
    , horizontal_(horizontal) {
}

base::Ref<engine::Action> Waves::copy() const {
    return base::make<Waves>(waves_, amplitude_, horizontal_, vertical_, gridSize_, duration());
}

void Waves::update(float t) {
    Grid3D* g = mesh();
    if (!g)
        return;
    for (int i = 0; i <= gridSize_.x; ++i) {
        for (int j = 0; j <= gridSize_.y; ++j) {
            ccVertex3F v = g->originalVertex({i, j});
            if (vertical_)
                v.x += std::sin(pi * t * float(waves_) * 2 + v.y * 0.01f) * amplitude_
                    * amplitudeRate_;
            if (horizontal_)
                v.y += std::sin(pi * t * float(waves_) * 2 + v.x * 0.01f) * amplitude_
                    * amplitudeRate_;
            g->setVertex({i, j}, v);
        }
    }
}

// Twirl

base::Ref<Twirl> Twirl::actionWithPosition(
    engine::Point position, int twirls, float amplitude, ccGridSize gridSize, float duration) {
    return base::make<Twirl>(position, twirls, amplitude, gridSize, duration);
}

Twirl::Twirl(
    engine::Point position, int twirls, float amplitude, ccGridSize gridSize, float duration)
    : Grid3DAction(gridSize, duration)
    , WithAmplitude(amplitude)
    , twirls_(twirls) {
    setPosition(position);
}

base::Ref<engine::Action> Twirl::copy() const {
    return base::make<Twirl>(position_, twirls_, amplitude_, gridSize_, duration());
}

void Twirl::update(float t) {
    Grid3D* g = mesh();
    if (!g)
        return;
    engine::Point c = position_;
    float amp = amplitude_ * 0.1f * amplitudeRate_;
    for (int i = 0; i <= gridSize_.x; ++i) {
        for (int j = 0; j <= gridSize_.y; ++j) {
            float r = length(
                float(i) - float(gridSize_.x) * 0.5f, float(j) - float(gridSize_.y) * 0.5f);
            float a = r * std::cos(halfPi + t * pi * float(twirls_) * 2) * amp;
            ccVertex3F v = g->originalVertex({i, j});
            float dx = v.x - c.x;
            float dy = v.y - c.y;
            v.x = c.x + std::sin(a) * dy + std::cos(a) * dx;
            v.y = c.y + std::cos(a) * dy - std::sin(a) * dx;
            g->setVertex({i, j}, v);
        }
    }
}

}
