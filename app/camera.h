// The orbit camera: plain state and the arithmetic of the mouse drags, free of any window.
#pragma once

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
};

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

// Puts the view (rotation, pan, distance, framing) back as home holds it; the window's aspect
// ratio stays and a drag in progress ends.
void ResetCamera(Camera& camera, const Camera& home);

// Projection bookkeeping of a reshape: returns the corrected height (0 is taken as 1).
int ReshapeCamera(Camera& camera, int width, int height);
