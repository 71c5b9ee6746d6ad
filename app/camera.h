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
    // The model's bounding sphere in model units (radius 0 while no model is known): the wheel
    // steps in proportion to its distance and stops short of it.
    float centreX = 0.0f;
    float centreY = 0.0f;
    float centreZ = 0.0f;
    float radius = 0.0f;
};

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
// or goes back as far, but never closer than its radius plus the near plane. A drag in progress
// goes on from the new distance.
void WheelCamera(Camera& camera, int button);

// The model centre's distance in front of the eye, along the view axis.
float CentreDepth(const Camera& camera);

// Puts the view (rotation, pan, distance, framing) back as home holds it; the window's aspect
// ratio stays and a drag in progress ends.
void ResetCamera(Camera& camera, const Camera& home);

// Projection bookkeeping of a reshape: returns the corrected height (0 is taken as 1).
int ReshapeCamera(Camera& camera, int width, int height);
