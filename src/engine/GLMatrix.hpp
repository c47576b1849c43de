#pragma once

#include <array>

namespace engine {

// The viewing helpers of the engine's 3D projection, used by the director, the
// cameras and the grid effects. Both multiply onto the current GL matrix, so
// they need a current GL ES 1.1 context.

// A perspective frustum: field of view in degrees, aspect ratio width / height.
void SetPerspective(float fovY, float aspect, float zNear, float zFar);
// The rotation of lookAtRotation multiplied onto the current matrix, then a
// translation by minus the eye.
void SetLookAt(float eyeX, float eyeY, float eyeZ, float centerX, float centerY, float centerZ,
    float upX, float upY, float upZ);

// The rotation part of a look-at, column-major as GL takes it: its rows are the
// camera's x axis (up x z), y axis (z x x) and z axis (eye - centre), each
// normalised unless it has length 0.
std::array<float, 16> lookAtRotation(float eyeX, float eyeY, float eyeZ, float centerX,
    float centerY, float centerZ, float upX, float upY, float upZ);

}
