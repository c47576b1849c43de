#include <engine/Camera.hpp>
#include <engine/Describe.hpp>
#include <engine/DirectorServices.hpp>
#include <engine/GLMatrix.hpp>

#include <GLES/gl.h>
#include <cstdio>

namespace engine {

Camera::Camera() {
    restore();
}

void Camera::restore() {
    Size size = DirectorServices::current().displaySize();
    eyeX_ = size.width / 2;
    eyeY_ = size.height / 2;
    eyeZ_ = getZEye();
    centerX_ = size.width / 2;
    centerY_ = size.height / 2;
    centerZ_ = 0;
    upX_ = 0;
    upY_ = 1;
    upZ_ = 0;
    dirty_ = false;
}

float Camera::getZEye() {
    return DirectorServices::current().displaySize().height / 1.1566f;
}

void Camera::locate() {
    if (!dirty_)
        return;
    int orientation = DirectorServices::current().deviceOrientation();
    glLoadIdentity();
    switch (orientation) {
    case 4:
        glRotatef(90, 0, 0, 1);
        break;
    case 3:
        glRotatef(-90, 0, 0, 1);
        break;
    case 2:
        glRotatef(-180, 0, 0, 1);
        break;
    default:
        break;
    }
    SetLookAt(eyeX_, eyeY_, eyeZ_, centerX_, centerY_, centerZ_, upX_, upY_, upZ_);
    if (orientation == 3 || orientation == 4)
        glTranslatef(-80, 80, 0);
}

void Camera::setEyeX(float x, float y, float z) {
    eyeX_ = x;
    eyeY_ = y;
    eyeZ_ = z;
    dirty_ = true;
}

void Camera::setCenterX(float x, float y, float z) {
    centerX_ = x;
    centerY_ = y;
    centerZ_ = z;
    dirty_ = true;
}

void Camera::setUpX(float x, float y, float z) {
    upX_ = x;
    upY_ = y;
    upZ_ = z;
    dirty_ = true;
}

void Camera::eyeX(float& x, float& y, float& z) const {
    x = eyeX_;
    y = eyeY_;
    z = eyeZ_;
}

void Camera::centerX(float& x, float& y, float& z) const {
    x = centerX_;
    y = centerY_;
    z = centerZ_;
}

void Camera::upX(float& x, float& y, float& z) const {
    x = upX_;
    y = upY_;
    z = upZ_;
}

std::string Camera::description() const {
    char centre[96];
    std::snprintf(centre, sizeof centre, "(%.2f,%.2f,%.2f)", static_cast<double>(centerX_),
        static_cast<double>(centerY_), static_cast<double>(centerZ_));
    return "<" + className(*this) + " = " + objectAddress(this) + " | center = " + centre + ">";
}

}
