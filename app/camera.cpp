#include "app/camera.h"

#include <cmath>

float WrapDegrees(double degrees) {
    double wrapped = std::fmod(degrees, 360.0);
    if (wrapped < 0.0)
        wrapped += 360.0;
    float result = static_cast<float>(wrapped);
    // Rounding to float can land exactly on 360 for tiny negative angles.
    if (result >= 360.0f)
        result = 0.0f;
    return result;
}

void SpinCamera(Camera& camera) {
    camera.rotationY = WrapDegrees(camera.rotationY + 0.5);
}

void PressCamera(Camera& camera, int button, int state, int x, int y) {
    if (state != 0) {
        camera.activeButton = -1;
        return;
    }
    camera.dragStartX = x;
    camera.dragStartY = y;
    camera.savedPanX = camera.panX;
    camera.savedPanY = camera.panY;
    camera.savedCameraZ = camera.cameraZ;
    camera.savedRotationX = camera.rotationX;
    camera.savedRotationY = camera.rotationY;
    camera.activeButton = button;
}

void DragCamera(Camera& camera, int x, int y) {
    double dx = camera.dragStartX - x;
    double dy = camera.dragStartY - y;
    switch (camera.activeButton) {
    case 0:
        camera.rotationX = WrapDegrees(camera.savedRotationX - dy / 5.0);
        camera.rotationY = WrapDegrees(camera.savedRotationY - dx / 5.0);
        break;
    case 2:
        camera.panY = static_cast<float>(camera.savedPanY + dy / 10.0);
        camera.panX = static_cast<float>(camera.savedPanX + dx / 10.0);
        break;
    case 1:
        camera.cameraZ = static_cast<float>(camera.savedCameraZ - dy / 10.0);
        break;
    default:
        break;
    }
}

int ReshapeCamera(Camera& camera, int width, int height) {
    if (height == 0)
        height = 1;
    camera.aspectRatio = static_cast<float>(static_cast<double>(width) / height);
    return height;
}
