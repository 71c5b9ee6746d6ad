#include "app/camera.h"

#include <algorithm>
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

namespace {

// The near plane of the projection: the eye must stay this far outside the model.
constexpr float nearPlane = 0.1f;
constexpr double wheelRatio = 1.25;

double Radians(double degrees) {
    return degrees * 3.14159265358979323846 / 180.0;
}

} // namespace

float CentreDepth(const Camera& camera) {
    // The display turns about Y, then about X, then translates: follow the centre's z through.
    double ry = Radians(camera.rotationY), rx = Radians(camera.rotationX);
    double y1 = camera.centreY;
    double z1 = -camera.centreX * std::sin(ry) + camera.centreZ * std::cos(ry);
    double z2 = y1 * std::sin(rx) + z1 * std::cos(rx);
    return static_cast<float>(-(camera.cameraZ + z2));
}

void WheelCamera(Camera& camera, int button) {
    double depth = CentreDepth(camera);
    double nearest = camera.radius + nearPlane;
    double wanted;
    if (button == wheelNearer) {
        if (depth <= nearest)
            return;
        wanted = std::max(depth / wheelRatio, nearest);
    } else {
        // From inside the model (or past it) the first notch back puts the eye outside.
        wanted = std::max(depth, nearest) * wheelRatio;
    }
    float step = static_cast<float>(depth - wanted);
    camera.cameraZ += step;
    camera.savedCameraZ += step;
}

void ResetCamera(Camera& camera, const Camera& home) {
    float aspectRatio = camera.aspectRatio;
    camera = home;
    camera.aspectRatio = aspectRatio;
    camera.activeButton = -1;
}

void PressCamera(Camera& camera, int button, int state, int x, int y) {
    if (button == wheelNearer || button == wheelFarther) {
        if (state == 0)
            WheelCamera(camera, button);
        return;
    }
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
