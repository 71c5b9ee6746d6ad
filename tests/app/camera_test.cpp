#include "app/camera.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

Camera Pressed(int button, int x, int y) {
    Camera camera;
    PressCamera(camera, button, 0, x, y);
    return camera;
}

} // namespace

TEST(CameraTest, StartsAtTheDocumentedView) {
    Camera camera;
    EXPECT_EQ(camera.cameraZ, -1.75f);
    EXPECT_EQ(camera.savedCameraZ, -1.75f);
    EXPECT_EQ(camera.fieldOfView, 60.0f);
    EXPECT_EQ(camera.activeButton, 0);
    EXPECT_EQ(camera.aspectRatio, 0.0f);
}

// Drags are absolute from the press: left turns (5 pixels per degree, Y kept in [0, 360)), right
// pans against the mouse horizontally and with it vertically, middle moves along Z (10 pixels per
// unit), other buttons are stored but move nothing.
TEST(CameraTest, EachButtonDragsItsOwnPartOfTheView) {
    const struct {
        const char* what;
        int button, x0, y0;
        std::vector<std::pair<int, int>> moves;
        float rotationX, rotationY, panX, panY, cameraZ;
    } drags[] = {
        {"left: right 10, down 25", 0, 100, 100, {{110, 125}}, 5, 2, 0, 0, -1.75f},
        {"left: and back to the press", 0, 100, 100, {{110, 125}, {100, 100}}, 0, 0, 0, 0, -1.75f},
        {"left: 2 degrees below zero", 0, 0, 0, {{-10, 0}}, 0, 358, 0, 0, -1.75f},
        {"right: left 20, down 30", 2, 100, 100, {{80, 130}}, 0, 0, 2, -3, -1.75f},
        {"middle: up 20, away from the eye", 1, 0, 100, {{0, 80}}, 0, 0, 0, 0, -3.75f},
        {"button 5", 5, 10, 10, {{200, 300}}, 0, 0, 0, 0, -1.75f},
    };
    for (const auto& drag : drags) {
        SCOPED_TRACE(drag.what);
        Camera camera = Pressed(drag.button, drag.x0, drag.y0);
        EXPECT_EQ(camera.activeButton, drag.button);
        for (const auto& [x, y] : drag.moves)
            DragCamera(camera, x, y);
        EXPECT_FLOAT_EQ(camera.rotationX, drag.rotationX);
        EXPECT_FLOAT_EQ(camera.rotationY, drag.rotationY);
        EXPECT_FLOAT_EQ(camera.panX, drag.panX);
        EXPECT_FLOAT_EQ(camera.panY, drag.panY);
        EXPECT_FLOAT_EQ(camera.cameraZ, drag.cameraZ);
    }
}

TEST(CameraTest, APressStartsFromTheCurrentViewAndAnyReleaseEndsTheDrag) {
    Camera camera = Pressed(0, 0, 0);
    DragCamera(camera, -10, 50); // rotationX = 10, rotationY = 358
    // A right press without a release in between takes over from the turned view.
    PressCamera(camera, 2, 0, 0, 50);
    EXPECT_EQ(camera.activeButton, 2);
    DragCamera(camera, -10, 40);
    EXPECT_FLOAT_EQ(camera.rotationX, 10.0f);
    EXPECT_FLOAT_EQ(camera.panX, 1.0f);
    EXPECT_FLOAT_EQ(camera.panY, 1.0f);
    // Releasing a different button still ends the drag.
    PressCamera(camera, 0, 1, -10, 40);
    EXPECT_EQ(camera.activeButton, -1);
    DragCamera(camera, 0, 0);
    EXPECT_FLOAT_EQ(camera.panX, 1.0f);
    // A second right drag continues from where the first left the model.
    PressCamera(camera, 2, 0, 0, 0);
    DragCamera(camera, -10, 10);
    EXPECT_FLOAT_EQ(camera.panX, 2.0f);
    EXPECT_FLOAT_EQ(camera.panY, 0.0f);
    // A middle drag from wherever the depth is.
    camera.cameraZ = -3.0f;
    PressCamera(camera, 1, 0, 0, 0);
    DragCamera(camera, 0, -10);
    EXPECT_FLOAT_EQ(camera.cameraZ, -4.0f);
    // A left drag goes on from 10 and 358 degrees and wraps.
    PressCamera(camera, 0, 0, 0, 0);
    EXPECT_FLOAT_EQ(camera.savedRotationY, 358.0f);
    DragCamera(camera, 20, 0); // +4
    EXPECT_FLOAT_EQ(camera.rotationX, 10.0f);
    EXPECT_FLOAT_EQ(camera.rotationY, 2.0f);
    EXPECT_FLOAT_EQ(WrapDegrees(-1e-9), 0.0f);
    EXPECT_FLOAT_EQ(WrapDegrees(720.5), 0.5f);
}

TEST(CameraTest, SpinAddsHalfADegreeWrapsAt360AndNeverStalls) {
    for (const auto& [from, to] : {std::pair{0.0f, 0.5f}, {359.5f, 0.0f}, {359.75f, 0.25f}}) {
        Camera camera;
        camera.rotationY = from;
        SpinCamera(camera);
        EXPECT_FLOAT_EQ(camera.rotationY, to) << "from " << from;
    }
    Camera camera;
    // Ten million frames: an unwrapped float angle stops growing long before that.
    for (int frame = 0; frame < 10000000; ++frame)
        SpinCamera(camera);
    EXPECT_GE(camera.rotationY, 0.0f);
    EXPECT_LT(camera.rotationY, 360.0f);
    float before = camera.rotationY;
    SpinCamera(camera);
    EXPECT_NE(camera.rotationY, before);
}

TEST(CameraTest, ReshapeTakesHeightZeroAsOne) {
    Camera camera;
    EXPECT_EQ(ReshapeCamera(camera, 300, 0), 1);
    EXPECT_FLOAT_EQ(camera.aspectRatio, 300.0f);
    EXPECT_EQ(ReshapeCamera(camera, 400, 300), 300);
    EXPECT_FLOAT_EQ(camera.aspectRatio, 4.0f / 3.0f); // not integer division
}

TEST(CameraTest, WheelStepsWithTheDepthAndNeverReachesTheModel) {
    Camera camera;
    camera.radius = 0.5f;
    PressCamera(camera, wheelNearer, 0, 0, 0);
    EXPECT_FLOAT_EQ(CentreDepth(camera), 1.75f / 1.25f);
    PressCamera(camera, wheelFarther, 0, 0, 0);
    EXPECT_FLOAT_EQ(camera.cameraZ, -1.75f);
    for (int notch = 0; notch < 40; ++notch)
        PressCamera(camera, wheelNearer, 0, 0, 0);
    EXPECT_FLOAT_EQ(CentreDepth(camera), 0.6f); // radius + near plane
    // From inside the model (a middle drag can go there) a notch back puts the eye outside.
    camera.cameraZ = 1.0f;
    PressCamera(camera, wheelFarther, 0, 0, 0);
    EXPECT_FLOAT_EQ(CentreDepth(camera), 0.6f * 1.25f);
    // Going back stops at 50 radii, where the model is still a few pixels tall.
    for (int notch = 0; notch < 40; ++notch)
        PressCamera(camera, wheelFarther, 0, 0, 0);
    EXPECT_FLOAT_EQ(CentreDepth(camera), 25.0f);
}

TEST(CameraTest, WheelDepthFollowsTheTurnedCentre) {
    // Turned 90 degrees about Y, a centre at x = 1 goes 1 unit away from the eye.
    Camera camera;
    camera.centerX = 1.0f;
    camera.rotationY = 90.0f;
    EXPECT_NEAR(CentreDepth(camera), 2.75f, 1e-6);
    // Turned 90 degrees about X, a centre at y = 1 comes 1 unit nearer.
    camera = Camera();
    camera.centerY = 1.0f;
    camera.rotationX = 90.0f;
    EXPECT_NEAR(CentreDepth(camera), 0.75f, 1e-6);
}

TEST(CameraTest, WheelNotchesNeitherStartNorEndADrag) {
    Camera camera = Pressed(1, 0, 100); // a middle drag
    for (int state : {0, 1})
        PressCamera(camera, wheelFarther, state, 0, 0);
    EXPECT_EQ(camera.activeButton, 1);
    DragCamera(camera, 0, 90); // 10 pixels up: one unit farther than the wheel left it
    EXPECT_FLOAT_EQ(camera.cameraZ, -1.75f * 1.25f - 1.0f);
    camera = Camera();
    camera.activeButton = -1;
    PressCamera(camera, wheelNearer, 0, 0, 0);
    EXPECT_EQ(camera.activeButton, -1);
}

TEST(CameraTest, ResetRestoresTheHomeViewButKeepsTheWindowShape) {
    Camera home;
    home.cameraZ = -7.0f;
    home.panX = 0.25f;
    Camera camera = home;
    ReshapeCamera(camera, 400, 200);
    PressCamera(camera, 0, 0, 0, 0);
    DragCamera(camera, 55, 35);
    PressCamera(camera, wheelNearer, 0, 0, 0);
    ResetCamera(camera, home);
    EXPECT_EQ(camera.rotationX, home.rotationX);
    EXPECT_EQ(camera.rotationY, home.rotationY);
    EXPECT_EQ(camera.cameraZ, -7.0f);
    EXPECT_EQ(camera.panX, 0.25f);
    EXPECT_EQ(camera.aspectRatio, 2.0f);
    EXPECT_EQ(camera.activeButton, -1);
}

TEST(CameraTest, FramingCentresTheBoxAndScalesViewAndDrags) {
    const struct {
        float low[3];
        float high[3];
        double radius;
    } boxes[] = {
        {{1200, 300, -200},
         {1800, 900, 200},
         0.5 * std::sqrt(600 * 600 * 2 + 400 * 400)}, // a CAD part in millimetres
        {{-0.05f, -0.05f, 0},
         {0.05f, 0.05f, 0.03f},
         0.5 * std::sqrt(0.1 * 0.1 * 2 + 0.03 * 0.03)}, // a scan
        {{5, 5, 5}, {5, 5, 5}, 0.015},                  // a single point: a size from its place
    };
    for (const auto& box : boxes) {
        Camera camera;
        FrameCamera(camera, box.low, box.high);
        EXPECT_TRUE(camera.framed);
        EXPECT_FLOAT_EQ(camera.centerX, (box.low[0] + box.high[0]) / 2);
        EXPECT_FLOAT_EQ(camera.centerY, (box.low[1] + box.high[1]) / 2);
        EXPECT_FLOAT_EQ(camera.centerZ, (box.low[2] + box.high[2]) / 2);
        const double radius = box.radius;
        const double distance = -camera.cameraZ;
        EXPECT_EQ(camera.savedCameraZ, camera.cameraZ);
        // The bounding sphere fits the 60 degree view, with little to spare.
        EXPECT_GE(distance * 0.5, radius * 0.999);
        EXPECT_LE(distance * 0.5, radius * 1.2);
        // Nothing of the model is clipped, whichever way it turns.
        EXPECT_LT(camera.nearPlane, distance - radius);
        EXPECT_GT(camera.farPlane, distance + radius);
        // A 10-pixel right drag moves the model by the same share of its size everywhere.
        PressCamera(camera, 2, 0, 100, 100);
        DragCamera(camera, 90, 100);
        EXPECT_NEAR(camera.panX, distance / 1.75, 1e-6 * distance);
    }

    Camera camera;
    const float bad[3] = {0, std::nanf(""), 0};
    const float fine[3] = {1, 1, 1};
    FrameCamera(camera, bad, fine);
    EXPECT_FALSE(camera.framed);
    EXPECT_EQ(camera.cameraZ, -1.75f);
    EXPECT_EQ(camera.nearPlane, 0.1);
    EXPECT_EQ(camera.farPlane, 2000.0);
}

namespace {

constexpr double pi = 3.14159265358979323846;

// Where the framed model's centre shows in the window (pixels, y down), by the projection that
// reshape sets up.
std::pair<double, double> CentreOnScreen(const Camera& camera) {
    const double depth = -camera.cameraZ;
    const double halfHeight = depth * std::tan(VerticalFieldOfView(camera) * pi / 360.0);
    const double halfWidth = halfHeight * camera.aspectRatio;
    return {(camera.panX / halfWidth + 1.0) / 2.0 * camera.windowWidth,
            (1.0 - camera.panY / halfHeight) / 2.0 * camera.windowHeight};
}

Camera Framed(int width, int height) {
    Camera camera;
    const float low[3] = {1200, 300, -200};
    const float high[3] = {1800, 900, 200};
    FrameCamera(camera, low, high);
    camera.radius = static_cast<float>(0.5 * std::sqrt(600.0 * 600.0 * 2 + 400.0 * 400.0));
    ReshapeCamera(camera, width, height);
    return camera;
}

} // namespace

// A framed model's right drag carries the point under the pointer (at the centre's depth) along
// with it, in wide and narrow windows alike.
TEST(CameraTest, FramedRightDragFollowsThePointer) {
    for (const auto& [width, height] : {std::pair{400, 400}, {800, 300}, {200, 600}}) {
        SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
        Camera camera = Framed(width, height);
        const auto [x0, y0] = CentreOnScreen(camera);
        PressCamera(camera, 2, 0, 100, 100);
        DragCamera(camera, 150, 80);
        auto [x1, y1] = CentreOnScreen(camera);
        EXPECT_NEAR(x1 - x0, 50.0, 1e-3);
        EXPECT_NEAR(y1 - y0, -20.0, 1e-3);
        // A second drag goes on from there.
        PressCamera(camera, 2, 0, 0, 0);
        DragCamera(camera, -30, 40);
        std::tie(x1, y1) = CentreOnScreen(camera);
        EXPECT_NEAR(x1 - x0, 20.0, 1e-3);
        EXPECT_NEAR(y1 - y0, 20.0, 1e-3);
    }
}

// A framed model's middle drag scales its distance: 100 pixels up double it, 100 down halve it,
// and it stops where the wheel stops, also when the drag began beyond that.
TEST(CameraTest, FramedMiddleDragMovesByAShareOfTheDistance) {
    Camera camera = Framed(400, 400);
    const double depth = CentreDepth(camera);
    const double nearest = camera.radius + camera.nearPlane;
    const double farthest = 50.0 * camera.radius;
    const struct {
        int dy; // pixels down
        double depth;
    } drags[] = {
        {-100, 2.0 * depth}, {100, 0.5 * depth}, {-50, std::sqrt(2.0) * depth},
        {0, depth},          {2000, nearest},    {-2000, farthest},
    };
    for (const auto& drag : drags) {
        SCOPED_TRACE(drag.dy);
        Camera dragged = camera;
        PressCamera(dragged, 1, 0, 10, 200);
        DragCamera(dragged, 10, 200 + drag.dy);
        EXPECT_NEAR(CentreDepth(dragged), drag.depth, 1e-4 * depth);
    }
    // From nearer than the wheel would go, a drag away does not jump back first.
    camera.cameraZ = camera.savedCameraZ = static_cast<float>(-0.5 * nearest);
    PressCamera(camera, 1, 0, 0, 0);
    DragCamera(camera, 0, 10);
    EXPECT_NEAR(CentreDepth(camera), 0.5 * nearest, 1e-4 * nearest);
    DragCamera(camera, 0, -100);
    EXPECT_NEAR(CentreDepth(camera), nearest, 1e-4 * nearest);
}

// A framed model keeps its 60 degrees across the narrower side of the window; the data set's
// projection stays as it was.
TEST(CameraTest, NarrowWindowsWidenTheFramedView) {
    const struct {
        bool framed;
        int width, height;
        double horizontalHalf, verticalHalf; // tangents of the half angles
    } cases[] = {
        {true, 400, 400, std::tan(pi / 6), std::tan(pi / 6)},
        {true, 800, 400, 2 * std::tan(pi / 6), std::tan(pi / 6)},
        {true, 200, 400, std::tan(pi / 6), 2 * std::tan(pi / 6)},
        {false, 200, 400, 0.5 * std::tan(pi / 6), std::tan(pi / 6)},
    };
    for (const auto& c : cases) {
        Camera camera = c.framed ? Framed(c.width, c.height) : Camera();
        ReshapeCamera(camera, c.width, c.height);
        EXPECT_EQ(camera.windowWidth, c.width);
        EXPECT_EQ(camera.windowHeight, c.height);
        const double vertical = std::tan(VerticalFieldOfView(camera) * pi / 360.0);
        EXPECT_NEAR(vertical, c.verticalHalf, 1e-6);
        EXPECT_NEAR(vertical * camera.aspectRatio, c.horizontalHalf, 1e-6);
    }
}

// The turn for each up axis brings that axis to the screen's up (+Y); with +Z up the model's
// -Y (an editor's front) faces the eye.
TEST(CameraTest, UpAxisTurnsBringTheAxisUp) {
    const struct {
        UpAxis up;
        double axis[3];
    } cases[] = {
        {UpAxis::PlusY, {0, 1, 0}},   {UpAxis::MinusY, {0, -1, 0}}, {UpAxis::PlusZ, {0, 0, 1}},
        {UpAxis::MinusZ, {0, 0, -1}}, {UpAxis::PlusX, {1, 0, 0}},   {UpAxis::MinusX, {-1, 0, 0}},
    };
    // Rodrigues' formula for a turn of the given degrees about a unit axis.
    auto turned = [](const AxisTurn& turn, const double v[3]) {
        const double a = turn.degrees * pi / 180.0, c = std::cos(a), s = std::sin(a);
        const double k[3] = {turn.x, turn.y, turn.z};
        const double dot = k[0] * v[0] + k[1] * v[1] + k[2] * v[2];
        const double cross[3] = {k[1] * v[2] - k[2] * v[1], k[2] * v[0] - k[0] * v[2],
                                 k[0] * v[1] - k[1] * v[0]};
        std::vector<double> r(3);
        for (int i = 0; i < 3; ++i)
            r[i] = v[i] * c + cross[i] * s + k[i] * dot * (1 - c);
        return r;
    };
    for (const auto& c : cases) {
        const std::vector<double> up = turned(UpAxisTurn(c.up), c.axis);
        EXPECT_NEAR(up[0], 0.0, 1e-6);
        EXPECT_NEAR(up[1], 1.0, 1e-6);
        EXPECT_NEAR(up[2], 0.0, 1e-6);
    }
    const double front[3] = {0, -1, 0};
    EXPECT_NEAR(turned(UpAxisTurn(UpAxis::PlusZ), front)[2], 1.0, 1e-6);
    // 'r' keeps the window's size, which the right drag needs.
    Camera camera = Framed(300, 200);
    ResetCamera(camera, Camera());
    EXPECT_EQ(camera.windowWidth, 300);
    EXPECT_EQ(camera.windowHeight, 200);
}
