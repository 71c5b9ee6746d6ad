// The readers' number scanning against what it stands in for: floats must come out bit for bit
// as formatted stream extraction gives them (also the value stored on a failure, and which
// targets a failure leaves untouched), and integers as atoi gives them, saturated to int.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>

#include "model/obj_text.h"

namespace {

constexpr int valueCount = 4; // one more than any statement reads, to see where reading stops
constexpr float untouched = -12345.678f;

void Fail(const std::string& text, const char* what, int index) {
    std::fprintf(stderr, "%s differs at value %d for \"%s\"\n", what, index, text.c_str());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    float ours[valueCount];
    float extracted[valueCount];
    FloatScanner scanner(text);
    std::istringstream stream(text);
    for (int i = 0; i < valueCount; ++i) {
        ours[i] = untouched;
        extracted[i] = untouched;
        scanner.Read(ours[i]);
        stream >> extracted[i];
    }
    for (int i = 0; i < valueCount; ++i) {
        if (std::memcmp(&ours[i], &extracted[i], sizeof(float)) != 0) {
            Fail(text, "float", i);
        }
    }

    // The same with leave to read past the end, as lines of a LineReader give it: the bytes
    // there are digits, which must not count.
    std::string padded = text + std::string(LineReader::readAhead, '7');
    FloatScanner ahead(padded.data(), padded.data() + text.size(), true);
    for (int i = 0; i < valueCount; ++i) {
        float value = untouched;
        ahead.Read(value);
        if (std::memcmp(&value, &extracted[i], sizeof(float)) != 0) {
            Fail(text, "float read with leave to read ahead", i);
        }
    }
    const char* const textEnd = padded.data() + text.size();
    const char* plain = padded.data();
    const char* quick = padded.data();
    if (ParseCornerPart(plain, textEnd) != ReadCornerPart(quick, textEnd, true) || plain != quick) {
        Fail(text, "corner part read ahead", 0);
    }

    // atoi stops at the first NUL, as the scan does at any character that is no digit
    const long parsed = std::strtol(text.c_str(), nullptr, 10);
    const int expected = parsed > INT_MAX ? INT_MAX : parsed < INT_MIN ? INT_MIN : int(parsed);
    if (ParseInt(text.data(), text.data() + text.size()) != expected) {
        Fail(text, "integer", 0);
    }
    return 0;
}
