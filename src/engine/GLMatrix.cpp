#include <engine/GLMatrix.hpp>

#include <GLES/gl.h>
#include <cmath>

namespace engine {

namespace {

struct Vector3 {
    float x, y, z;
};

Vector3 cross(Vector3 a, Vector3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

Vector3 normalised(Vector3 v) {
    float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    if (length == 0)
        return v;
    return {v.x / length, v.y / length, v.z / length};
}

}

void SetPerspective(float fovY, float aspect, float zNear, float zFar) {
    float ymax = zNear * std::tan(fovY * 3.1415927f / 360.0f);
    float xmax = ymax * aspect;
    glFrustumf(-xmax, xmax, -ymax, ymax, zNear, zFar);
}

std::array<float, 16> lookAtRotation(float eyeX, float eyeY, float eyeZ, float centerX,
    float centerY, float centerZ, float upX, float upY, float upZ) {
    Vector3 z = normalised({eyeX - centerX, eyeY - centerY, eyeZ - centerZ});
    Vector3 x = normalised(cross({upX, upY, upZ}, z));
    Vector3 y = normalised(cross(z, x));
    return {
        x.x, y.x, z.x, 0, //
        x.y, y.y, z.y, 0, //
        x.z, y.z, z.z, 0, //
        0, 0, 0, 1, //
    };
}

void SetLookAt(float eyeX, float eyeY, float eyeZ, float centerX, float centerY, float centerZ,
    float upX, float upY, float upZ) {
    auto rotation = lookAtRotation(eyeX, eyeY, eyeZ, centerX, centerY, centerZ, upX, upY, upZ);
    glMultMatrixf(rotation.data());
    glTranslatef(-eyeX, -eyeY, -eyeZ);
}

}
