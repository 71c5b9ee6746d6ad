// The material library reader on arbitrary text, read twice into the same table as two
// libraries of one model would be: the second read must add no name twice.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "fuzz/reader_support.h"
#include "model/model.h"
#include "model/obj_stream.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    SilenceConsole();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    for (const bool mipmaps : {true, false}) {
        std::istringstream in(text);
        LoadMaterialsFromStream(in, "Data/", mipmaps);
        CheckTables();
    }
    ResetReaderTables();
    return 0;
}
