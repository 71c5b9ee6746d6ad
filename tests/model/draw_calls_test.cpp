// The GL calls that drawing makes, captured from a real context: the driver draws a scenario
// under "apitrace trace" and the test reads "apitrace dump". Sections of a capture are the
// calls between the driver's glFinish() calls.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

struct Call {
    std::string name;
    std::string args;
};
using Section = std::vector<Call>;

struct Capture {
    int status = -1;
    std::string output;            // what the driver printed, then apitrace's messages
    std::vector<Section> sections; // [0] is the set-up before the first glFinish
};

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

Capture Trace(const std::string& arguments) {
    char folder[] = "/tmp/draw_calls_XXXXXX";
    EXPECT_NE(mkdtemp(folder), nullptr);
    std::string dir = folder;
    Capture capture;
    std::string trace = "apitrace trace --output=" + dir + "/frame.trace " + DRAW_TRACE_DRIVER +
                        " " + arguments + " >" + dir + "/out.txt 2>" + dir + "/err.txt";
    capture.status = std::system(trace.c_str());
    std::string dump = "apitrace dump --color=never " + dir + "/frame.trace >" + dir +
                       "/dump.txt 2>>" + dir + "/err.txt";
    EXPECT_EQ(std::system(dump.c_str()), 0) << ReadFile(dir + "/err.txt");
    capture.output = ReadFile(dir + "/out.txt") + ReadFile(dir + "/err.txt");

    static const std::regex line(R"(^\d+ (gl[A-Z]\w*)\((.*)\)( = .*)?$)");
    std::istringstream dumped(ReadFile(dir + "/dump.txt"));
    capture.sections.emplace_back();
    for (std::string text; std::getline(dumped, text);) {
        std::smatch match;
        if (!std::regex_match(text, match, line) || match[1].str().rfind("glX", 0) == 0)
            continue;
        if (match[1] == "glFinish")
            capture.sections.emplace_back();
        else
            capture.sections.back().push_back({match[1], match[2]});
    }
    std::system(("rm -rf " + dir).c_str());
    return capture;
}

int Count(const Section& calls, const std::string& name) {
    int n = 0;
    for (const Call& call : calls)
        n += call.name == name;
    return n;
}

std::vector<std::string> Args(const Section& calls, const std::string& name) {
    std::vector<std::string> found;
    for (const Call& call : calls) {
        if (call.name == name)
            found.push_back(call.args);
    }
    return found;
}

// One letter per corner call inside each glBegin/glEnd pair: N normal, T texture coordinate,
// V vertex; anything else inside a pair shows as '?'.
std::vector<std::string> CornerPatterns(const Section& calls) {
    std::vector<std::string> faces;
    bool inside = false;
    for (const Call& call : calls) {
        if (call.name == "glBegin") {
            EXPECT_FALSE(inside) << "glBegin inside glBegin/glEnd";
            inside = true;
            faces.emplace_back();
        } else if (call.name == "glEnd") {
            EXPECT_TRUE(inside) << "glEnd without glBegin";
            inside = false;
        } else if (inside) {
            char letter = call.name == "glNormal3f"     ? 'N'
                          : call.name == "glTexCoord2f" ? 'T'
                          : call.name == "glVertex3f"   ? 'V'
                                                        : '?';
            faces.back() += letter;
        }
    }
    EXPECT_FALSE(inside) << "glBegin without glEnd";
    return faces;
}

// Whether GL_TEXTURE_2D is enabled at each glBegin, following the enables and disables.
std::vector<bool> TexturingAtBegin(const Section& calls) {
    std::vector<bool> states;
    bool enabled = false;
    for (const Call& call : calls) {
        if (call.args == "cap = GL_TEXTURE_2D")
            enabled = call.name == "glEnable" ? true : call.name == "glDisable" ? false : enabled;
        if (call.name == "glBegin")
            states.push_back(enabled);
    }
    return states;
}

// The GL_TEXTURE_2D switches in order: '+' for glEnable, '-' for glDisable.
std::string TextureSwitches(const Section& calls) {
    std::string switches;
    for (const Call& call : calls) {
        if (call.args == "cap = GL_TEXTURE_2D" &&
            (call.name == "glEnable" || call.name == "glDisable"))
            switches += call.name == "glEnable" ? '+' : '-';
    }
    return switches;
}

std::vector<std::string> Diffuse(const Section& calls) {
    std::vector<std::string> colours;
    static const std::regex diffuse(R"(pname = GL_DIFFUSE, params = \{(.*)\})");
    for (const std::string& args : Args(calls, "glMaterialfv")) {
        std::smatch match;
        if (std::regex_search(args, match, diffuse))
            colours.push_back(match[1]);
    }
    return colours;
}

// The driver's two textures, A and B, as it printed them.
std::pair<std::string, std::string> TextureNames(const Capture& capture) {
    unsigned a = 0, b = 0;
    EXPECT_EQ(std::sscanf(capture.output.c_str(), "textures %u %u", &a, &b), 2) << capture.output;
    return {std::to_string(a), std::to_string(b)};
}

std::vector<std::string> Bound(const Section& calls) {
    std::vector<std::string> ids;
    for (const std::string& args : Args(calls, "glBindTexture"))
        ids.push_back(args.substr(args.rfind(" = ") + 3));
    return ids;
}

const std::string white = "1, 1, 1, 1";
// The corner calls of the driver's frame in every mode: texture coordinates for every face
// whose material has a texture.
const std::vector<std::string> frameCorners = {"NTVNTVNTVNTV", "NTVNTVNTV", "NTVNTVNTV",
                                               "NVNVNV",       "NVNVNV",    "NTVNTVNTV"};

class DrawCallsTest : public testing::Test {
protected:
    // Captures a driver run that must succeed and finish the given number of sections.
    void TraceOk(const std::string& arguments, std::size_t sections) {
        capture = Trace(arguments);
        ASSERT_EQ(capture.status, 0) << capture.output;
        ASSERT_EQ(capture.sections.size(), sections);
    }
    Capture capture;
};

// Faces of the driver's frame: A, A, B, untextured material, no material, B.
TEST_F(DrawCallsTest, TexturedModeBindsOncePerRunAndLightsTexturedFacesWhite) {
    ASSERT_NO_FATAL_FAILURE(TraceOk("frame t", 3));
    const Section& frame = capture.sections[1];

    ASSERT_GE(frame.size(), 4u);
    EXPECT_EQ(frame[0].name, "glPushAttrib");
    EXPECT_EQ(frame[0].args, "mask = GL_LIGHTING_BIT");
    EXPECT_EQ(frame[1].name + " " + frame[1].args, "glDisable cap = GL_TEXTURE_2D");
    EXPECT_EQ(frame[2].name + " " + frame[2].args, "glDisable cap = GL_COLOR_MATERIAL");
    EXPECT_EQ(frame.back().name, "glPopAttrib");

    EXPECT_EQ(Args(frame, "glBegin"), std::vector<std::string>(6, "mode = GL_POLYGON"));
    // One pair per face holding only corner calls: materials and binds come outside.
    EXPECT_EQ(CornerPatterns(frame), frameCorners);
    // State changes only where a face differs from the one before it: B stays bound across the
    // untextured faces, texturing goes on twice and off once after the initial switch-off, and
    // a material is set when it changes (a face without one keeps the previous one).
    auto [a, b] = TextureNames(capture);
    EXPECT_EQ(Bound(frame), (std::vector<std::string>{a, b}));
    EXPECT_EQ(TexturingAtBegin(frame), (std::vector<bool>{true, true, true, false, false, true}));
    EXPECT_EQ(TextureSwitches(frame), "-+-+");
    EXPECT_EQ(Diffuse(frame), (std::vector<std::string>{white, white, "0.1, 0.1, 0.9, 1", white}));
    EXPECT_EQ(Count(frame, "glMaterialfv"), 16);
    EXPECT_EQ(Count(frame, "glMaterialf"), 4);
}

TEST_F(DrawCallsTest, WireAndSolidModesBindNothingAndUseTheDiffuseColour) {
    for (const char* mode : {"w", "s"}) {
        SCOPED_TRACE(mode);
        ASSERT_NO_FATAL_FAILURE(TraceOk(std::string("frame ") + mode, 3));
        const Section& frame = capture.sections[1];
        std::string primitive = mode[0] == 'w' ? "mode = GL_LINE_LOOP" : "mode = GL_POLYGON";
        EXPECT_EQ(Args(frame, "glBegin"), std::vector<std::string>(6, primitive));
        EXPECT_EQ(Count(frame, "glBindTexture"), 0);
        EXPECT_EQ(TexturingAtBegin(frame), std::vector<bool>(6, false));
        EXPECT_EQ(CornerPatterns(frame), frameCorners);
        EXPECT_EQ(Diffuse(frame),
                  (std::vector<std::string>{"0.9, 0.1, 0.1, 1", "0.1, 0.9, 0.1, 1",
                                            "0.1, 0.1, 0.9, 1", "0.1, 0.9, 0.1, 1"}));
        // Off once before the faces, on again once after them.
        EXPECT_EQ(TextureSwitches(frame), "-+");
    }
}

// Faces (see the driver): a bad normal index, no normal indices, texture indices of -1 and
// past the end, texture indices past the end after a good one, bad vertex indices, a material past
// the table.
TEST_F(DrawCallsTest, IndicesOutsideTheListsAreSkippedNotRead) {
    ASSERT_NO_FATAL_FAILURE(TraceOk("indices", 4));

    const Section& smooth = capture.sections[1];
    EXPECT_EQ(CornerPatterns(smooth),
              (std::vector<std::string>{"NTVTVTV", "TVTVTV", "NVNVV", "NTVNVV", "NTVTV", "NVNVV"}));
    EXPECT_EQ(Count(smooth, "glBindTexture"), 1);
    EXPECT_EQ(Diffuse(smooth).size(), 1u);
    for (const std::string& args : Args(smooth, "glVertex3f"))
        EXPECT_EQ(args.find("nan"), std::string::npos) << args;

    // Flat drawing with two normals for six faces: only the first two faces get one.
    const Section& flat = capture.sections[2];
    EXPECT_EQ(Count(flat, "glNormal3f"), 2);
    for (const std::string& pattern : CornerPatterns(flat))
        EXPECT_EQ(pattern.find('N'), std::string::npos) << pattern;
    EXPECT_EQ(Count(flat, "glBegin"), 6);
}

TEST_F(DrawCallsTest, DisplayListIsCompiledOnceThenCalledThenDeleted) {
    ASSERT_NO_FATAL_FAILURE(TraceOk("lists", 6));
    EXPECT_NE(capture.output.find("after compile 5 1\n"), std::string::npos) << capture.output;
    EXPECT_NE(capture.output.find("after delete -2 0\n"), std::string::npos) << capture.output;

    const Section& compile = capture.sections[1];
    ASSERT_FALSE(compile.empty());
    EXPECT_EQ(compile.front().name + " " + compile.front().args,
              "glNewList list = 5, mode = GL_COMPILE_AND_EXECUTE");
    EXPECT_EQ(Count(compile, "glBegin"), 2);
    EXPECT_EQ(compile.back().name, "glEndList"); // (dump leaves out glIsList queries)

    const Section& call = capture.sections[2];
    ASSERT_EQ(call.size(), 1u);
    EXPECT_EQ(call[0].name + " " + call[0].args, "glCallList list = 5");

    const Section& removal = capture.sections[3];
    ASSERT_EQ(Count(removal, "glDeleteLists"), 1);
    EXPECT_EQ(Args(removal, "glDeleteLists")[0], "list = 5, range = 1");

    const Section& immediate = capture.sections[4];
    EXPECT_EQ(Count(immediate, "glCallList"), 0);
    EXPECT_EQ(Count(immediate, "glNewList"), 0);
    EXPECT_EQ(Count(immediate, "glBegin"), 2);
}

TEST_F(DrawCallsTest, EmptyModelsDrawNothingAndGetNoLists) {
    ASSERT_NO_FATAL_FAILURE(TraceOk("empty", 4));
    EXPECT_TRUE(capture.sections[1].empty())
        << capture.sections[1].size() << " calls, first " << capture.sections[1][0].name;

    std::vector<std::string> noFaces;
    for (const Call& call : capture.sections[2])
        noFaces.push_back(call.name + " " + call.args);
    EXPECT_EQ(noFaces, (std::vector<std::string>{
                           "glPushAttrib mask = GL_LIGHTING_BIT", "glDisable cap = GL_TEXTURE_2D",
                           "glDisable cap = GL_COLOR_MATERIAL", "glPopAttrib "}));
}

TEST_F(DrawCallsTest, ShownNormalsAreLinesFromEachCornerOutsideTexturing) {
    ASSERT_NO_FATAL_FAILURE(TraceOk("normals", 4));
    const Section& smooth = capture.sections[1];
    EXPECT_EQ(Args(smooth, "glBegin"),
              (std::vector<std::string>{"mode = GL_POLYGON", "mode = GL_LINES", "mode = GL_POLYGON",
                                        "mode = GL_LINES"}));
    EXPECT_EQ(TexturingAtBegin(smooth), (std::vector<bool>{true, false, false, false}));
    std::vector<std::string> vertices = Args(smooth, "glVertex3f");
    ASSERT_EQ(vertices.size(), 3u + 6u + 3u + 6u);
    EXPECT_EQ(vertices[3], "x = -1, y = -1, z = 0");
    EXPECT_EQ(vertices[4], "x = -1, y = -1, z = 5");

    EXPECT_EQ(Args(capture.sections[2], "glBegin"),
              std::vector<std::string>(2, "mode = GL_POLYGON"));
}

TEST_F(DrawCallsTest, TextureOverrideTexturesEveryFaceAndKeepsColourMaterial) {
    ASSERT_NO_FATAL_FAILURE(TraceOk("override", 3));
    const Section& frame = capture.sections[1];
    auto [a, b] = TextureNames(capture);
    EXPECT_EQ(Bound(frame), std::vector<std::string>{b});
    EXPECT_EQ(CornerPatterns(frame), (std::vector<std::string>{"NTVNTVNTV", "NTVNTVNTV"}));
    EXPECT_EQ(TexturingAtBegin(frame), (std::vector<bool>{true, true}));
    for (const std::string& args : Args(frame, "glDisable"))
        EXPECT_NE(args, "cap = GL_COLOR_MATERIAL");
}

} // namespace
