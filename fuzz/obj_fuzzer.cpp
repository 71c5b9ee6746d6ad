// The OBJ reader on arbitrary text. "mtllib" lines reach a private folder holding copies of the
// project's material libraries, so "usemtl" lines can find materials. A loaded model is checked
// against its statements, against the load of the same text with CRLF line ends and against the
// same text read in parts on two threads, and given to the operations that walk its faces. A
// lenient load of the same text (unknown materials fall back to the default) must succeed
// wherever the strict one does, with the same model. The model is then prepared for drawing
// (normals, tessellation), and what that made is checked.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>

#include "fuzz/reader_support.h"
#include "model/obj_stream.h"
#include "model/reading.h"
#include "tests/model/recording_textures.h"
#include "tests/model/unseekable_buffer.h"

namespace {

// A "mtllib" name climbing out of the folder could reach any file of the machine (an endless
// device, say): what that costs says nothing about the reader.
bool LeavesFolder(std::string_view text) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        const std::string_view line = text.substr(start, end - start);
        if (line.substr(0, 6) == "mtllib" && line.find("..") != std::string_view::npos) {
            return true;
        }
        start = end + 1;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    SilenceConsole();
    LibraryFolder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (LeavesFolder(text)) {
        return -1;
    }
    std::istringstream in(text);
    ObjModel* model =
        ReadModelFromStream(in, LibraryFolder() + "model.obj", true, false, RecordTextureLoad);
    CheckTables();
    // Read in parts on two threads, the borders wherever the shares put them (inside lines,
    // between CR and LF), before a lenient load can add materials: it fails where the one
    // reading fails, and gives the same model.
    std::istringstream partsIn(text);
    ReadingThreads threads;
    threads.threads = 2;
    threads.parts = 2 + static_cast<unsigned>(size % 7);
    threads.smallestText = 0;
    threads.open = [&text] { return std::make_unique<std::istringstream>(text); };
    ObjModel* inParts = ReadModelFromStream(partsIn, LibraryFolder() + "model.obj", true, false,
                                            RecordTextureLoad, threads);
    CheckTables();
    Require((inParts == nullptr) == (model == nullptr),
            "a reading in parts fails where the one reading does not, or the other way round");
    if (inParts != nullptr) {
        Require(SameModel(*model, *inParts), "a model read in parts differs");
        UnloadModel(inParts);
    }
    // Read again leniently, with the materials the strict load read still in the table: where
    // the strict load succeeded the lenient one gives the same model; where it failed (an
    // unknown material) the lenient one goes on.
    std::istringstream lenientIn(text);
    ObjModel* lenient = ReadModelFromStream(lenientIn, LibraryFolder() + "model.obj", true, true,
                                            RecordTextureLoad);
    CheckTables();
    if (lenient != nullptr) {
        CheckModel(*lenient);
        Require(model == nullptr || SameModel(*model, *lenient),
                "a lenient load differs from the strict one");
        UnloadModel(lenient);
    }
    if (model == nullptr) {
        Require(modelList.empty(), "a failed load listed a model");
        ResetReaderTables();
        return 0;
    }
    Require(modelList.size() == 1 && modelList[0] == model, "a loaded model is not listed");
    CheckModel(*model);

    // The same text with CRLF line ends must give the same model.
    if (text.find('\r') == std::string::npos) {
        std::string crlf;
        for (const char c : text) {
            if (c == '\n') {
                crlf += '\r';
            }
            crlf += c;
        }
        std::istringstream crlfIn(crlf);
        const ObjModel* again = ReadModelFromStream(crlfIn, LibraryFolder() + "model.obj", true,
                                                    false, RecordTextureLoad);
        Require(again != nullptr && SameModel(*model, *again), "CRLF line ends change the model");
    }

    // A stream read once, its lists grown rather than counted first, gives the same model.
    UnseekableBuffer buffer(text);
    std::istream unseekable(&buffer);
    const ObjModel* grown = ReadModelFromStream(unseekable, LibraryFolder() + "model.obj", true,
                                                false, RecordTextureLoad);
    Require(grown != nullptr && SameModel(*model, *grown),
            "a model read without a first count differs");

    // What drawing computes for a model the user names, on what was just loaded.
    PrepareDrawing(model);
    CheckPrepared(*model);
    ComputeModelNormals(model);
    ScaleModel(model, 2.0f);
    ResetReaderTables();
    return 0;
}
