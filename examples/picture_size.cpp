// picture_size PICTURE: "width W height H channels C" of a BMP, PNG, JPEG or TGA file, decoded
// as the viewer decodes textures, without OpenGL.
#include <common/diagnostics.h>
#include <image/texture.h>
#include <iostream>
#include <sstream>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: picture_size PICTURE\n";
        return 2;
    }
    std::ostringstream transcript; // the decoder's "carregou bmp" line
    std::streambuf* console = std::cout.rdbuf(transcript.rdbuf());
    CapturedDiagnostics problems;
    Texture* picture = ReadTextureImage(argv[1]);
    std::cout.rdbuf(console);
    const bool decoded = picture->data != nullptr;
    if (decoded)
        std::cout << "width " << picture->width << " height " << picture->height << " channels "
                  << picture->channels << "\n";
    else
        std::cerr << "picture_size: cannot decode \"" << argv[1] << "\"\n" << problems.Text();
    delete picture;
    return decoded ? 0 : 1;
}
