// The model file check on any bytes: it must not read past the head, and its answer must be
// one a caller can act on: OBJ with no problem, or a one-line reason to refuse the file.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "model/model_file.h"

namespace {

void Check(std::string_view head, std::uint64_t fileSize) {
    const ModelFileCheck check = CheckModelBytes(head, fileSize);
    const bool obj = check.format == "OBJ";
    if (obj != check.problem.empty() || check.problem.find('\n') != std::string::npos) {
        std::fprintf(stderr, "format \"%s\" with problem \"%s\"\n", check.format.c_str(),
                     check.problem.c_str());
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A copy of exactly the input's length, so that AddressSanitizer sees any read past it.
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::string_view head(bytes);
    if (head.size() > modelFileHeadSize)
        head = head.substr(0, modelFileHeadSize);
    Check(head, size);
    // The same head as the start of a far larger file (sizes that binary formats declare).
    Check(head, size + 50 * static_cast<std::uint64_t>(size % 7) + (1u << 20));
    return 0;
}
