// The PLY triangle-strip reader. The header is parsed into elements and properties; the data
// section is then walked element by element, in the header's order, through one cursor that
// knows the encoding. Nothing is allocated for a count before the bytes left in the file are
// known to be able to hold it.
#include "model/ply_strips.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
#include <vector>

namespace {

enum class Scalar { Int8, UInt8, Int16, UInt16, Int32, UInt32, Float32, Float64 };

bool ParseScalar(std::string_view name, Scalar& type) {
    static const struct {
        const char* name;
        Scalar type;
    } names[] = {
        {"char", Scalar::Int8},      {"int8", Scalar::Int8},       {"uchar", Scalar::UInt8},
        {"uint8", Scalar::UInt8},    {"short", Scalar::Int16},     {"int16", Scalar::Int16},
        {"ushort", Scalar::UInt16},  {"uint16", Scalar::UInt16},   {"int", Scalar::Int32},
        {"int32", Scalar::Int32},    {"uint", Scalar::UInt32},     {"uint32", Scalar::UInt32},
        {"float", Scalar::Float32},  {"float32", Scalar::Float32}, {"double", Scalar::Float64},
        {"float64", Scalar::Float64}};
    for (const auto& entry : names) {
        if (name == entry.name) {
            type = entry.type;
            return true;
        }
    }
    return false;
}

std::size_t SizeOf(Scalar type) {
    switch (type) {
    case Scalar::Int8:
    case Scalar::UInt8:
        return 1;
    case Scalar::Int16:
    case Scalar::UInt16:
        return 2;
    case Scalar::Int32:
    case Scalar::UInt32:
    case Scalar::Float32:
        return 4;
    case Scalar::Float64:
        return 8;
    }
    return 1;
}

bool IsIntegral(Scalar type) {
    return type != Scalar::Float32 && type != Scalar::Float64;
}

// The largest value of an unsigned colour channel type, by which it is divided into 0..1.
double ChannelScale(Scalar type) {
    switch (type) {
    case Scalar::UInt8:
        return 255.0;
    case Scalar::UInt16:
        return 65535.0;
    case Scalar::Int8:
        return 127.0;
    case Scalar::Int16:
        return 32767.0;
    case Scalar::Int32:
        return 2147483647.0;
    case Scalar::UInt32:
        return 4294967295.0;
    default:
        return 1.0;
    }
}

struct Property {
    std::string name;
    Scalar type = Scalar::Float32; // the items' type for a list
    bool isList = false;
    Scalar countType = Scalar::UInt8;
};

struct Element {
    std::string name;
    std::uint64_t count = 0;
    std::vector<Property> properties;
};

enum class Encoding { Ascii, LittleEndian, BigEndian };

struct Header {
    Encoding encoding = Encoding::Ascii;
    std::vector<Element> elements;
    std::size_t dataStart = 0;
};

std::vector<std::string_view> Words(std::string_view line) {
    std::vector<std::string_view> words;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) {
            ++i;
        }
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') {
            ++i;
        }
        if (i > start) {
            words.push_back(line.substr(start, i - start));
        }
    }
    return words;
}

// Calls visit(line) for each header line (without its CR LF) up to and including
// "end_header", stopping early when visit returns false. Returns the offset just past the last
// line visited, or npos when the bytes end before "end_header".
template <class Visit> std::size_t ForEachHeaderLine(std::string_view bytes, Visit visit) {
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t end = bytes.find('\n', start);
        if (end == std::string_view::npos) {
            return std::string_view::npos;
        }
        std::string_view line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (!visit(line)) {
            return end + 1;
        }
        start = end + 1;
    }
    return std::string_view::npos;
}

bool ParseCount(std::string_view text, std::uint64_t& count) {
    const char* last = text.data() + text.size();
    const auto result = std::from_chars(text.data(), last, count);
    return result.ec == std::errc() && result.ptr == last;
}

bool ParseHeader(std::string_view bytes, Header& header, std::string& error) {
    if (bytes.substr(0, 3) != "ply" || (bytes.size() > 3 && bytes[3] != '\n' && bytes[3] != '\r')) {
        error = "not a PLY file (it does not start with a \"ply\" line)";
        return false;
    }
    bool sawFormat = false;
    bool ended = false;
    bool first = true;
    const std::size_t dataStart = ForEachHeaderLine(bytes, [&](std::string_view line) {
        if (first) {
            first = false;
            return true;
        }
        const std::vector<std::string_view> words = Words(line);
        if (words.empty() || words[0] == "comment" || words[0] == "obj_info") {
            return true;
        }
        if (words[0] == "end_header") {
            ended = true;
            return false;
        }
        if (words[0] == "format" && words.size() >= 2) {
            sawFormat = true;
            if (words[1] == "ascii") {
                header.encoding = Encoding::Ascii;
            } else if (words[1] == "binary_little_endian") {
                header.encoding = Encoding::LittleEndian;
            } else if (words[1] == "binary_big_endian") {
                header.encoding = Encoding::BigEndian;
            } else {
                error = "the PLY format \"" + std::string(words[1]) + "\" is unknown";
                return false;
            }
            return true;
        }
        if (words[0] == "element" && words.size() == 3) {
            Element element;
            element.name = std::string(words[1]);
            if (!ParseCount(words[2], element.count)) {
                error = "the PLY element \"" + element.name + "\" has no valid count";
                return false;
            }
            header.elements.push_back(std::move(element));
            return true;
        }
        if (words[0] == "property" && !header.elements.empty()) {
            Property property;
            bool valid = false;
            if (words.size() == 5 && words[1] == "list") {
                property.isList = true;
                property.name = std::string(words[4]);
                valid = ParseScalar(words[2], property.countType) &&
                        ParseScalar(words[3], property.type) && IsIntegral(property.countType);
            } else if (words.size() == 3) {
                property.name = std::string(words[2]);
                valid = ParseScalar(words[1], property.type);
            }
            if (!valid) {
                error = "the PLY property line \"" + std::string(line) + "\" is not understood";
                return false;
            }
            header.elements.back().properties.push_back(std::move(property));
            return true;
        }
        error = "the PLY header line \"" + std::string(line) + "\" is not understood";
        return false;
    });
    if (!error.empty()) {
        return false;
    }
    if (!ended || dataStart == std::string_view::npos) {
        error = "the PLY header has no end_header line";
        return false;
    }
    if (!sawFormat) {
        error = "the PLY header has no format line";
        return false;
    }
    header.dataStart = dataStart;
    return true;
}

// One cursor over the data section, in the file's encoding. Reads fail (false) at the end of
// the data and, in ASCII, on a word that is not a number.
class DataCursor {
public:
    DataCursor(std::string_view bytes, std::size_t start, Encoding encoding)
        : m_data(reinterpret_cast<const unsigned char*>(bytes.data())), m_size(bytes.size()),
          m_position(start), m_encoding(encoding) {}

    std::size_t Remaining() const { return m_size - m_position; }

    // The fewest bytes one value of the type can take in the file: its size, or in ASCII a
    // digit and a separator.
    std::size_t MinimumBytes(Scalar type) const {
        return m_encoding == Encoding::Ascii ? 2 : SizeOf(type);
    }

    bool ReadNumber(Scalar type, double& value) {
        if (m_encoding == Encoding::Ascii) {
            std::string_view word;
            if (!NextWord(word)) {
                return false;
            }
            const auto result = std::from_chars(word.data(), word.data() + word.size(), value);
            return result.ec == std::errc() && result.ptr == word.data() + word.size();
        }
        const std::size_t size = SizeOf(type);
        if (Remaining() < size) {
            return false;
        }
        unsigned char raw[8];
        std::memcpy(raw, m_data + m_position, size);
        m_position += size;
        if (m_encoding == Encoding::BigEndian) {
            for (std::size_t i = 0; i < size / 2; ++i) {
                std::swap(raw[i], raw[size - 1 - i]);
            }
        }
        value = Decode(raw, type);
        return true;
    }

    // An integral value (list counts, indices); an ASCII word with a fraction is refused.
    bool ReadInteger(Scalar type, std::int64_t& value) {
        if (m_encoding == Encoding::Ascii) {
            std::string_view word;
            if (!NextWord(word)) {
                return false;
            }
            const auto result = std::from_chars(word.data(), word.data() + word.size(), value);
            return result.ec == std::errc() && result.ptr == word.data() + word.size();
        }
        double number = 0.0;
        if (!ReadNumber(type, number)) {
            return false;
        }
        value = static_cast<std::int64_t>(number); // integral types are exact in a double
        return true;
    }

private:
    // One value of a type, its bytes already in the host's order.
    template <typename T> static double Load(const unsigned char* raw) {
        T value;
        std::memcpy(&value, raw, sizeof value);
        return static_cast<double>(value);
    }

    static double Decode(const unsigned char* raw, Scalar type) {
        switch (type) {
        case Scalar::Int8:
            return static_cast<std::int8_t>(raw[0]);
        case Scalar::UInt8:
            return raw[0];
        case Scalar::Int16:
            return Load<std::int16_t>(raw);
        case Scalar::UInt16:
            return Load<std::uint16_t>(raw);
        case Scalar::Int32:
            return Load<std::int32_t>(raw);
        case Scalar::UInt32:
            return Load<std::uint32_t>(raw);
        case Scalar::Float32:
            return Load<float>(raw);
        case Scalar::Float64:
            return Load<double>(raw);
        }
        return 0.0;
    }

    bool NextWord(std::string_view& word) {
        while (m_position < m_size && IsBlank(m_data[m_position])) {
            ++m_position;
        }
        const std::size_t start = m_position;
        while (m_position < m_size && !IsBlank(m_data[m_position])) {
            ++m_position;
        }
        word = std::string_view(reinterpret_cast<const char*>(m_data) + start, m_position - start);
        return !word.empty();
    }

    static bool IsBlank(unsigned char c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
    }

    const unsigned char* m_data;
    std::size_t m_size;
    std::size_t m_position;
    Encoding m_encoding;
};

// What a vertex property feeds.
enum Slot { X, Y, Z, NX, NY, NZ, Red, Green, Blue, U, V, slotCount, Unused = slotCount };

Slot SlotOf(const std::string& name) {
    static const struct {
        const char* name;
        Slot slot;
    } names[] = {{"x", X},
                 {"y", Y},
                 {"z", Z},
                 {"nx", NX},
                 {"ny", NY},
                 {"nz", NZ},
                 {"red", Red},
                 {"green", Green},
                 {"blue", Blue},
                 {"diffuse_red", Red},
                 {"diffuse_green", Green},
                 {"diffuse_blue", Blue},
                 {"u", U},
                 {"v", V},
                 {"s", U},
                 {"t", V},
                 {"texture_u", U},
                 {"texture_v", V},
                 {"texture_s", U},
                 {"texture_t", V}};
    for (const auto& entry : names) {
        if (name == entry.name) {
            return entry.slot;
        }
    }
    return Unused;
}

std::string ElementEnds(const Element& element) {
    return "the PLY file ends, or holds something that is not a number, inside its " +
           element.name + " element";
}

// Checks that count entries of an element, at their smallest, fit in the bytes left.
bool CountFits(const Element& element, const DataCursor& cursor, std::string& error) {
    std::size_t smallest = 0;
    for (const Property& property : element.properties) {
        smallest += cursor.MinimumBytes(property.isList ? property.countType : property.type);
    }
    if (smallest > 0 && element.count > cursor.Remaining() / smallest) {
        error = "the PLY element " + element.name + " declares " + std::to_string(element.count) +
                " entries, more than the file's remaining " + std::to_string(cursor.Remaining()) +
                " bytes can hold";
        return false;
    }
    return true;
}

// Reads a list's count and checks that its items, at their smallest, fit in the bytes left.
bool ReadListCount(DataCursor& cursor, const Element& element, const Property& property,
                   std::uint64_t& count, std::string& error) {
    std::int64_t value = 0;
    if (!cursor.ReadInteger(property.countType, value)) {
        error = ElementEnds(element);
        return false;
    }
    if (value < 0 || static_cast<std::uint64_t>(value) >
                         cursor.Remaining() / cursor.MinimumBytes(property.type)) {
        error = "a " + property.name + " list of the PLY element " + element.name + " declares " +
                std::to_string(value) + " items, more than the file holds";
        return false;
    }
    count = static_cast<std::uint64_t>(value);
    return true;
}

bool SkipProperty(DataCursor& cursor, const Element& element, const Property& property,
                  std::string& error) {
    std::uint64_t count = 1;
    if (property.isList && !ReadListCount(cursor, element, property, count, error)) {
        return false;
    }
    double ignored = 0.0;
    for (std::uint64_t i = 0; i < count; ++i) {
        if (!cursor.ReadNumber(property.type, ignored)) {
            error = ElementEnds(element);
            return false;
        }
    }
    return true;
}

bool SkipElement(DataCursor& cursor, const Element& element, std::string& error) {
    // An element without properties takes no bytes, however many entries it declares.
    if (element.properties.empty()) {
        return true;
    }
    for (std::uint64_t i = 0; i < element.count; ++i) {
        for (const Property& property : element.properties) {
            if (!SkipProperty(cursor, element, property, error)) {
                return false;
            }
        }
    }
    return true;
}

struct VertexLayout {
    std::vector<Slot> slots;  // per property, what it feeds
    Scalar colorType[3] = {}; // red, green, blue
    bool hasNormals = false;
    bool hasColors = false;
    bool hasTexCoords = false;

    std::size_t Stride() const { return 1 + (hasNormals ? 1 : 0) + (hasTexCoords ? 1 : 0); }
};

// The vertex element's properties, known from the header alone: the strips' triangles carry
// the layout's flags even when the strips come first in the file.
bool LayoutOf(const Element& element, VertexLayout& layout, std::string& error) {
    bool present[slotCount] = {};
    for (const Property& property : element.properties) {
        const Slot slot = property.isList ? Unused : SlotOf(property.name);
        layout.slots.push_back(slot);
        if (slot != Unused) {
            present[slot] = true;
            if (slot >= Red && slot <= Blue) {
                layout.colorType[slot - Red] = property.type;
            }
        }
    }
    if (!present[X] || !present[Y] || !present[Z]) {
        error = "the PLY vertex element has no x, y and z properties";
        return false;
    }
    layout.hasNormals = present[NX] && present[NY] && present[NZ];
    layout.hasColors = present[Red] && present[Green] && present[Blue];
    layout.hasTexCoords = present[U] && present[V];
    return true;
}

bool ReadVertices(DataCursor& cursor, const Element& element, ObjMesh& mesh,
                  const VertexLayout& layout, std::string& error) {
    if (!CountFits(element, cursor, error)) {
        return false;
    }
    const std::size_t count = static_cast<std::size_t>(element.count);
    mesh.vertices.reserve(count);
    if (layout.hasNormals) {
        mesh.normals.reserve(count);
    }
    if (layout.hasColors) {
        mesh.colors.reserve(count);
    }
    if (layout.hasTexCoords) {
        mesh.texCoords.reserve(count);
    }
    const double colorScale[3] = {ChannelScale(layout.colorType[0]),
                                  ChannelScale(layout.colorType[1]),
                                  ChannelScale(layout.colorType[2])};
    double values[slotCount + 1] = {};
    for (std::size_t i = 0; i < count; ++i) {
        for (std::size_t p = 0; p < element.properties.size(); ++p) {
            const Property& property = element.properties[p];
            if (property.isList) {
                if (!SkipProperty(cursor, element, property, error)) {
                    return false;
                }
            } else if (!cursor.ReadNumber(property.type, values[layout.slots[p]])) {
                error = ElementEnds(element);
                return false;
            }
        }
        mesh.vertices.push_back({static_cast<float>(values[X]), static_cast<float>(values[Y]),
                                 static_cast<float>(values[Z])});
        if (layout.hasNormals) {
            mesh.normals.push_back({static_cast<float>(values[NX]), static_cast<float>(values[NY]),
                                    static_cast<float>(values[NZ])});
        }
        if (layout.hasColors) {
            mesh.colors.push_back({static_cast<float>(values[Red] / colorScale[0]),
                                   static_cast<float>(values[Green] / colorScale[1]),
                                   static_cast<float>(values[Blue] / colorScale[2])});
        }
        if (layout.hasTexCoords) {
            mesh.texCoords.push_back(
                {static_cast<float>(values[U]), static_cast<float>(values[V]), 0.0f});
        }
    }
    return true;
}

// Cuts the strips into triangles. Triangle k of a strip is (s[k], s[k+1], s[k+2]) with the first
// two swapped when k is odd, so that every triangle keeps the strip's winding.
class StripCutter {
public:
    StripCutter(ObjMesh& mesh, std::uint64_t vertexCount, const VertexLayout& layout)
        : m_mesh(mesh), m_vertexCount(vertexCount), m_layout(layout) {}

    void Restart() { m_length = 0; }

    bool Add(std::int64_t index, Scalar type, std::string& error) {
        // Writers store the restart as -1 whatever the index type, so in an unsigned type it
        // reads as the type's largest value (which, were it a vertex, could be one).
        const bool unsignedRestart = (type == Scalar::UInt32 && index == 0xFFFFFFFF) ||
                                     (type == Scalar::UInt16 && index == 0xFFFF) ||
                                     (type == Scalar::UInt8 && index == 0xFF);
        if (index == -1 ||
            (unsignedRestart && static_cast<std::uint64_t>(index) >= m_vertexCount)) {
            Restart();
            return true;
        }
        if (index < 0 || static_cast<std::uint64_t>(index) >= m_vertexCount) {
            error = "the PLY tristrips name vertex " + std::to_string(index) +
                    ", but the file has " + std::to_string(m_vertexCount) + " vertices";
            return false;
        }
        const int c = static_cast<int>(index);
        if (m_length >= 2 && m_a != m_b && m_b != c && m_a != c) {
            const bool odd = (m_length - 2) % 2 == 1;
            if (!AddTriangle(odd ? m_b : m_a, odd ? m_a : m_b, c)) {
                error = "the PLY tristrips hold more triangles than a mesh can address";
                return false;
            }
        }
        m_a = m_b;
        m_b = c;
        ++m_length;
        return true;
    }

private:
    bool AddTriangle(int a, int b, int c) {
        int numbers[9];
        std::size_t n = 0;
        for (const int corner : {a, b, c}) {
            numbers[n++] = corner;
            if (m_layout.hasTexCoords) {
                numbers[n++] = corner;
            }
            if (m_layout.hasNormals) {
                numbers[n++] = corner;
            }
        }
        return m_mesh.AddInterleavedFace(numbers, 3, m_layout.hasTexCoords, m_layout.hasNormals,
                                         -1);
    }

    ObjMesh& m_mesh;
    std::uint64_t m_vertexCount;
    const VertexLayout& m_layout;
    std::uint64_t m_length = 0; // indices in the current strip
    int m_a = -1;
    int m_b = -1;
};

// Room for more items, growing at least twofold so that many short strips stay linear.
template <class T> void ReserveMore(std::vector<T>& items, std::uint64_t more) {
    const std::uint64_t needed = items.size() + more;
    if (needed > items.capacity()) {
        items.reserve(
            static_cast<std::size_t>(std::max<std::uint64_t>(needed, 2 * items.capacity())));
    }
}

bool ReadStrips(DataCursor& cursor, const Element& element, std::uint64_t vertexCount,
                ObjMesh& mesh, const VertexLayout& layout, std::string& error) {
    if (!CountFits(element, cursor, error)) {
        return false;
    }
    StripCutter cutter(mesh, vertexCount, layout);
    if (element.properties.empty()) {
        return true; // no bytes and no strips, however many entries
    }
    for (std::uint64_t i = 0; i < element.count; ++i) {
        for (const Property& property : element.properties) {
            if (!property.isList || property.name != "vertex_indices") {
                if (!SkipProperty(cursor, element, property, error)) {
                    return false;
                }
                continue;
            }
            std::uint64_t count = 0;
            if (!ReadListCount(cursor, element, property, count, error)) {
                return false;
            }
            cutter.Restart(); // each entry is a strip (or strips) of its own
            // A strip of n indices makes at most n - 2 triangles; the count already fits in
            // the file.
            ReserveMore(mesh.faces, count);
            ReserveMore(mesh.indices, count * 3 * layout.Stride());
            for (std::uint64_t k = 0; k < count; ++k) {
                std::int64_t index = 0;
                if (!cursor.ReadInteger(property.type, index)) {
                    error = ElementEnds(element);
                    return false;
                }
                if (!cutter.Add(index, property.type, error)) {
                    return false;
                }
            }
        }
    }
    return true;
}

const Element* Find(const Header& header, const char* name) {
    for (const Element& element : header.elements) {
        if (element.name == name) {
            return &element;
        }
    }
    return nullptr;
}

} // namespace

bool PlyHasTriStrips(std::string_view head) {
    if (head.substr(0, 3) != "ply") {
        return false;
    }
    bool found = false;
    ForEachHeaderLine(head, [&](std::string_view line) {
        const std::vector<std::string_view> words = Words(line);
        if (words.size() >= 2 && words[0] == "element" && words[1] == "tristrips") {
            found = true;
        }
        return !found && !(words.size() == 1 && words[0] == "end_header");
    });
    return found;
}

bool CheckPlyHeader(std::string_view head, std::uint64_t fileSize, std::string& error) {
    Header header;
    if (!ParseHeader(head, header, error)) {
        if (head.size() >= 65536 && error.find("end_header") != std::string::npos) {
            error = "the PLY header has no end_header line in its first 64 KB";
        }
        return false;
    }
    // The fewest bytes the declared elements can take: in ASCII a digit and a separator per
    // value (the last value may end the file without one), in binary the values' sizes.
    const bool ascii = header.encoding == Encoding::Ascii;
    const std::uint64_t available = fileSize > header.dataStart ? fileSize - header.dataStart : 0;
    std::uint64_t needed = 0;
    for (const Element& element : header.elements) {
        std::uint64_t entry = 0;
        for (const Property& property : element.properties) {
            entry += ascii ? 2 : SizeOf(property.isList ? property.countType : property.type);
        }
        if (entry > 0 && element.count > (available + 1) / entry) {
            error = "the PLY element " + element.name + " declares " +
                    std::to_string(element.count) + " entries, more than the file's " +
                    std::to_string(available) + " bytes of data can hold";
            return false;
        }
        needed += element.count * entry;
    }
    if (needed > available + (ascii ? 1 : 0)) {
        error = "the PLY file is shorter than its header declares (" + std::to_string(available) +
                " bytes of data, at least " + std::to_string(needed) + " needed)";
        return false;
    }
    return true;
}

bool ReadPlyTriStrips(std::string_view bytes, const std::string& meshName, ImportedModel& out,
                      std::string& error) {
    Header header;
    if (!ParseHeader(bytes, header, error)) {
        return false;
    }
    const Element* vertexElement = Find(header, "vertex");
    const Element* stripElement = Find(header, "tristrips");
    if (vertexElement == nullptr || stripElement == nullptr) {
        error = "the PLY file has no vertex or no tristrips element";
        return false;
    }
    for (const Property& property : stripElement->properties) {
        if (property.isList && property.name == "vertex_indices" && !IsIntegral(property.type)) {
            error = "the PLY tristrips' vertex_indices are not integers";
            return false;
        }
    }
    VertexLayout layout;
    if (!LayoutOf(*vertexElement, layout, error)) {
        return false;
    }
    // Faces hold vertex numbers as int.
    if (vertexElement->count > static_cast<std::uint64_t>(std::numeric_limits<int>::max())) {
        error = "the PLY file declares more vertices than a mesh can hold";
        return false;
    }
    auto mesh = std::make_unique<ObjMesh>();
    mesh->name = meshName;
    DataCursor cursor(bytes, header.dataStart, header.encoding);
    std::vector<std::string> warnings;
    for (const Element& element : header.elements) {
        bool ok = true;
        if (&element == vertexElement) {
            ok = ReadVertices(cursor, element, *mesh, layout, error);
        } else if (&element == stripElement) {
            ok = ReadStrips(cursor, element, vertexElement->count, *mesh, layout, error);
        } else {
            if (element.count > 0) {
                warnings.push_back("the PLY element \"" + element.name + "\" was not read");
            }
            ok = CountFits(element, cursor, error) && SkipElement(cursor, element, error);
        }
        if (!ok) {
            return false;
        }
    }
    if (mesh->faces.empty()) {
        error = "the PLY tristrips hold no triangle";
        return false;
    }
    out.format = "PLY";
    out.meshes.clear();
    out.meshes.push_back(std::move(mesh));
    out.materials.clear();
    out.textures.clear();
    out.warnings = std::move(warnings);
    return true;
}

bool ReadPlyTriStripsFile(const std::string& path, ImportedModel& out, std::string& error) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) {
        error = "cannot open the file";
        return false;
    }
    const std::streamoff size = in.tellg();
    in.seekg(0);
    std::string bytes(size > 0 ? static_cast<std::size_t>(size) : 0, '\0');
    if (size < 0 || !in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()))) {
        error = "cannot read the file";
        return false;
    }
    std::string name = path.substr(path.find_last_of('/') + 1);
    const std::size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) {
        name.erase(dot);
    }
    return ReadPlyTriStrips(bytes, name, out, error);
}
