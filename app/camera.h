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
    float centerX = 0.0f;
    float centerY = 0.0f;
    float centerZ = 0.0f;
    double nearPlane = 0.1;
    double farPlane = 2000.0;
    double dragScale = 1.0; // model units per unit of the drag steps
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

// A press (state 0) starts a drag from the current view; any other state ends it.
void PressCamera(Camera& camera, int button, int state, int x, int y);

// Recomputes the view from the values saved at the press: left turns, right pans, middle moves.
void DragCamera(Camera& camera, int x, int y);

// Projection bookkeeping of a reshape: returns the corrected height (0 is taken as 1).
int ReshapeCamera(Camera& camera, int width, int height);
