#pragma once

#include <engine/Geometry.hpp>

namespace game {

// What the path finder needs of a walking character: a place to put the turning
// points it finds, and a flag for a request waiting in its queue. The salon's
// characters implement it; the path finder never keeps a walker beyond a queued
// request.
class PathWalker {
public:
    virtual ~PathWalker() = default;

    // Puts a point at the front of the walk path, so that points inserted last
    // are walked first.
    virtual void insertWalkPath(engine::Point point) = 0;
    virtual void setBWaitingPathFind(bool waiting) = 0;
};

}
