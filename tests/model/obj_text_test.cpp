// The readers' number scanning and line splitting against the standard behaviour they stand
// in for: formatted float extraction, atoi and std::getline.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <sstream>

#include "model/obj_text.h"

namespace {

struct Extraction {
    float values[3];
    bool read[3];
};

// Three extractions into targets that start as sentinels, so that "left untouched" and
// "set to 0" are told apart.
Extraction ByStream(const std::string& text) {
    Extraction e{{-7.0f, -7.0f, -7.0f}, {false, false, false}};
    std::istringstream in(text);
    for (int i = 0; i < 3; ++i) {
        in >> e.values[i];
        e.read[i] = !in.fail();
    }
    return e;
}

Extraction ByScanner(const std::string& text) {
    Extraction e{{-7.0f, -7.0f, -7.0f}, {false, false, false}};
    FloatScanner scanner(text);
    for (int i = 0; i < 3; ++i) {
        e.read[i] = scanner.Read(e.values[i]);
    }
    return e;
}

// False, after one failure, when the scanner and the stream disagree.
bool ExpectSameAsStream(const std::string& text) {
    const Extraction expected = ByStream(text);
    const Extraction actual = ByScanner(text);
    for (int i = 0; i < 3; ++i) {
        // Bit patterns, so that -0 and 0 differ.
        std::uint32_t a = 0;
        std::uint32_t b = 0;
        std::memcpy(&a, &expected.values[i], 4);
        std::memcpy(&b, &actual.values[i], 4);
        if (a != b || expected.read[i] != actual.read[i]) {
            ADD_FAILURE() << "value " << i << " of \"" << text << "\": " << expected.values[i]
                          << " (read " << expected.read[i] << ") vs " << actual.values[i]
                          << " (read " << actual.read[i] << ")";
            return false;
        }
    }
    return true;
}

TEST(FloatScanner, EdgeCasesMatchStreamExtraction) {
    for (const char* text : {"",
                             " ",
                             "1 2 3",
                             "  -1.5\t2e3\v.25",
                             "+5 +6 +7",
                             "-0 -0.0 0.",
                             "1e",
                             "1e+ 2",
                             "1E-",
                             "1.2.3 4",
                             "1-2-3",
                             "1e5e3",
                             "1e5.5",
                             ".e1 2",
                             ".",
                             "-",
                             "+",
                             "+-1",
                             "--1",
                             "-.5",
                             "0x10 2",
                             "0X1p3",
                             "inf 3",
                             "-inf",
                             "nan",
                             "NAN 1",
                             "infinity",
                             "1e50 2",
                             "-1e50 2",
                             "1e-50 2",
                             "1e-40 1e-45 1e-46",
                             "3.4028235e38 3.4028236e38 3.5e38",
                             "1.17549435e-38",
                             "00000.5000000",
                             "123456789012345678901234567890",
                             "0.1000000000000000055511151231257827",
                             "16777217 16777219",
                             "1,5 2",
                             "1 2 3 4",
                             "1\r",
                             "\r1",
                             "7x 8",
                             "1/2/3",
                             "e5",
                             "E",
                             "1..2",
                             "..2",
                             "1e+5 1e-5 1e05",
                             "9999999999999999999999999999999999999999e-30",
                             "0e0",
                             "0e999999999999",
                             "1e-999999999999",
                             "1e2147483648"}) {
        SCOPED_TRACE(text);
        ExpectSameAsStream(text);
    }
    // Halfway between two floats after one rounding to double, and mantissas beyond float's.
    for (const char* text : {"1.370000183582306 3.590001702308655 5.070003271102905",
                             "6.180004358291626 -1.370000183582306 9007199254740993",
                             "28.123457 -19.999999 123456.789012"}) {
        SCOPED_TRACE(text);
        ExpectSameAsStream(text);
    }
}

TEST(FloatScanner, RandomTextMatchesStreamExtraction) {
    const char alphabet[] = "0123456789012345678901234567890123456789....++--eeEE   \t\r\vxinfa/";
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> length(0, 24);
    std::uniform_int_distribution<std::size_t> pick(0, sizeof alphabet - 2);
    for (int n = 0; n < 200000; ++n) {
        std::string text(static_cast<std::size_t>(length(random)), ' ');
        for (char& c : text) {
            c = alphabet[pick(random)];
        }
        if (!ExpectSameAsStream(text))
            return;
    }
}

TEST(FloatScanner, RandomDecimalsMatchStreamExtraction) {
    // Long, exponent-heavy decimals probe the rounding, including subnormals and overflow.
    std::mt19937_64 random(777);
    for (int n = 0; n < 100000; ++n) {
        std::ostringstream text;
        for (int i = 0; i < 3; ++i) {
            const int digits = static_cast<int>(random() % 25) + 1;
            if (random() % 2) {
                text << '-';
            }
            for (int d = 0; d < digits; ++d) {
                text << static_cast<char>('0' + random() % 10);
                if (d == 0 && random() % 2) {
                    text << '.';
                }
            }
            text << 'e' << static_cast<int>(random() % 100) - 60 << ' ';
        }
        if (!ExpectSameAsStream(text.str()))
            return;
    }
}

TEST(FloatScanner, ShortDecimalsMatchStreamExtraction) {
    // The numbers exporters write ("%.4f", "%.6f", "%g"), which take the exact fast path.
    std::mt19937_64 random(4242);
    std::uniform_real_distribution<double> value(-1000.0, 1000.0);
    for (int n = 0; n < 200000; ++n) {
        char text[96];
        const double a = value(random);
        const double b = value(random) / 997.0;
        const double c = value(random) * 1e-7;
        const int digits = static_cast<int>(random() % 9);
        std::snprintf(text, sizeof text, "%.*f %.*g %.*e", digits, a, digits + 1, b, digits, c);
        if (!ExpectSameAsStream(text))
            return;
    }
    // Every mantissa around the 2^24 limit with every power of ten the fast path takes.
    for (std::uint32_t mantissa = (1u << 24) - 40; mantissa <= (1u << 24) + 40; ++mantissa) {
        for (int power = -12; power <= 12; ++power) {
            if (!ExpectSameAsStream(std::to_string(mantissa) + "e" + std::to_string(power)))
                return;
        }
    }
}

TEST(ParseInt, MatchesAtoiWithinTheIntRangeAndSaturatesBeyond) {
    for (const char* text : {"", "0", "42", "-42", "+42", "  \t7", "7x", "x7", "-", "+", "--1",
                             "2147483647", "-2147483648", "00012", "1/2", "\r5", " - 5"}) {
        EXPECT_EQ(ParseInt(text, text + std::strlen(text)), std::atoi(text)) << text;
    }
    for (const auto& [text, expected] :
         std::vector<std::pair<std::string, int>>{{"2147483648", INT32_MAX},
                                                  {"-2147483649", INT32_MIN},
                                                  {"99999999999999999999999999", INT32_MAX},
                                                  {"-99999999999999999999999999", INT32_MIN}}) {
        EXPECT_EQ(ParseInt(text.data(), text.data() + text.size()), expected) << text;
    }
    // The scan stops at the end it is given.
    const char* bounded = "1234";
    EXPECT_EQ(ParseInt(bounded, bounded + 2), 12);
}

// ParseCornerPart, checked against ReadCornerPart, its short way for plain digits.
int CornerPart(const std::string& text, std::string* rest = nullptr) {
    const char* p = text.data();
    const int value = ParseCornerPart(p, text.data() + text.size());
    const char* q = text.data();
    EXPECT_EQ(ReadCornerPart(q, text.data() + text.size()), value) << text;
    EXPECT_EQ(q, p) << text;
    if (rest != nullptr) {
        *rest = std::string(p, text.data() + text.size());
    }
    return value;
}

TEST(ParseCornerPart, MatchesAtoiWithinTheIntRange) {
    for (const char* text :
         {"",    "0",         "42",         "-42",        "+42",         "\t\v7", "7x",  "x7",
          "-",   "+",         "--1",        "2147483647", "-2147483648", "00012", "\r5", "-\t5",
          "1.9", "123456789", "1234567890", "007/",       "12 3",        "5\t"}) {
        EXPECT_EQ(CornerPart(text), std::atoi(text)) << text;
    }
}

TEST(ParseCornerPart, StopsAtTheSlashOrBlankThatEndsThePart) {
    std::string rest;
    EXPECT_EQ(CornerPart("12/34", &rest), 12);
    EXPECT_EQ(rest, "/34");
    EXPECT_EQ(CornerPart("12abc/34", &rest), 12);
    EXPECT_EQ(rest, "/34");
    EXPECT_EQ(CornerPart("12x 34", &rest), 12);
    EXPECT_EQ(rest, " 34");
    // A blank is never skipped as leading white space: it ends the corner.
    EXPECT_EQ(CornerPart(" 34", &rest), 0);
    EXPECT_EQ(rest, " 34");
    EXPECT_EQ(CornerPart("\t 34", &rest), 0);
    EXPECT_EQ(rest, " 34");
}

std::vector<std::string> ByGetline(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> ByLineReader(const std::string& text) {
    std::istringstream in(text);
    LineReader reader(in);
    std::vector<std::string> lines;
    std::string_view line;
    while (reader.Next(line)) {
        lines.emplace_back(line);
    }
    EXPECT_TRUE(ReadToEnd(in));
    return lines;
}

TEST(LineReader, SplitsLikeGetline) {
    for (const std::string& text :
         {std::string(""), std::string("\n"), std::string("a"), std::string("a\n"),
          std::string("a\n\nb"), std::string("a\r\nb\r\n\r\n"), std::string("\0x\n\0", 5)}) {
        EXPECT_EQ(ByLineReader(text), ByGetline(text));
    }
}

TEST(LineReader, LinesAcrossAndLongerThanItsBlocks) {
    std::mt19937 random(99);
    std::string text;
    // A 3 MB line, then many short lines whose ends fall everywhere in the blocks.
    text.append(3 << 20, 'x');
    text += '\n';
    while (text.size() < (6u << 20)) {
        text.append(random() % 300, static_cast<char>('a' + random() % 26));
        text += '\n';
    }
    text += "last";
    EXPECT_EQ(ByLineReader(text), ByGetline(text));
}

TEST(LineReader, ReadErrorIsNotTheEnd) {
    std::istringstream in("a\nb\n");
    in.setstate(std::ios::badbit);
    LineReader reader(in);
    std::string_view line;
    EXPECT_FALSE(reader.Next(line));
    EXPECT_FALSE(ReadToEnd(in));
}

} // namespace
