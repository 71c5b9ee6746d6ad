#include "app/offscreen.h"
#include "common/diagnostics.h"

#include <GL/gl.h>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <iostream>
#include <memory>
#include <system_error>
#include <unistd.h>

#include "app/offscreen_context.h"
#include "app/seed.h"
#include "app/viewer.h"

// Private to this file, so that another module's copy of the writer cannot clash with it.
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

namespace fs = std::filesystem;

namespace {

bool IsBitmapPath(const std::string& path) {
    const std::string extension = fs::path(path).extension().string();
    return extension.size() == 4 && (extension[1] | 0x20) == 'b' && (extension[2] | 0x20) == 'm' &&
           (extension[3] | 0x20) == 'p';
}

std::string FolderOf(const std::string& path) {
    const fs::path folder = fs::path(path).parent_path();
    return folder.empty() ? std::string(".") : folder.string();
}

void AppendBytes(void* context, void* data, int size) {
    auto* bytes = static_cast<std::vector<unsigned char>*>(context);
    const auto* first = static_cast<const unsigned char*>(data);
    bytes->insert(bytes->end(), first, first + size);
}

// Writes all of bytes to a new file; errno tells why not.
bool WriteNewFile(const std::string& path, const std::vector<unsigned char>& bytes) {
    const int file = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (file < 0)
        return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(file, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            const int reason = written < 0 ? errno : ENOSPC;
            ::close(file);
            errno = reason;
            return false;
        }
        done += static_cast<std::size_t>(written);
    }
    return ::close(file) == 0;
}

// One frame as the window draws it, read back from the pbuffer.
std::vector<unsigned char> DrawPicture(int width, int height) {
    DrawScene();
    std::vector<unsigned char> rgb(static_cast<std::size_t>(width) * height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    return rgb;
}

} // namespace

void ApplyBackground(const ViewerOptions& options) {
    if (options.haveBackground)
        glClearColor(options.background[0], options.background[1], options.background[2], 1.0f);
}

std::string FramePath(const std::string& path, int index, int count) {
    const fs::path whole(path);
    const std::string extension = whole.extension().string();
    std::string number = std::to_string(index);
    const std::size_t digits = std::max<std::size_t>(3, std::to_string(count - 1).size());
    number.insert(0, digits - std::min(digits, number.size()), '0');
    return path.substr(0, path.size() - extension.size()) + "-" + number + extension;
}

std::string OutputPathProblem(const std::string& path) {
    const std::string folder = FolderOf(path);
    std::error_code error;
    if (!fs::is_directory(folder, error))
        return "the folder \"" + folder + "\" does not exist";
    if (fs::is_directory(path, error))
        return "\"" + path + "\" is a folder";
    // Root passes every permission check: only making a file tells for sure.
    const std::string probe = folder + "/.quillmere-probe-" + std::to_string(::getpid());
    const int file = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (file < 0)
        return "the folder \"" + folder + "\" takes no new files: " + std::strerror(errno);
    ::close(file);
    ::unlink(probe.c_str());
    return "";
}

std::string WritePicture(const std::string& path, int width, int height,
                         const std::vector<unsigned char>& rgb) {
    std::vector<unsigned char> bytes;
    // OpenGL's rows run bottom to top, the files' top to bottom.
    stbi_flip_vertically_on_write(1);
    const int encoded =
        IsBitmapPath(path)
            ? stbi_write_bmp_to_func(AppendBytes, &bytes, width, height, 3, rgb.data())
            : stbi_write_png_to_func(AppendBytes, &bytes, width, height, 3, rgb.data(), width * 3);
    if (!encoded)
        return "the picture could not be encoded";
    const std::string name = fs::path(path).filename().string();
    const std::string temporary =
        FolderOf(path) + "/." + name + "." + std::to_string(::getpid()) + ".part";
    ::unlink(temporary.c_str()); // left by an earlier run that ended half way, if any
    if (!WriteNewFile(temporary, bytes)) {
        const int reason = errno;
        ::unlink(temporary.c_str());
        return std::strerror(reason);
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        const int reason = errno;
        ::unlink(temporary.c_str());
        return std::strerror(reason);
    }
    return "";
}

namespace {

// Made by PrepareOffscreen, current until the process ends.
std::unique_ptr<OffscreenContext> offscreenContext;

int PictureCount() {
    return viewerOptions.frames == 0 ? 1 : viewerOptions.frames;
}

std::string PicturePath(int index) {
    return viewerOptions.frames == 0 ? viewerOptions.outputPath
                                     : FramePath(viewerOptions.outputPath, index, PictureCount());
}

} // namespace

bool PrepareOffscreen() {
    // Nothing is made when the pictures have nowhere to go. They share one folder, so only
    // the first name needs the full check.
    for (int i = 0; i < PictureCount(); ++i) {
        std::error_code error;
        const std::string problem = i == 0 ? OutputPathProblem(PicturePath(i))
                                    : fs::is_directory(PicturePath(i), error)
                                        ? "\"" + PicturePath(i) + "\" is a folder"
                                        : "";
        if (!problem.empty()) {
            Report(Level::error, "cannot write \"" + PicturePath(i) + "\": " + problem);
            return false;
        }
    }
    offscreenContext = std::make_unique<OffscreenContext>();
    std::string error;
    if (!offscreenContext->Create(viewerOptions.width, viewerOptions.height, error)) {
        offscreenContext.reset();
        Report(Level::error, "cannot draw without a window: " + error);
        return false;
    }
    return true;
}

int RunOffscreen() {
    const ViewerOptions& options = viewerOptions;
    if (offscreenContext == nullptr && !PrepareOffscreen())
        return 2;
    reshape(options.width, options.height);
    std::unique_ptr<TextureGenerator> startupTexture = StartScene();

    const Camera start = camera;
    const int count = PictureCount();
    for (int i = 0; i < count; ++i) {
        // Ctrl+C or kill between two pictures: every picture written so far is whole.
        if (QuitRequested()) {
            FlushOutput();
            Report(Level::error, "interrupted after " + std::to_string(i) + " of " +
                                     std::to_string(count) + " pictures");
            return 2;
        }
        // One full turn about the up axis, the first picture as the window's first frame.
        camera.rotationY = WrapDegrees(start.rotationY + 360.0 * i / count);
        const std::string problem = WritePicture(PicturePath(i), options.width, options.height,
                                                 DrawPicture(options.width, options.height));
        if (!problem.empty()) {
            FlushOutput();
            Report(Level::error, "cannot write \"" + PicturePath(i) + "\": " + problem);
            return 2;
        }
    }
    FlushOutput();
    return 0;
}
