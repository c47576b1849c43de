#pragma once

#include <engine/IntervalAction.hpp>

namespace engine {

// The base of actions that move the camera of their target node (made on first
// use by the node). Start captures the camera's centre, eye and up vectors.
// Its reverse plays this very action backwards in time. Main thread only.
class CameraAction : public IntervalAction {
public:
    void start() override;
    // A ReverseTime of this action.
    base::Ref<FiniteTimeAction> reverse() override;

protected:
    ~CameraAction() override = default;

    float centerXOrig {0}, centerYOrig {0}, centerZOrig {0};
    float eyeXOrig {0}, eyeYOrig {0}, eyeZOrig {0};
    float upXOrig {0}, upYOrig {0}, upZOrig {0};

    friend base::Factory;

    explicit CameraAction(float duration);
};

// Swings the camera's eye around the centre on a sphere, changing the radius
// (in units of Camera::getZEye()), the zenith angle and the azimuth (degrees)
// linearly over the duration. A start value given as NaN is read from the
// camera's position at start. Centre and up stay as they are. All arithmetic is
// float.
class OrbitCamera final : public CameraAction {
public:
    static base::Ref<OrbitCamera> actionWithDuration(float duration, float radius,
        float deltaRadius, float angleZ, float deltaAngleZ, float angleX, float deltaAngleX);

    // After a start, NaN start values hold what the start resolved.
    base::Ref<Action> copy() const override;
    void start() override;
    void update(float t) override;

    // The target camera's eye relative to its centre: the distance in units of
    // Camera::getZEye(), and the zenith and azimuth in radians.
    void sphericalRadius(float& newRadius, float& zenith, float& azimuth) const;

private:
    float radius, deltaRadius;
    float angleZ, deltaAngleZ;
    float angleX, deltaAngleX;
    float radZ {0}, radDeltaZ;
    float radX {0}, radDeltaX;

    friend base::Factory;

    OrbitCamera(float duration, float radius, float deltaRadius, float angleZ, float deltaAngleZ,
        float angleX, float deltaAngleX);
};

}
