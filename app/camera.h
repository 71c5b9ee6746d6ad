// The orbit camera: plain state and the arithmetic of the mouse drags, free of any window.
#pragma once

#include <string>

// The model axis that points up on screen: files from CAD and 3D editors differ.
enum class UpAxis { PlusY, MinusY, PlusZ, MinusZ, PlusX, MinusX };

struct Camera {
    float rotationX = 0.0f;
    float rotationY = 0.0f;
    float panX = 0.0f;
    float panY = 0.0f;
    float cameraZ = -1.75f;
    float fieldOfView = 60.0f;
    float aspectRatio = 0.0f;
    int activeButton = 0;
    int dragStartX = 0;
    int dragStartY = 0;
    float savedRotationX = 0.0f;
    float savedRotationY = 0.0f;
    float savedPanX = 0.0f;
    float savedPanY = 0.0f;
    float savedCameraZ = -1.75f;
    // A model named by the user is framed (FrameCamera): turned about its own centre, seen
    // through clip planes and dragged in steps that suit its size. The data set keeps these.
    bool framed = false;
    // The centre of the model's box; the wheel measures from it (from the origin of the
    // turned frame when framed, where the display moves the centre to).
    float centerX = 0.0f;
    float centerY = 0.0f;
    float centerZ = 0.0f;
    double nearPlane = 0.1;
    double farPlane = 2000.0;
    double dragScale = 1.0; // model units per unit of the drag steps
    // The radius of the model's bounding sphere (0 while no model is known): the wheel stops
    // this far, plus the near plane, from the centre.
    float radius = 0.0f;
    // The window's size in pixels as the last reshape gave it (0 before the first): a framed
    // model's right drag keeps the point under the pointer under it.
    int windowWidth = 0;
    int windowHeight = 0;
    // Turns a framed model's up axis to the screen's up before anything else turns it.
    UpAxis up = UpAxis::PlusY;
};

// "+Y", "-Z", "x" (a sign may be left out, meaning +), in either case; false for anything else.
bool ParseUpAxis(const std::string& text, UpAxis& up);

// The turn (degrees about the axis x, y, z) that brings the up axis to +Y, keeping the model's
// front towards the eye where the convention has one (-Y for +Z up, as 3D editors export).
struct AxisTurn {
    float degrees;
    float x, y, z;
};
AxisTurn UpAxisTurn(UpAxis up);

// The vertical field of view handed to the projection. A framed model in a window narrower
// than it is tall gets a wider one, so that its 60 degrees hold across the narrow width.
double VerticalFieldOfView(const Camera& camera);

// Centres the view on the box [low, high] and backs off until the box's bounding sphere fills
// most of the field of view; the clip planes and drag steps follow its size. A box with
// non-finite corners leaves the camera as it is.
void FrameCamera(Camera& camera, const float low[3], const float high[3]);

// Keeps an angle in [0, 360): a float angle that only grows stops changing once 0.5 falls
// below half an ulp, which would freeze the spin after a few hours.
float WrapDegrees(double degrees);

// Adds the per-frame spin of 0.5 degrees about Y.
void SpinCamera(Camera& camera);

// A press (state 0) starts a drag from the current view; any other state ends it. Wheel
// notches neither start nor end a drag: their press moves the camera, their release is ignored.
void PressCamera(Camera& camera, int button, int state, int x, int y);

// Recomputes the view from the values saved at the press: left turns, right pans, middle moves.
// A framed model follows the pointer: a right drag moves it with the pointer (the point under
// the pointer at the centre's depth stays under it), and a middle drag changes its distance by
// a share of itself (100 pixels up double it, 100 down halve it) within the wheel's bounds.
void DragCamera(Camera& camera, int x, int y);

// GLUT reports a wheel notch as a press and a release of button 3 (towards the model) or 4 (away).
constexpr int wheelNearer = 3;
constexpr int wheelFarther = 4;

// One wheel notch: the model's centre comes nearer by a fifth of its depth in front of the eye,
// or goes back as far, but never closer than its radius plus the near plane, nor farther than
// 50 radii or the far plane. A drag in progress goes on from the new distance.
void WheelCamera(Camera& camera, int button);

// The model centre's distance in front of the eye, along the view axis.
float CentreDepth(const Camera& camera);

// Puts the view (rotation, pan, distance, framing) back as home holds it; the window's size and
// aspect ratio stay and a drag in progress ends.
void ResetCamera(Camera& camera, const Camera& home);

// Projection bookkeeping of a reshape: returns the corrected height (0 is taken as 1), which
// the camera keeps with the width.
int ReshapeCamera(Camera& camera, int width, int height);
