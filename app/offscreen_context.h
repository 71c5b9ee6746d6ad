// An OpenGL context that needs no window and no display: EGL on Mesa's surfaceless platform,
// the desktop OpenGL API in its compatibility profile, drawing into a pbuffer.
#pragma once

#include <string>

class OffscreenContext {
public:
    OffscreenContext() = default;
    OffscreenContext(const OffscreenContext&) = delete;
    OffscreenContext& operator=(const OffscreenContext&) = delete;
    ~OffscreenContext();

    // Makes a context current whose default framebuffer is width x height pixels of RGB with a
    // depth buffer, like the window's. False, with the reason in error, when EGL or the driver
    // cannot give one; nothing is left open then.
    bool Create(int width, int height, std::string& error);

private:
    void Release();

    void* m_display = nullptr;
    void* m_context = nullptr;
    void* m_surface = nullptr;
};
