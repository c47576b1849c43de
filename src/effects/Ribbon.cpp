#include <effects/Ribbon.hpp>

#include <engine/Texture2D.hpp>
#include <engine/TextureMgr.hpp>
#include <graphics/GLES.hpp>

#include <cmath>
#include <cstdio>

namespace effects {

// Segments

void RibbonSegment::reset() {
    end = 0;
    begin = 0;
    finished = false;
}

std::string RibbonSegment::description() const {
    char text[96];
    std::snprintf(text, sizeof text, "<RibbonSegment = %08X | end = %i, begin = %i>",
        unsigned(reinterpret_cast<std::uintptr_t>(this)), int(end), int(begin));
    return text;
}

void RibbonSegment::draw(float curTime, float fadeTime, engine::Color4B color) {
    if (begin >= points) {
        finished = true;
        return;
    }
    if (curTime == 0) {
        glColor4ub(color.r, color.g, color.b, color.a);
    } else {
        glEnableClientState(GL_COLOR_ARRAY);
        for (unsigned i = begin; i < end; ++i) {
            std::uint8_t* c = &colors[i * 8];
            c[0] = c[4] = color.r;
            c[1] = c[5] = color.g;
            c[2] = c[6] = color.b;
            float e = (curTime - creationTime[i]) / fadeTime;
            std::uint8_t alpha = 0;
            if (e > 1)
                ++begin;
            else
                alpha = std::uint8_t(255 - e * 255);
            c[3] = c[7] = alpha;
        }
        glColorPointer(4, GL_UNSIGNED_BYTE, 0, &colors[begin * 8]);
    }
    if (end <= begin)
        return;
    glVertexPointer(3, GL_FLOAT, 0, &verts[begin * 6]);
    glTexCoordPointer(2, GL_FLOAT, 0, &coords[begin * 4]);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, GLsizei((end - begin) * 2));
}

// Ribbons

base::Ref<Ribbon> Ribbon::ribbonWithWidth(
    float width, std::string const& image, float length, engine::Color4B color, float fade) {
    return base::make<Ribbon>(width, image, length, color, fade);
}

Ribbon::Ribbon(
    float width, std::string const& image, float length, engine::Color4B color, float fade)
    : mFadeTime(fade)
    , mLastWidth(width / 2)
    , textureLength_(length)
    , color_(color) {
    mSegments.push_back(RibbonSegment::create());
    setTexture(engine::TextureMgr::sharedTextureMgr().addImage(image));
    if (texture_)
        texture_->setTexParameters({GL_LINEAR, GL_LINEAR, GL_REPEAT, GL_REPEAT});
}

Ribbon::~Ribbon() = default;

void Ribbon::setTexture(base::Ref<engine::Texture2D> texture) {
    texture_ = std::move(texture);
    setContentSize(texture_ ? texture_->contentSize() : engine::Size {});
}

engine::Point Ribbon::rotatePoint(engine::Point point, float rotation) {
    float c = std::cos(rotation), s = std::sin(rotation);
    return {point.x * c - point.y * s, point.x * s + point.y * c};
}

float Ribbon::sideOfLine(engine::Point p, engine::Point l1, engine::Point l2) {
    return (p.y - l1.y) * (l1.x - l2.x) - (p.x - l1.x) * (l1.y - l2.y);
}

void Ribbon::update(float dt) {
    mCurTime += dt;
    mDelta = dt;
}

void Ribbon::addPointAt(engine::Point location, float width) {
    float h = width / 2;
    if (!mPastFirstPoint) {
        mLastWidth = h;
        mLastLocation = location;
        mPastFirstPoint = true;
        return;
    }
    engine::Point back = mLastLocation - location;
    float r = engine::PointToAngle(back) + 1.5707964f;
    engine::Point p1 = rotatePoint({-h, 0}, r);
    engine::Point p2 = rotatePoint({h, 0}, r);
    float v = mTexVPos + engine::PointLength(back) / textureLength_;

    base::Ref<RibbonSegment> seg = mSegments.back();
    // Finished segments other than the last wait for reuse.
    for (std::size_t i = 0; i + 1 < mSegments.size();) {
        if (mSegments[i]->finished) {
            dSegments.push_back(mSegments[i]);
            mSegments.erase(mSegments.begin() + long(i));
        } else {
            ++i;
        }
    }
    if (seg->end >= RibbonSegment::points) {
        base::Ref<RibbonSegment> next;
        if (!dSegments.empty()) {
            next = dSegments.front();
            dSegments.erase(dSegments.begin());
            next->reset();
        } else {
            next = RibbonSegment::create();
        }
        // The new segment starts with the last point of the full one.
        unsigned last = seg->end - 1;
        next->creationTime[0] = seg->creationTime[last];
        for (int k = 0; k < 6; ++k)
            next->verts[std::size_t(k)] = seg->verts[last * 6 + unsigned(k)];
        for (int k = 0; k < 4; ++k)
            next->coords[std::size_t(k)] = seg->coords[last * 4 + unsigned(k)];
        next->end = 1;
        mSegments.push_back(next);
        seg = next;
    }
    if (seg->end == 0) {
        engine::Point a = mLastLocation + rotatePoint({-mLastWidth, 0}, r);
        engine::Point b = mLastLocation + rotatePoint({mLastWidth, 0}, r);
        seg->creationTime[0] = mCurTime - mDelta;
        seg->verts[0] = a.x, seg->verts[1] = a.y, seg->verts[2] = 0;
        seg->verts[3] = b.x, seg->verts[4] = b.y, seg->verts[5] = 0;
        seg->coords[0] = 0, seg->coords[1] = mTexVPos;
        seg->coords[2] = 1, seg->coords[3] = mTexVPos;
        seg->end = 1;
    }
    unsigned i = seg->end;
    engine::Point a = location + p1, b = location + p2;
    seg->creationTime[i] = mCurTime;
    float* vert = &seg->verts[i * 6];
    vert[0] = a.x, vert[1] = a.y, vert[2] = 0;
    vert[3] = b.x, vert[4] = b.y, vert[5] = 0;
    float* coord = &seg->coords[i * 4];
    coord[0] = 0, coord[1] = v;
    coord[2] = 1, coord[3] = v;
    seg->end += 1;

    mTexVPos = v;
    mLastLocation = location;
    mLastPoint1 = a;
    mLastPoint2 = b;
    mLastWidth = h;
}

void Ribbon::draw() {
    if (mSegments.empty())
        return;
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture_ ? texture_->name() : 0);
    bool changed = blendFunc_ != engine::defaultBlendFunc;
    if (changed)
        glBlendFunc(blendFunc_.src, blendFunc_.dst);
    for (auto const& segment : mSegments)
        segment->draw(mCurTime, mFadeTime, color_);
    if (changed)
        glBlendFunc(engine::defaultBlendFunc.src, engine::defaultBlendFunc.dst);
    glColor4ub(255, 255, 255, 255);
    glDisable(GL_TEXTURE_2D);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
}

// Motion streaks

base::Ref<MotionStreak> MotionStreak::streakWithFade(float fade, float minSeg,
    std::string const& image, float width, float length, engine::Color4B color) {
    return base::make<MotionStreak>(fade, minSeg, image, width, length, color);
}

MotionStreak::MotionStreak(float fade, float minSeg, std::string const& image, float width,
    float length, engine::Color4B color)
    : ribbon_(Ribbon::ribbonWithWidth(width, image, length, color, fade))
    , mSegThreshold(minSeg)
    , mWidth(width) {
    addChild(ribbon_);
    schedule(&MotionStreak::update, 0);
}

MotionStreak::~MotionStreak() = default;

void MotionStreak::update(float dt) {
    engine::Point p = convertToWorldSpace({0, 0});
    ribbon_->setPosition({-p.x, -p.y});
    if (engine::PointLength(mLastLocation - p) > mSegThreshold) {
        ribbon_->addPointAt(p, mWidth);
        mLastLocation = p;
    }
    ribbon_->update(dt);
}

}
