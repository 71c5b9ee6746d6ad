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

constexpr double wheelRatio = 1.25;
constexpr double farthestRadii = 50.0;

double Radians(double degrees) {
    return degrees * 3.14159265358979323846 / 180.0;
}

} // namespace

float CentreDepth(const Camera& camera) {
    // The display turns about Y, then about X, then translates: follow the centre's z through.
    // A framed model has its centre moved to the origin of the turned frame first.
    double cx = camera.framed ? 0.0 : camera.centerX;
    double cy = camera.framed ? 0.0 : camera.centerY;
    double cz = camera.framed ? 0.0 : camera.centerZ;
    double ry = Radians(camera.rotationY), rx = Radians(camera.rotationX);
    double y1 = cy;
    double z1 = -cx * std::sin(ry) + cz * std::cos(ry);
    double z2 = y1 * std::sin(rx) + z1 * std::cos(rx);
    return static_cast<float>(-(camera.cameraZ + z2));
}

void WheelCamera(Camera& camera, int button) {
    double depth = CentreDepth(camera);
    // The eye stays outside the model's sphere, and the near plane short of it.
    double nearest = camera.radius + camera.nearPlane;
    double wanted;
    if (button == wheelNearer) {
        if (depth <= nearest)
            return;
        wanted = std::max(depth / wheelRatio, nearest);
    } else {
        // From inside the model (or past it) the first notch back puts the eye outside. Going
        // back stops while the model is still a few pixels tall and inside the far plane.
        double farthest = camera.farPlane - camera.radius;
        if (camera.radius > 0.0f)
            farthest = std::min(farthest, farthestRadii * camera.radius);
        wanted = std::max(depth, nearest) * wheelRatio;
        if (wanted > farthest)
            wanted = std::max(farthest, depth);
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
        camera.panY = static_cast<float>(camera.savedPanY + dy / 10.0 * camera.dragScale);
        camera.panX = static_cast<float>(camera.savedPanX + dx / 10.0 * camera.dragScale);
        break;
    case 1:
        camera.cameraZ = static_cast<float>(camera.savedCameraZ - dy / 10.0 * camera.dragScale);
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

void FrameCamera(Camera& camera, const float low[3], const float high[3]) {
    double size = 0.0;
    double center[3];
    for (int i = 0; i < 3; ++i) {
        if (!std::isfinite(low[i]) || !std::isfinite(high[i]) || low[i] > high[i])
            return;
        center[i] = (static_cast<double>(low[i]) + high[i]) / 2.0;
        const double extent = static_cast<double>(high[i]) - low[i];
        size += extent * extent;
    }
    double radius = std::sqrt(size) / 2.0;
    if (!(radius > 0.0) || !std::isfinite(radius))
        radius =
            std::max(1e-3, std::fabs(center[0]) + std::fabs(center[1]) + std::fabs(center[2])) *
            1e-3;
    const double pi = 3.14159265358979323846;
    // 5 % of margin around the bounding sphere, which holds the box in any orientation.
    const double distance = 1.05 * radius / std::sin(camera.fieldOfView / 2.0 * pi / 180.0);

    camera.framed = true;
    camera.centerX = static_cast<float>(center[0]);
    camera.centerY = static_cast<float>(center[1]);
    camera.centerZ = static_cast<float>(center[2]);
    camera.panX = camera.savedPanX = 0.0f;
    camera.panY = camera.savedPanY = 0.0f;
    camera.cameraZ = camera.savedCameraZ = static_cast<float>(-distance);
    // Depth precision follows the ratio of the planes, which stays the data set's order.
    camera.nearPlane = radius / 100.0;
    camera.farPlane = distance * 100.0;
    // The data set is seen from 1.75 units: a drag moves a framed model as much on screen.
    camera.dragScale = distance / 1.75;
}
