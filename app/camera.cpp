#include "app/camera.h"

#include <algorithm>
#include <cctype>
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
// A middle drag of this many pixels doubles or halves a framed model's distance.
constexpr double pixelsPerDoubling = 100.0;
constexpr double pi = 3.14159265358979323846;

double Radians(double degrees) {
    return degrees * pi / 180.0;
}

// The eye stays outside the model's sphere, and the near plane short of it.
double NearestDepth(const Camera& camera) {
    return camera.radius + camera.nearPlane;
}

// Going back stops while the model is still a few pixels tall and inside the far plane.
double FarthestDepth(const Camera& camera) {
    double farthest = camera.farPlane - camera.radius;
    if (camera.radius > 0.0f)
        farthest = std::min(farthest, farthestRadii * camera.radius);
    return farthest;
}

// A framed model's middle drag: its distance scales with the drag, and stops at the wheel's
// bounds without jumping when the drag started beyond them.
void DragDistance(Camera& camera, double dy) {
    const double savedDepth = CentreDepth(camera) + (camera.cameraZ - camera.savedCameraZ);
    double wanted = savedDepth * std::exp2(dy / pixelsPerDoubling);
    if (dy > 0.0)
        wanted = std::min(wanted, std::max(FarthestDepth(camera), savedDepth));
    else
        wanted = std::max(wanted, std::min(NearestDepth(camera), savedDepth));
    camera.cameraZ = static_cast<float>(camera.savedCameraZ - (wanted - savedDepth));
}

// A framed model's right drag: the model units that one pixel spans at the centre's depth.
double UnitsPerPixel(const Camera& camera) {
    const double depth = CentreDepth(camera);
    return 2.0 * depth * std::tan(Radians(VerticalFieldOfView(camera)) / 2.0) / camera.windowHeight;
}

} // namespace

bool ParseUpAxis(const std::string& text, UpAxis& up) {
    std::string axis = text;
    if (axis.size() == 1)
        axis = "+" + axis;
    if (axis.size() != 2 || (axis[0] != '+' && axis[0] != '-'))
        return false;
    const bool plus = axis[0] == '+';
    switch (std::toupper(static_cast<unsigned char>(axis[1]))) {
    case 'X':
        up = plus ? UpAxis::PlusX : UpAxis::MinusX;
        return true;
    case 'Y':
        up = plus ? UpAxis::PlusY : UpAxis::MinusY;
        return true;
    case 'Z':
        up = plus ? UpAxis::PlusZ : UpAxis::MinusZ;
        return true;
    default:
        return false;
    }
}

AxisTurn UpAxisTurn(UpAxis up) {
    switch (up) {
    case UpAxis::MinusY:
        return {180.0f, 0.0f, 0.0f, 1.0f}; // upside down, the front still towards the eye
    case UpAxis::PlusZ:
        return {-90.0f, 1.0f, 0.0f, 0.0f}; // -Y comes towards the eye
    case UpAxis::MinusZ:
        return {90.0f, 1.0f, 0.0f, 0.0f};
    case UpAxis::PlusX:
        return {90.0f, 0.0f, 0.0f, 1.0f};
    case UpAxis::MinusX:
        return {-90.0f, 0.0f, 0.0f, 1.0f};
    case UpAxis::PlusY:
        break;
    }
    return {0.0f, 0.0f, 1.0f, 0.0f};
}

double VerticalFieldOfView(const Camera& camera) {
    if (!camera.framed || !(camera.aspectRatio > 0.0f) || camera.aspectRatio >= 1.0f)
        return camera.fieldOfView;
    const double halfWidth = std::tan(Radians(camera.fieldOfView) / 2.0);
    return 2.0 * std::atan(halfWidth / camera.aspectRatio) * 180.0 / pi;
}

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
    double nearest = NearestDepth(camera);
    double wanted;
    if (button == wheelNearer) {
        if (depth <= nearest)
            return;
        wanted = std::max(depth / wheelRatio, nearest);
    } else {
        // From inside the model (or past it) the first notch back puts the eye outside.
        double farthest = FarthestDepth(camera);
        wanted = std::max(depth, nearest) * wheelRatio;
        if (wanted > farthest)
            wanted = std::max(farthest, depth);
    }
    float step = static_cast<float>(depth - wanted);
    camera.cameraZ += step;
    camera.savedCameraZ += step;
}

void ResetCamera(Camera& camera, const Camera& home) {
    const Camera window = camera;
    camera = home;
    camera.aspectRatio = window.aspectRatio;
    camera.windowWidth = window.windowWidth;
    camera.windowHeight = window.windowHeight;
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
        if (camera.framed && camera.windowHeight > 0) {
            const double step = UnitsPerPixel(camera);
            camera.panX = static_cast<float>(camera.savedPanX - dx * step);
            camera.panY = static_cast<float>(camera.savedPanY + dy * step);
            break;
        }
        camera.panY = static_cast<float>(camera.savedPanY + dy / 10.0 * camera.dragScale);
        camera.panX = static_cast<float>(camera.savedPanX + dx / 10.0 * camera.dragScale);
        break;
    case 1:
        if (camera.framed) {
            DragDistance(camera, dy);
            break;
        }
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
    camera.windowWidth = width;
    camera.windowHeight = height;
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
