// The reading of a child importer's answer, on arbitrary bytes. An answer that is accepted must
// be the exact bytes its model is written as again: nothing is accepted that the writer would
// not have produced, and nothing is lost on the way.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "model/isolated_import.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    ImportedModel model;
    bool imported = false;
    std::string importError;
    std::string streamError;
    if (!DeserializeImportResult(bytes, imported, model, importError, streamError)) {
        if (streamError.empty()) {
            __builtin_trap();
        }
        return 0;
    }
    if (SerializeImportResult(imported, model, importError) != bytes) {
        __builtin_trap();
    }
    return 0;
}
