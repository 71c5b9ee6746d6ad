#include "app/offscreen_context.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// EGL's own code for the last failure, for the message.
std::string LastError() {
    char text[32];
    std::snprintf(text, sizeof text, "EGL error 0x%04x", static_cast<unsigned>(eglGetError()));
    return text;
}

bool HasExtension(const char* list, const char* name) {
    if (list == nullptr)
        return false;
    const std::size_t length = std::strlen(name);
    for (const char* p = std::strstr(list, name); p != nullptr; p = std::strstr(p + 1, name)) {
        const bool starts = p == list || p[-1] == ' ';
        if (starts && (p[length] == ' ' || p[length] == '\0'))
            return true;
    }
    return false;
}

} // namespace

OffscreenContext::~OffscreenContext() {
    Release();
}

void OffscreenContext::Release() {
    if (m_display == nullptr)
        return;
    eglMakeCurrent(m_display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (m_surface != nullptr)
        eglDestroySurface(m_display, m_surface);
    if (m_context != nullptr)
        eglDestroyContext(m_display, m_context);
    eglTerminate(m_display);
    m_display = m_context = m_surface = nullptr;
}

bool OffscreenContext::Create(int width, int height, std::string& error) {
    Release();
    // A missing driver is said once, in our own line; EGL_LOG_LEVEL set by the user still wins.
    setenv("EGL_LOG_LEVEL", "fatal", 0);
    // The surfaceless platform reaches the driver without any window system: it works with no
    // X server at all, and the same way under one.
    const char* clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!HasExtension(clientExtensions, "EGL_MESA_platform_surfaceless") ||
        getPlatformDisplay == nullptr) {
        error = "EGL offers no surfaceless platform (is Mesa's libegl-mesa0 installed?)";
        return false;
    }
    EGLDisplay display =
        getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    EGLint major = 0;
    EGLint minor = 0;
    if (display == EGL_NO_DISPLAY || !eglInitialize(display, &major, &minor)) {
        error = "EGL found no usable device (" + LastError() + ")";
        return false;
    }
    m_display = display;

    // The window's visual under Xvfb with Mesa: 8 bits for each of red, green, blue and alpha,
    // a depth buffer, no multisampling. The same framebuffer format rounds colours the same way,
    // so the pictures have the window's pixels.
    const EGLint configAttributes[] = {EGL_SURFACE_TYPE,
                                       EGL_PBUFFER_BIT,
                                       EGL_RENDERABLE_TYPE,
                                       EGL_OPENGL_BIT,
                                       EGL_RED_SIZE,
                                       8,
                                       EGL_GREEN_SIZE,
                                       8,
                                       EGL_BLUE_SIZE,
                                       8,
                                       EGL_ALPHA_SIZE,
                                       8,
                                       EGL_DEPTH_SIZE,
                                       24,
                                       EGL_NONE};
    EGLConfig config = nullptr;
    EGLint count = 0;
    if (!eglBindAPI(EGL_OPENGL_API) ||
        !eglChooseConfig(display, configAttributes, &config, 1, &count) || count < 1) {
        error = "EGL offers no desktop OpenGL configuration with a depth buffer for pictures";
        Release();
        return false;
    }
    EGLint largestWidth = 0;
    EGLint largestHeight = 0;
    eglGetConfigAttrib(display, config, EGL_MAX_PBUFFER_WIDTH, &largestWidth);
    eglGetConfigAttrib(display, config, EGL_MAX_PBUFFER_HEIGHT, &largestHeight);
    if (width > largestWidth || height > largestHeight) {
        error = "the driver draws pictures of at most " + std::to_string(largestWidth) + "x" +
                std::to_string(largestHeight) + " pixels";
        Release();
        return false;
    }
    // The drawing code is fixed-function OpenGL: it needs the compatibility profile.
    const EGLint contextAttributes[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                        EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
    m_context = eglCreateContext(display, config, EGL_NO_CONTEXT, contextAttributes);
    const EGLint surfaceAttributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    if (m_context != EGL_NO_CONTEXT)
        m_surface = eglCreatePbufferSurface(display, config, surfaceAttributes);
    if (m_context == EGL_NO_CONTEXT || m_surface == EGL_NO_SURFACE ||
        !eglMakeCurrent(display, m_surface, m_surface, m_context)) {
        error = "EGL cannot make an OpenGL context for pictures (" + LastError() + ")";
        if (m_context == EGL_NO_CONTEXT)
            m_context = nullptr;
        if (m_surface == EGL_NO_SURFACE)
            m_surface = nullptr;
        Release();
        return false;
    }
    return true;
}
