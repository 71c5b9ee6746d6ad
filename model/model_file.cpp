#include "model/model_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

namespace {

using Bytes = std::string_view;

bool StartsWith(Bytes text, Bytes prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

std::uint32_t LittleEndian32(Bytes bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 4; i-- > 0;)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

std::uint16_t LittleEndian16(Bytes bytes, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                      static_cast<unsigned char>(bytes[at + 1]) << 8);
}

ModelFileCheck NotAModel(const char* what) {
    return {"", std::string(what) + ", not an OBJ model"};
}

ModelFileCheck OtherModel(const char* format, const char* what) {
    return {format, std::string(what) + "; this viewer reads OBJ files only"};
}

// Pictures, archives and documents: their magic numbers sit at the very start.
bool KnownNonModel(Bytes head, ModelFileCheck& check) {
    struct Magic {
        Bytes bytes;
        const char* what;
    };
    static const Magic magics[] = {
        {Bytes("\x89PNG\r\n\x1a\n", 8), "a PNG picture"},
        {Bytes("\xff\xd8\xff", 3), "a JPEG picture"},
        {Bytes("GIF87a", 6), "a GIF picture"},
        {Bytes("GIF89a", 6), "a GIF picture"},
        {Bytes("II*\0", 4), "a TIFF picture"},
        {Bytes("MM\0*", 4), "a TIFF picture"},
        {Bytes("PK\x03\x04", 4), "a ZIP archive"},
        {Bytes("PK\x05\x06", 4), "a ZIP archive"},
        {Bytes("\x1f\x8b", 2), "a gzip archive"},
        {Bytes("7z\xbc\xaf\x27\x1c", 6), "a 7z archive"},
        {Bytes("\xfd"
               "7zXZ\0",
               6),
         "an xz archive"},
        {Bytes("%PDF-", 5), "a PDF document"},
    };
    for (const Magic& magic : magics) {
        if (StartsWith(head, magic.bytes)) {
            check = NotAModel(magic.what);
            return true;
        }
    }
    if (StartsWith(head, "BZh") && head.size() > 3 && head[3] >= '1' && head[3] <= '9') {
        check = NotAModel("a bzip2 archive");
        return true;
    }
    if (head.size() >= 12 && StartsWith(head, "RIFF") && head.substr(8, 4) == "WEBP") {
        check = NotAModel("a WebP picture");
        return true;
    }
    // "BM" alone could begin a line of text; a bitmap's info header size (12 to 124) cannot.
    if (StartsWith(head, "BM") && head.size() >= 18) {
        const std::uint32_t infoSize = LittleEndian32(head, 14);
        if (infoSize >= 12 && infoSize <= 124) {
            check = NotAModel("a BMP picture");
            return true;
        }
    }
    return false;
}

// Binary model formats, recognised by magic numbers or by sizes that their headers give.
bool BinaryModel(Bytes head, std::uint64_t fileSize, ModelFileCheck& check) {
    if (StartsWith(head, "glTF")) {
        check = OtherModel("GLB", "a GLB (binary glTF) model");
        return true;
    }
    if (StartsWith(head, "Kaydara FBX Binary")) {
        check = OtherModel("FBX", "an FBX model");
        return true;
    }
    // A 3MF file is a ZIP archive whose first entries name its model part.
    if (StartsWith(head, Bytes("PK\x03\x04", 4)) && head.find("3D/3dmodel.model") != head.npos) {
        check = OtherModel("3MF", "a 3MF model");
        return true;
    }
    // Binary STL: an 80-byte header (which some writers begin with "solid"), a triangle count,
    // 50 bytes per triangle. Text cannot give a count that matches its own size.
    if (fileSize >= 84 && head.size() >= 84 &&
        fileSize == 84 + 50 * static_cast<std::uint64_t>(LittleEndian32(head, 80))) {
        check = OtherModel("STL", "an STL model");
        return true;
    }
    // 3DS: a main chunk 0x4D4D whose length fits the file, opening with a version or editor chunk.
    if (head.size() >= 8 && LittleEndian16(head, 0) == 0x4D4D) {
        const std::uint32_t length = LittleEndian32(head, 2);
        const std::uint16_t first = LittleEndian16(head, 6);
        if (length >= 6 && length <= fileSize && (first == 0x0002 || first == 0x3D3D)) {
            check = OtherModel("3DS", "a 3DS model");
            return true;
        }
    }
    return false;
}

// The first line without its end and surrounding blanks.
Bytes FirstLine(Bytes text) {
    Bytes line = text.substr(0, text.find('\n'));
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
        line.remove_suffix(1);
    return line;
}

Bytes FirstWord(Bytes line) {
    const std::size_t start = line.find_first_not_of(" \t");
    if (start == line.npos)
        return Bytes();
    line.remove_prefix(start);
    return line.substr(0, line.find_first_of(" \t\r\f"));
}

// Text model formats, recognised by their first line or their opening element.
bool TextModel(Bytes text, ModelFileCheck& check) {
    const Bytes firstLine = FirstLine(text);
    if (firstLine == "ply") {
        check = OtherModel("PLY", "a PLY model");
        return true;
    }
    if (StartsWith(text, "; FBX")) {
        check = OtherModel("FBX", "an FBX model");
        return true;
    }
    // OFF and its variants: C colours, N normals, ST texture coordinates, 4 four dimensions,
    // n any dimension; the counts may follow on the same line.
    const Bytes word = FirstWord(firstLine);
    if (word.size() >= 3 && word.substr(word.size() - 3) == "OFF" &&
        word.substr(0, word.size() - 3).find_first_not_of("STCN4n") == word.npos) {
        check = OtherModel("OFF", "an OFF model");
        return true;
    }
    if (FirstWord(text) == "solid" &&
        (text.find("facet") != text.npos || text.find("endsolid") != text.npos)) {
        check = OtherModel("STL", "an STL model");
        return true;
    }
    const std::size_t start = text.find_first_not_of(" \t\r\n");
    if (start == text.npos)
        return false;
    if (text[start] == '{' && text.find("\"asset\"") != text.npos) {
        check = OtherModel("glTF", "a glTF model");
        return true;
    }
    if (text[start] == '<' && text.find("<COLLADA") != text.npos) {
        check = OtherModel("COLLADA", "a COLLADA model");
        return true;
    }
    return false;
}

// NUL and the control characters that no text editor writes; tab, CR, LF and FF are text.
// Bytes from 0x80 up are left alone: UTF-8 and Latin-1 comments are welcome.
std::size_t FirstBinaryByte(Bytes text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if ((c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f') || c == 0x7F)
            return i;
    }
    return text.npos;
}

bool IsObjKeyword(Bytes word) {
    static const Bytes keywords[] = {
        "v",          "vt",        "vn",       "vp",       "f",    "fo",     "l",
        "p",          "g",         "o",        "s",        "mg",   "usemtl", "mtllib",
        "usemat",     "cstype",    "deg",      "bmat",     "step", "curv",   "curv2",
        "surf",       "parm",      "trim",     "hole",     "scrv", "sp",     "end",
        "con",        "bevel",     "c_interp", "d_interp", "lod",  "maplib", "usemap",
        "shadow_obj", "trace_obj", "ctech",    "stech",    "call", "csh",
    };
    for (const Bytes keyword : keywords) {
        if (word == keyword)
            return true;
    }
    return false;
}

// Whether some line of the text begins with an OBJ statement.
bool HasObjStatement(Bytes text) {
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        if (IsObjKeyword(FirstWord(text.substr(0, end))))
            return true;
        if (end == text.npos)
            break;
        text.remove_prefix(end + 1);
    }
    return false;
}

} // namespace

ModelFileCheck CheckModelBytes(std::string_view head, std::uint64_t fileSize) {
    ModelFileCheck check;
    if (head.empty())
        return NotAModel("an empty file");
    if (StartsWith(head, "\xff\xfe") || StartsWith(head, "\xfe\xff"))
        return {"", "UTF-16 text; OBJ files are read as UTF-8, ASCII or Latin-1"};
    if (BinaryModel(head, fileSize, check) || KnownNonModel(head, check))
        return check;

    Bytes text = head;
    if (StartsWith(text, "\xef\xbb\xbf"))
        text.remove_prefix(3);
    // UTF-16 without a byte-order mark: every other byte of plain ASCII is NUL.
    if (text.size() >= 4 && ((text[1] == '\0' && text[3] == '\0' && text[0] != '\0') ||
                             (text[0] == '\0' && text[2] == '\0' && text[1] != '\0')))
        return {"", "UTF-16 text; OBJ files are read as UTF-8, ASCII or Latin-1"};
    if (TextModel(text, check))
        return check;
    const std::size_t binary = FirstBinaryByte(text);
    if (binary != text.npos) {
        char where[64];
        std::snprintf(where, sizeof where, "binary data (byte 0x%02X at offset %zu)",
                      static_cast<unsigned char>(text[binary]),
                      binary + (head.size() - text.size()));
        return NotAModel(where);
    }
    if (!HasObjStatement(text)) {
        if (fileSize > head.size())
            return NotAModel("text without any OBJ statement in its first 64 KiB");
        return NotAModel("text without any OBJ statement");
    }
    return {"OBJ", ""};
}

ModelFileCheck CheckModelFile(const std::string& path) {
    errno = 0;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return {"", std::strerror(errno != 0 ? errno : ENOENT)};
    std::string head(modelFileHeadSize, '\0');
    errno = 0;
    head.resize(std::fread(&head[0], 1, head.size(), file));
    // A folder opens on Linux but cannot be read.
    const bool failed = std::ferror(file) != 0;
    const int readError = errno;
    struct stat status = {};
    const bool sized = fstat(fileno(file), &status) == 0 && S_ISREG(status.st_mode);
    std::fclose(file);
    if (failed)
        return {"", std::strerror(readError != 0 ? readError : EIO)};
    // A pipe or device has no size of its own: what could be read stands for it.
    const std::uint64_t fileSize = sized ? static_cast<std::uint64_t>(status.st_size)
                                         : static_cast<std::uint64_t>(head.size());
    return CheckModelBytes(head, std::max<std::uint64_t>(fileSize, head.size()));
}
