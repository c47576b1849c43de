#include <engine/Camera.hpp>
#include <engine/CameraAction.hpp>
#include <engine/CompositeAction.hpp>
#include <engine/SceneNode.hpp>

#include <cmath>

namespace engine {

namespace {

constexpr float pi = 3.1415927f;

// Divided first, then multiplied.
float radians(float degrees) {
    return degrees / 180 * pi;
}

float degrees(float radians) {
    return radians / pi * 180;
}

}

// CameraAction

CameraAction::CameraAction(float duration)
    : IntervalAction(duration) {
}

void CameraAction::start() {
    IntervalAction::start();
    if (!target())
        return;
    Camera* camera = target()->camera();
    camera->centerX(centerXOrig, centerYOrig, centerZOrig);
    camera->eyeX(eyeXOrig, eyeYOrig, eyeZOrig);
    camera->upX(upXOrig, upYOrig, upZOrig);
}

base::Ref<FiniteTimeAction> CameraAction::reverse() {
    return ReverseTime::actionWithAction(base::Ref<FiniteTimeAction>(this));
}

// OrbitCamera

base::Ref<OrbitCamera> OrbitCamera::actionWithDuration(float duration, float radius,
    float deltaRadius, float angleZ, float deltaAngleZ, float angleX, float deltaAngleX) {
    return base::make<OrbitCamera>(
        duration, radius, deltaRadius, angleZ, deltaAngleZ, angleX, deltaAngleX);
}

OrbitCamera::OrbitCamera(float duration, float startRadius, float radiusChange, float startAngleZ,
    float angleZChange, float startAngleX, float angleXChange)
    : CameraAction(duration)
    , radius(startRadius)
    , deltaRadius(radiusChange)
    , angleZ(startAngleZ)
    , deltaAngleZ(angleZChange)
    , angleX(startAngleX)
    , deltaAngleX(angleXChange)
    , radDeltaZ(radians(angleZChange))
    , radDeltaX(radians(angleXChange)) {
}

base::Ref<Action> OrbitCamera::copy() const {
    return OrbitCamera::actionWithDuration(
        duration(), radius, deltaRadius, angleZ, deltaAngleZ, angleX, deltaAngleX);
}

void OrbitCamera::start() {
    CameraAction::start();
    if (!target())
        return;
    float r, zenith, azimuth;
    sphericalRadius(r, zenith, azimuth);
    if (std::isnan(radius))
        radius = r;
    if (std::isnan(angleZ))
        angleZ = degrees(zenith);
    if (std::isnan(angleX))
        angleX = degrees(azimuth);
    radZ = radians(angleZ);
    radX = radians(angleX);
}

void OrbitCamera::update(float t) {
    if (!target())
        return;
    float r = (radius + deltaRadius * t) * Camera::getZEye();
    float za = radZ + radDeltaZ * t;
    float xa = radX + radDeltaX * t;
    float i = std::sin(za) * std::cos(xa) * r + centerXOrig;
    float j = std::sin(za) * std::sin(xa) * r + centerYOrig;
    float k = std::cos(za) * r + centerZOrig;
    target()->camera()->setEyeX(i, j, k);
}

void OrbitCamera::sphericalRadius(float& newRadius, float& zenith, float& azimuth) const {
    newRadius = zenith = azimuth = 0;
    if (!target())
        return;
    float ex, ey, ez, cx, cy, cz;
    Camera* camera = target()->camera();
    camera->eyeX(ex, ey, ez);
    camera->centerX(cx, cy, cz);
    float x = ex - cx;
    float y = ey - cy;
    float z = ez - cz;
    float r = std::sqrt(x * x + y * y + z * z);
    float s = std::sqrt(x * x + y * y);
    if (s == 0)
        s = 1e-8f;
    if (r == 0)
        r = 1e-8f;
    zenith = std::acos(z / r);
    azimuth = x < 0 ? pi - std::asin(y / s) : std::asin(y / s);
    newRadius = r / Camera::getZEye();
}

}
