// Line splitting and number scanning shared by the OBJ and MTL readers. Private to model/.
#pragma once

#include <charconv>
#include <climits>
#include <cstdint>
#include <cstring>
#include <istream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

// Hands out the lines of a stream exactly as std::getline would (split at '\n', a last line
// without '\n' included), but reads the stream in large blocks: line-by-line extraction is
// the slowest part of reading a big model otherwise.
class LineReader {
public:
    explicit LineReader(std::istream& in, std::size_t bufferSize = 1 << 16)
        : m_in(in), m_buffer(bufferSize + readAhead) {}

    // Bytes that may be read past the end of every line handed out (their values are not the
    // line's), so that scans may look at several bytes at once.
    static constexpr std::size_t readAhead = 8;

    // The next line, valid until the next call; false at the end of the input or after a
    // read error (a partly read line before an error is dropped, as getline would drop it).
    bool Next(std::string_view& line) {
        for (;;) {
            const char* start = m_buffer.data() + m_position;
            const auto available = m_length - m_position;
            if (const void* newline = std::memchr(start, '\n', available)) {
                const auto size =
                    static_cast<std::size_t>(static_cast<const char*>(newline) - start);
                line = std::string_view(start, size);
                m_position += size + 1;
                return true;
            }
            if (m_ended) {
                if (available == 0 || m_in.bad()) {
                    return false;
                }
                line = std::string_view(start, available);
                m_position = m_length;
                return true;
            }
            Refill();
        }
    }

    // Bytes of the stream handed out as lines so far (line ends included).
    std::uint64_t Consumed() const { return m_refilled - (m_length - m_position); }

private:
    void Refill() {
        std::memmove(m_buffer.data(), m_buffer.data() + m_position, m_length - m_position);
        m_length -= m_position;
        m_position = 0;
        if (m_length + readAhead == m_buffer.size()) {
            m_buffer.resize(m_buffer.size() * 2); // one line longer than the buffer
        }
        m_in.read(m_buffer.data() + m_length,
                  static_cast<std::streamsize>(m_buffer.size() - readAhead - m_length));
        m_length += static_cast<std::size_t>(m_in.gcount());
        m_refilled += static_cast<std::uint64_t>(m_in.gcount());
        if (!m_in.good()) {
            m_ended = true;
        }
    }

    std::istream& m_in;
    std::vector<char> m_buffer;
    std::size_t m_position = 0;
    std::size_t m_length = 0;
    bool m_ended = false;
    std::uint64_t m_refilled = 0; // bytes read from the stream
};

// True when the reader has consumed the whole stream without a read error.
inline bool ReadToEnd(const std::istream& in) {
    return !in.bad() && in.eof();
}

inline bool StartsWith(std::string_view line, std::string_view prefix) {
    return line.size() >= prefix.size() && line.compare(0, prefix.size(), prefix) == 0;
}

// The text after a keyword; a line no longer than the keyword gives an empty rest instead of
// reading past its end.
inline std::string_view RestFrom(std::string_view line, std::size_t position) {
    return position < line.size() ? line.substr(position) : std::string_view();
}

// White space as the classic locale defines it: what formatted extraction and atoi skip.
inline bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

inline bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// atoi over [p, end): leading white space, an optional sign, then digits up to the first other
// character, where *stop is left when given. Values beyond the int range saturate instead of
// overflowing.
inline int ParseInt(const char* p, const char* end, const char** stop = nullptr) {
    while (p < end && IsSpace(*p)) {
        ++p;
    }
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    long long value = 0;
    for (; p < end && IsDigit(*p); ++p) {
        if (value <= INT_MAX) {
            value = value * 10 + (*p - '0');
        }
    }
    if (stop != nullptr) {
        *stop = p;
    }
    value = negative ? -value : value;
    return value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : static_cast<int>(value);
}

// atoi on one part of a face corner, for a scan over a whole face line: blanks end a corner, so
// the leading white space skipped is every kind but the blank. Leaves p on the '/' or blank
// that ends the part (or at the end); whatever else follows the number is passed over.
inline int ParseCornerPart(const char*& p, const char* end) {
    while (p < end && *p != ' ' && IsSpace(*p)) {
        ++p;
    }
    int value = 0;
    if (p < end && *p != ' ') {
        value = ParseInt(p, end, &p);
    }
    while (p < end && *p != '/' && *p != ' ') {
        ++p;
    }
    return value;
}

// The number of decimal digits that the 8 bytes at p begin with (8 when all are digits), and in
// value the number that those digits write. All 8 bytes must be readable.
inline int LeadingDigits(const char* p, std::uint64_t& value) {
    constexpr std::uint64_t ones = 0x0101010101010101;
    std::uint64_t chunk = 0;
    std::memcpy(&chunk, p, sizeof chunk);
    const std::uint64_t digits = chunk ^ (ones * '0'); // a digit's byte becomes 0..9
    // A byte is no digit when its high half is not 0 or its low half is 10 or more.
    const std::uint64_t other =
        (digits & (ones * 0xF0)) | (((digits & (ones * 0x0F)) + ones * 6) & (ones * 0x10));
    const int count = other == 0 ? 8 : __builtin_ctzll(other) >> 3;
    if (count == 0) {
        value = 0;
        return 0;
    }
    // The first byte is the first digit: shifted to the top, the digits read as a number of 8
    // digits with leading zeros, combined in pairs, fours and then eights.
    std::uint64_t v = digits << (8 * (8 - count));
    v = v * 10 + (v >> 8);
    v = (((v & 0x000000FF000000FF) * (100 + (1000000ULL << 32))) +
         (((v >> 16) & 0x000000FF000000FF) * (1 + (10000ULL << 32)))) >>
        32;
    value = v;
    return count;
}

// ParseCornerPart with the common corner part, a few digits ended by '/', a blank or the end of
// the line, read on the spot. With readAhead set, 8 bytes from p may be read whatever end says.
inline int ReadCornerPart(const char*& p, const char* end, bool readAhead = false) {
    if (readAhead) {
        std::uint64_t value = 0;
        const int count = LeadingDigits(p, value);
        if (count > 0 && count < 8 && count <= end - p) {
            const char* q = p + count;
            if (q == end || *q == '/' || *q == ' ') {
                p = q;
                return static_cast<int>(value);
            }
        }
    }
    const char* q = p;
    unsigned value = 0;
    while (q < end && IsDigit(*q) && q - p < 9) {
        value = value * 10 + static_cast<unsigned>(*q - '0');
        ++q;
    }
    if (q > p && (q == end || *q == '/' || *q == ' ')) {
        p = q;
        return static_cast<int>(value);
    }
    return ParseCornerPart(p, end);
}

// Reads floats from a line the way `std::istringstream(rest) >> a >> b >> c` does, with the
// same values and the same effect on the targets: a value that fails to convert stores 0
// (or the largest float, signed, on overflow) and ends the reading; targets after the end of
// the text, after a failure or after a value that reached the end are left untouched.
class FloatScanner {
public:
    // With readAhead set, 8 bytes past end may be read (as LineReader's lines allow).
    FloatScanner(const char* begin, const char* end, bool readAhead = false)
        : m_p(begin), m_end(end), m_readAhead(readAhead) {}
    explicit FloatScanner(std::string_view text, bool readAhead = false)
        : m_p(text.data()), m_end(text.data() + text.size()), m_readAhead(readAhead) {}

    // One extraction into target; true when a number was read (a failed conversion still
    // stores 0 or the overflow value, as extraction does).
    bool Read(float& target) {
        if (!m_good) {
            return false;
        }
        while (m_p < m_end && IsSpace(*m_p)) {
            ++m_p;
        }
        if (m_p == m_end) {
            m_good = false;
            return false;
        }
        const char* token = m_p;
        const Token scanned = ScanToken();
        bool converted = true;
        if (scanned.exact) {
            target = scanned.value;
        } else {
            converted = Convert(token, m_p, target);
        }
        // At the end of the text the stream would be at its end: nothing more is extracted.
        m_good = converted && m_p < m_end;
        return converted;
    }

private:
    struct Token {
        bool exact; // value already holds the correctly rounded result
        float value;
    };

    // Scans the characters that num_get collects for a float in the classic locale: a sign,
    // digits with one decimal point, and an exponent (only after a digit) with its own sign.
    // On the way it gathers the decimal digits, so that the common numbers convert without a
    // library call (see Scaled).
    Token ScanToken() {
        bool negative = false;
        if (*m_p == '+' || *m_p == '-') {
            negative = *m_p == '-';
            ++m_p;
        }
        std::uint64_t mantissa = 0;
        bool small = true; // mantissa still at most 2^53
        int fractionDigits = 0;
        int digitCount = GatherRun(mantissa, small, fractionDigits);
        fractionDigits = 0; // the digits before the point
        if (m_p < m_end && *m_p == '.') {
            ++m_p;
            digitCount += GatherRun(mantissa, small, fractionDigits);
        }
        if (m_p < m_end && (*m_p == 'e' || *m_p == 'E') && digitCount > 0) {
            return ScanExponent(negative, mantissa, small, fractionDigits);
        }
        if (digitCount == 0 || !small) {
            return Token{false, 0.0f};
        }
        return Scaled(negative, mantissa, -fractionDigits);
    }

    // Gathers a run of digits into the mantissa; counted stays the number of digits gathered
    // while the mantissa was small. Returns the length of the run.
    int GatherRun(std::uint64_t& mantissa, bool& small, int& counted) {
        const char* const start = m_p;
        std::uint64_t value = 0;
        int count = 0;
        // Up to 7 digits at once while the mantissa stays far below 2^53.
        if (m_readAhead && mantissa < 10000000 && (count = LeadingDigits(m_p, value)) < 8 &&
            count <= m_end - m_p) {
            static constexpr std::uint64_t scales[] = {1,     10,     100,     1000,
                                                       10000, 100000, 1000000, 10000000};
            mantissa = mantissa * scales[count] + value;
            counted += count;
            m_p += count;
            return count;
        }
        for (; m_p < m_end && IsDigit(*m_p); ++m_p) {
            counted += small ? 1 : 0;
            Gather(mantissa, small, *m_p);
        }
        return static_cast<int>(m_p - start);
    }

    // Adds one digit to the mantissa while it stays exact in a double.
    static void Gather(std::uint64_t& mantissa, bool& small, char digit) {
        if (small) {
            mantissa = mantissa * 10 + static_cast<unsigned>(digit - '0');
            small = mantissa <= (std::uint64_t(1) << 53);
        }
    }

    Token ScanExponent(bool negative, std::uint64_t mantissa, bool small, int fractionDigits) {
        ++m_p; // the 'e'
        bool negativeExponent = false;
        if (m_p < m_end && (*m_p == '+' || *m_p == '-')) {
            negativeExponent = *m_p == '-';
            ++m_p;
        }
        int exponent = 0;
        int exponentDigits = 0;
        for (; m_p < m_end && IsDigit(*m_p); ++m_p) {
            exponent = exponent < 10000 ? exponent * 10 + (*m_p - '0') : exponent;
            ++exponentDigits;
        }
        // "1e" and "1e+" fail in extraction; leave them to the slow path.
        if (exponentDigits == 0 || !small) {
            return Token{false, 0.0f};
        }
        return Scaled(negative, mantissa,
                      (negativeExponent ? -exponent : exponent) - fractionDigits);
    }

    // A mantissa of at most 2^53 is exact in double, and so is a power of ten of at most
    // 10^22; a negative power is a multiplication by the nearest double of its inverse. Either
    // way the double lies within a few of its own steps of the exact value, and rounding it to
    // float gives strtof's result unless it lies that close to halfway between two floats,
    // where the exact value could lie on either side: those go the slow way.
    static Token Scaled(bool negative, std::uint64_t mantissa, int power) {
        static constexpr double powers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                            1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                            1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
        static constexpr double inverses[] = {
            1e0,   1e-1,  1e-2,  1e-3,  1e-4,  1e-5,  1e-6,  1e-7,  1e-8,  1e-9,  1e-10, 1e-11,
            1e-12, 1e-13, 1e-14, 1e-15, 1e-16, 1e-17, 1e-18, 1e-19, 1e-20, 1e-21, 1e-22};
        if (mantissa == 0) {
            return Token{true, negative ? -0.0f : 0.0f};
        }
        if (power < -22 || power > 22) {
            return Token{false, 0.0f};
        }
        const double exact = static_cast<double>(mantissa);
        const double value = power >= 0 ? exact * powers[power] : exact * inverses[-power];
        std::uint64_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        constexpr std::uint64_t dropped = (std::uint64_t(1) << 29) - 1; // below float's bits
        constexpr std::uint64_t halfway = std::uint64_t(1) << 28;
        constexpr std::uint64_t margin = 8; // double steps, well beyond the two roundings
        if ((bits & dropped) + margin - halfway <= 2 * margin) {
            return Token{false, 0.0f};
        }
        const float rounded = static_cast<float>(value);
        return Token{true, negative ? -rounded : rounded};
    }

    // The slow path, correctly rounded like the strtof behind extraction: from_chars, and
    // extraction itself for what from_chars does not take whole and in range (a lone sign,
    // "1e", overflow, underflow).
    static bool Convert(const char* token, const char* end, float& target) {
        if (token == end) {
            target = 0.0f; // nothing that looks like a number: extraction fails with 0
            return false;
        }
        const char* digits = token;
        if (digits < end && *digits == '+') {
            ++digits; // from_chars takes no plus sign
        }
        float value = 0.0f;
        const auto result = std::from_chars(digits, end, value);
        if (result.ec == std::errc() && result.ptr == end && digits < end) {
            target = value;
            return true;
        }
        std::istringstream stream(std::string(token, end));
        stream >> target;
        return !stream.fail();
    }

    const char* m_p;
    const char* m_end;
    const bool m_readAhead;
    bool m_good = true;
};
