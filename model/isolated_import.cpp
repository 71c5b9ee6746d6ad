// The child-process import and the byte form of its answer. The answer streams through the pipe
// in pieces of about a megabyte and the parent reads each list straight into its vector, a
// bounded piece at a time, so neither side holds the model twice.
//
// The answer: the magic "QIMP1\n", the length of the rest, one byte (1 imported, 0 failed); when
// failed, the error; when imported, the format, the warnings, the textures, the materials and the
// meshes; then the end mark "END!". Counts are 64-bit, strings a count and their bytes, lists a
// count and their records as they lie in memory (both ends are this program on this machine).
#include "model/isolated_import.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <limits>
#include <new>
#include <type_traits>

namespace {

constexpr char magic[] = "QIMP1\n";
constexpr char endMark[] = "END!";

// Records copied as bytes must be plain.
static_assert(std::is_trivially_copyable_v<Vector3> && sizeof(Vector3) == 12);
static_assert(std::is_trivially_copyable_v<TexCoord> && sizeof(TexCoord) == 12);
static_assert(std::is_trivially_copyable_v<ObjFace> && sizeof(ObjFace) == 12);
static_assert(std::is_trivially_copyable_v<ObjElement> && sizeof(ObjElement) == 12);

// ---- writing ---------------------------------------------------------------------------------

// Collects the answer in memory, or, given a file descriptor, writes it out whenever about a
// megabyte has gathered.
class Sink {
public:
    static constexpr int counting = -2; // a sink that only counts what it is given

    explicit Sink(int fd = -1) : m_fd(fd) {}

    void Bytes(const void* data, std::size_t size) {
        m_counted += size;
        if (m_fd == counting) {
            return;
        }
        if (m_fd >= 0 && size >= flushBytes) {
            Flush();
            WriteAll(data, size);
            return;
        }
        m_buffer.append(static_cast<const char*>(data), size);
        if (m_fd >= 0 && m_buffer.size() >= flushBytes) {
            Flush();
        }
    }
    template <class T> void Value(T value) {
        static_assert(std::is_trivially_copyable_v<T>);
        Bytes(&value, sizeof value);
    }
    void Count(std::size_t count) { Value(static_cast<std::uint64_t>(count)); }
    void String(const std::string& text) {
        Count(text.size());
        Bytes(text.data(), text.size());
    }
    template <class T> void List(const std::vector<T>& items) {
        static_assert(std::is_trivially_copyable_v<T>);
        Count(items.size());
        Bytes(items.data(), items.size() * sizeof(T));
    }
    // True when everything reached the descriptor.
    bool Flush() {
        if (m_fd >= 0 && !m_buffer.empty()) {
            WriteAll(m_buffer.data(), m_buffer.size());
            m_buffer.clear();
        }
        return !m_failed;
    }
    std::string& Buffer() { return m_buffer; }
    std::uint64_t Counted() const { return m_counted; }

private:
    static constexpr std::size_t flushBytes = 1 << 20;

    void WriteAll(const void* data, std::size_t size) {
        const char* next = static_cast<const char*>(data);
        while (size > 0 && !m_failed) {
            const ssize_t written = write(m_fd, next, size);
            if (written < 0 && errno == EINTR) {
                continue;
            }
            if (written <= 0) {
                m_failed = true;
                return;
            }
            next += written;
            size -= static_cast<std::size_t>(written);
        }
    }

    int m_fd;
    std::string m_buffer;
    std::uint64_t m_counted = 0;
    bool m_failed = false;
};

void WriteMaterial(Sink& sink, const ImportedMaterial& material) {
    const ObjMaterial& v = material.values;
    sink.String(v.name);
    sink.Bytes(v.ambient, sizeof v.ambient);
    sink.Bytes(v.diffuse, sizeof v.diffuse);
    sink.Bytes(v.specular, sizeof v.specular);
    sink.Bytes(v.emission, sizeof v.emission);
    sink.Value<std::int32_t>(v.textureId);
    sink.Value(v.shininess);
    sink.Value<std::int32_t>(material.texture);
    sink.Value(material.opacity);
}

// With release, each list is freed once written, so that the child gives its memory back while
// the parent builds its copy.
template <class T> void WriteList(Sink& sink, std::vector<T>& items, bool release) {
    sink.List(items);
    if (release) {
        std::vector<T>().swap(items);
    }
}

void WriteMesh(Sink& sink, ObjMesh& mesh, bool release) {
    sink.String(mesh.name);
    sink.Value<std::int32_t>(mesh.displayList);
    WriteList(sink, mesh.vertices, release);
    WriteList(sink, mesh.normals, release);
    WriteList(sink, mesh.faces, release);
    WriteList(sink, mesh.texCoords, release);
    WriteList(sink, mesh.indices, release);
    WriteList(sink, mesh.points, release);
    WriteList(sink, mesh.lines, release);
    WriteList(sink, mesh.elementIndices, release);
    WriteList(sink, mesh.smoothingGroups, release);
    sink.Value<std::uint8_t>(mesh.smoothingOff ? 1 : 0);
    WriteList(sink, mesh.colors, release);
}

void WriteBody(Sink& sink, bool imported, ImportedModel& model, const std::string& error,
               bool release) {
    sink.Value<std::uint8_t>(imported ? 1 : 0);
    if (!imported) {
        sink.String(error);
    } else {
        sink.String(model.format);
        sink.Count(model.warnings.size());
        for (const std::string& warning : model.warnings) {
            sink.String(warning);
        }
        sink.Count(model.textures.size());
        for (ImportedTexture& texture : model.textures) {
            sink.String(texture.path);
            sink.Value<std::uint8_t>(texture.embedded ? 1 : 0);
            WriteList(sink, texture.bytes, release);
            sink.Value<std::int32_t>(texture.width);
            sink.Value<std::int32_t>(texture.height);
        }
        sink.Count(model.materials.size());
        for (const ImportedMaterial& material : model.materials) {
            WriteMaterial(sink, material);
        }
        sink.Count(model.meshes.size());
        for (auto& mesh : model.meshes) {
            WriteMesh(sink, *mesh, release);
            if (release) {
                mesh.reset();
            }
        }
    }
    sink.Bytes(endMark, sizeof endMark - 1);
}

// The magic, the length of what follows (so that the reader can hold every count against the
// bytes still to come), then the body.
void WriteResult(Sink& sink, bool imported, ImportedModel& model, const std::string& error,
                 bool release) {
    Sink counter(Sink::counting);
    WriteBody(counter, imported, model, error, false);
    sink.Bytes(magic, sizeof magic - 1);
    sink.Value(counter.Counted());
    WriteBody(sink, imported, model, error, release);
}

// ---- reading ---------------------------------------------------------------------------------

class Source {
public:
    virtual ~Source() = default;
    // Exactly size bytes, or false at the end of the data or of the declared length.
    bool Read(void* data, std::size_t size) {
        if (size > m_left) {
            return false;
        }
        m_left -= size;
        return ReadRaw(data, size);
    }
    // No more bytes than this can still come.
    std::size_t Bound() const { return m_left; }
    // The answer's declared length of what follows; false when it cannot be right.
    virtual bool Limit(std::uint64_t length) = 0;

protected:
    virtual bool ReadRaw(void* data, std::size_t size) = 0;
    std::size_t m_left = std::numeric_limits<std::size_t>::max();
};

class MemorySource : public Source {
public:
    explicit MemorySource(std::string_view bytes) : m_bytes(bytes) { m_left = bytes.size(); }
    bool Limit(std::uint64_t length) override { return length == m_left; }

protected:
    bool ReadRaw(void* data, std::size_t size) override {
        std::memcpy(data, m_bytes.data(), size);
        m_bytes.remove_prefix(size);
        return true;
    }

private:
    std::string_view m_bytes;
};

using Clock = std::chrono::steady_clock;

// The read end of the child's pipe, with a deadline: a read that would go past it fails and
// marks the source timed out.
class PipeSource : public Source {
public:
    PipeSource(int fd, Clock::time_point deadline) : m_fd(fd), m_deadline(deadline) {}

    // An answer longer than the machine's memory could not have been built.
    bool Limit(std::uint64_t length) override {
        const long pages = sysconf(_SC_PHYS_PAGES);
        const long pageSize = sysconf(_SC_PAGESIZE);
        if (pages > 0 && pageSize > 0 &&
            length > static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize)) {
            return false;
        }
        m_left = static_cast<std::size_t>(length);
        return true;
    }
    bool TimedOut() const { return m_timedOut; }
    // True when the writer has closed its end and everything was read.
    bool AtEnd() {
        if (m_begin < m_end) {
            return false;
        }
        char extra;
        return Fill(&extra, 1) == 0 && !m_timedOut;
    }

protected:
    bool ReadRaw(void* data, std::size_t size) override {
        char* out = static_cast<char*>(data);
        const std::size_t buffered = std::min(size, m_end - m_begin);
        std::memcpy(out, m_buffer + m_begin, buffered);
        m_begin += buffered;
        out += buffered;
        size -= buffered;
        while (size > 0) {
            if (size >= sizeof m_buffer) { // large lists go straight into their vector
                const std::size_t got = Fill(out, size);
                if (got == 0) {
                    return false;
                }
                out += got;
                size -= got;
                continue;
            }
            m_begin = 0;
            m_end = Fill(m_buffer, sizeof m_buffer);
            if (m_end == 0) {
                return false;
            }
            const std::size_t taken = std::min(size, m_end);
            std::memcpy(out, m_buffer, taken);
            m_begin = taken;
            out += taken;
            size -= taken;
        }
        return true;
    }

private:
    // Some bytes, or 0 at the end of the data, on a read error or at the deadline.
    std::size_t Fill(char* out, std::size_t size) {
        for (;;) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(m_deadline - Clock::now())
                    .count();
            if (left <= 0) {
                m_timedOut = true;
                return 0;
            }
            pollfd ready{m_fd, POLLIN, 0};
            const int polled =
                poll(&ready, 1, static_cast<int>(std::min<long long>(left, 1000 * 1000)));
            if (polled < 0 && errno == EINTR) {
                continue;
            }
            if (polled < 0) {
                return 0;
            }
            if (polled == 0) {
                continue; // the deadline is checked again above
            }
            const ssize_t got = read(m_fd, out, size);
            if (got < 0 && (errno == EINTR || errno == EAGAIN)) {
                continue;
            }
            return got > 0 ? static_cast<std::size_t>(got) : 0;
        }
    }

    int m_fd;
    Clock::time_point m_deadline;
    bool m_timedOut = false;
    char m_buffer[65536];
    std::size_t m_begin = 0;
    std::size_t m_end = 0;
};

class Decoder {
public:
    Decoder(Source& source, std::string& error) : m_source(source), m_error(error) {}

    bool Fail(const std::string& what) {
        if (m_error.empty()) {
            m_error = what;
        }
        return false;
    }
    bool Bytes(void* data, std::size_t size) {
        return m_source.Read(data, size) || Fail("the answer ends early");
    }
    template <class T> bool Value(T& value) { return Bytes(&value, sizeof value); }
    bool Limit(std::uint64_t length) {
        return m_source.Limit(length) || Fail("the answer's declared length is wrong");
    }
    // A count of items that take at least itemBytes each in the stream.
    bool Count(std::size_t itemBytes, std::size_t& count) {
        std::uint64_t stored = 0;
        if (!Value(stored)) {
            return false;
        }
        if (stored > m_source.Bound() / std::max<std::size_t>(itemBytes, 1)) {
            return Fail("a count of " + std::to_string(stored) + " exceeds what the answer holds");
        }
        count = static_cast<std::size_t>(stored);
        return true;
    }
    // A list takes its room at once (its count fits in the bytes still to come) and is filled
    // a bounded piece at a time as its bytes arrive.
    template <class T> bool List(std::vector<T>& items) {
        std::size_t count = 0;
        if (!Count(sizeof(T), count)) {
            return false;
        }
        constexpr std::size_t piece = (std::size_t{1} << 22) / sizeof(T);
        items.clear();
        items.reserve(count);
        for (std::size_t done = 0; done < count;) {
            const std::size_t n = std::min(piece, count - done);
            items.resize(done + n);
            if (!Bytes(items.data() + done, n * sizeof(T))) {
                return false;
            }
            done += n;
        }
        return true;
    }
    bool String(std::string& text) {
        std::vector<char> bytes;
        if (!List(bytes)) {
            return false;
        }
        text.assign(bytes.begin(), bytes.end());
        return true;
    }

private:
    Source& m_source;
    std::string& m_error;
};

bool ReadMaterial(Decoder& in, ImportedMaterial& material, std::size_t textureCount) {
    ObjMaterial& v = material.values;
    std::int32_t textureId = 0;
    std::int32_t texture = 0;
    if (!in.String(v.name) || !in.Bytes(v.ambient, sizeof v.ambient) ||
        !in.Bytes(v.diffuse, sizeof v.diffuse) || !in.Bytes(v.specular, sizeof v.specular) ||
        !in.Bytes(v.emission, sizeof v.emission) || !in.Value(textureId) ||
        !in.Value(v.shininess) || !in.Value(texture) || !in.Value(material.opacity)) {
        return false;
    }
    if (texture < -1 || (texture >= 0 && static_cast<std::size_t>(texture) >= textureCount)) {
        return in.Fail("a material names texture " + std::to_string(texture) + " of " +
                       std::to_string(textureCount));
    }
    v.textureId = textureId;
    material.texture = texture;
    return true;
}

bool InRange(int index, std::size_t size) {
    return index >= 0 && static_cast<std::size_t>(index) < size;
}

// Every number a mesh's faces, points and lines hold must name an entry of its lists.
bool CheckMesh(Decoder& in, const ObjMesh& mesh, std::size_t materialCount) {
    const auto materialValid = [&](int index) {
        return index == -1 || index == defaultMaterialIndex || InRange(index, materialCount);
    };
    for (const ObjFace& face : mesh.faces) {
        const std::uint64_t end = face.firstIndex + static_cast<std::uint64_t>(face.VertexCount()) *
                                                        static_cast<std::uint64_t>(face.Stride());
        if (face.VertexCount() < 1 || end > mesh.indices.size()) {
            return in.Fail("a face of mesh \"" + mesh.name + "\" lies outside its index list");
        }
        if (!materialValid(face.materialIndex)) {
            return in.Fail("a face of mesh \"" + mesh.name +
                           "\" names a material that is not there");
        }
        for (int corner = 0; corner < face.VertexCount(); ++corner) {
            if (!InRange(mesh.VertexIndex(face, corner), mesh.vertices.size()) ||
                (face.HasTexCoords() &&
                 !InRange(mesh.TexCoordIndex(face, corner), mesh.texCoords.size())) ||
                (face.HasNormals() &&
                 !InRange(mesh.NormalIndex(face, corner), mesh.normals.size()))) {
                return in.Fail("a face of mesh \"" + mesh.name + "\" names a missing vertex");
            }
        }
    }
    for (const auto* elements : {&mesh.points, &mesh.lines}) {
        for (const ObjElement& element : *elements) {
            if (static_cast<std::uint64_t>(element.firstIndex) + element.count >
                    mesh.elementIndices.size() ||
                !materialValid(element.materialIndex)) {
                return in.Fail("a point or line of mesh \"" + mesh.name + "\" is malformed");
            }
        }
    }
    for (const int index : mesh.elementIndices) {
        if (!InRange(index, mesh.vertices.size())) {
            return in.Fail("a point or line of mesh \"" + mesh.name + "\" names a missing vertex");
        }
    }
    if ((!mesh.colors.empty() && mesh.colors.size() != mesh.vertices.size()) ||
        (!mesh.smoothingGroups.empty() && mesh.smoothingGroups.size() != mesh.faces.size())) {
        return in.Fail("the colours or smoothing groups of mesh \"" + mesh.name +
                       "\" do not match its vertices or faces");
    }
    return true;
}

bool ReadMesh(Decoder& in, ObjMesh& mesh, std::size_t materialCount) {
    std::int32_t displayList = 0;
    std::uint8_t smoothingOff = 0;
    if (!in.String(mesh.name) || !in.Value(displayList) || !in.List(mesh.vertices) ||
        !in.List(mesh.normals) || !in.List(mesh.faces) || !in.List(mesh.texCoords) ||
        !in.List(mesh.indices) || !in.List(mesh.points) || !in.List(mesh.lines) ||
        !in.List(mesh.elementIndices) || !in.List(mesh.smoothingGroups) ||
        !in.Value(smoothingOff) || !in.List(mesh.colors)) {
        return false;
    }
    if (smoothingOff > 1) {
        return in.Fail("mesh \"" + mesh.name + "\" has a malformed smoothing mark");
    }
    mesh.displayList = displayList;
    mesh.smoothingOff = smoothingOff == 1;
    return CheckMesh(in, mesh, materialCount);
}

bool ReadTexture(Decoder& in, ImportedTexture& texture) {
    std::uint8_t embedded = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    if (!in.String(texture.path) || !in.Value(embedded) || !in.List(texture.bytes) ||
        !in.Value(width) || !in.Value(height)) {
        return false;
    }
    // Raw texels must fill the picture exactly; compressed bytes say their own size.
    if (embedded > 1 || width < 0 || height < 0 ||
        (width > 0 && static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) * 4 !=
                          texture.bytes.size())) {
        return in.Fail("texture \"" + texture.path + "\" is malformed");
    }
    texture.embedded = embedded == 1;
    texture.width = width;
    texture.height = height;
    return true;
}

// The smallest number of bytes each kind of record takes in the answer.
constexpr std::size_t minStringBytes = 8;
constexpr std::size_t minTextureBytes = minStringBytes + 1 + 8 + 4 + 4;
constexpr std::size_t minMaterialBytes = minStringBytes + 16 * 4 + 4 + 4 + 4 + 4;
constexpr std::size_t minMeshBytes = minStringBytes + 4 + 10 * 8;

bool ReadResult(Decoder& in, bool& imported, ImportedModel& model, std::string& importError) {
    char head[sizeof magic - 1];
    std::uint8_t status = 0;
    std::uint64_t length = 0;
    if (!in.Bytes(head, sizeof head) || std::memcmp(head, magic, sizeof head) != 0) {
        return in.Fail("the answer does not start as one");
    }
    if (!in.Value(length) || !in.Limit(length)) {
        return false;
    }
    if (!in.Value(status) || status > 1) {
        return in.Fail("the answer's status is malformed");
    }
    imported = status == 1;
    if (!imported) {
        if (!in.String(importError)) {
            return false;
        }
    } else {
        std::size_t count = 0;
        if (!in.String(model.format) || !in.Count(minStringBytes, count)) {
            return false;
        }
        for (std::size_t i = 0; i < count; ++i) {
            model.warnings.emplace_back();
            if (!in.String(model.warnings.back())) {
                return false;
            }
        }
        if (!in.Count(minTextureBytes, count)) {
            return false;
        }
        for (std::size_t i = 0; i < count; ++i) {
            model.textures.emplace_back();
            if (!ReadTexture(in, model.textures.back())) {
                return false;
            }
        }
        if (!in.Count(minMaterialBytes, count)) {
            return false;
        }
        for (std::size_t i = 0; i < count; ++i) {
            model.materials.emplace_back();
            if (!ReadMaterial(in, model.materials.back(), model.textures.size())) {
                return false;
            }
        }
        if (!in.Count(minMeshBytes, count)) {
            return false;
        }
        for (std::size_t i = 0; i < count; ++i) {
            model.meshes.push_back(std::make_unique<ObjMesh>());
            if (!ReadMesh(in, *model.meshes.back(), model.materials.size())) {
                return false;
            }
        }
    }
    char end[sizeof endMark - 1];
    if (!in.Bytes(end, sizeof end) || std::memcmp(end, endMark, sizeof end) != 0) {
        return in.Fail("the answer has no end mark");
    }
    return true;
}

// ---- the child -------------------------------------------------------------------------------

[[noreturn]] void RunChild(const ImportFunction& import, const std::string& path, int fd,
                           pid_t parent) {
    // Ctrl+C and a kill of the process group reach the child too: what they mean is the
    // parent's to decide (the viewer's own handlers, copied at fork, must not run here), and
    // the deadline still bounds the child.
    signal(SIGINT, SIG_IGN);
    signal(SIGTERM, SIG_IGN);
    for (const int sig : {SIGHUP, SIGQUIT, SIGPIPE}) {
        signal(sig, SIG_DFL);
    }
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) { // the parent died before the line above
        _exit(1);
    }
    ImportedModel model;
    std::string error;
    bool imported = false;
    try {
        imported = import(path, model, error);
    } catch (const std::bad_alloc&) {
        error = "the importer ran out of memory";
    } catch (const std::exception& e) {
        error = std::string("the importer failed: ") + e.what();
    } catch (...) {
        error = "the importer failed";
    }
    Sink sink(fd);
    WriteResult(sink, imported, model, error, true);
    // _exit: the parent's stdio buffers, copied at fork, must not be written a second time.
    _exit(sink.Flush() ? 0 : 3);
}

// Reaps the child, waiting no longer than the deadline; kills it when it overruns.
int Reap(pid_t child, Clock::time_point deadline) {
    int status = 0;
    for (;;) {
        const pid_t done = waitpid(child, &status, WNOHANG);
        if (done == child || (done < 0 && errno != EINTR)) {
            return status;
        }
        if (Clock::now() >= deadline) {
            kill(child, SIGKILL);
            while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
            }
            return status;
        }
        usleep(2000);
    }
}

} // namespace

std::string SerializeImportResult(bool imported, const ImportedModel& model,
                                  const std::string& error) {
    Sink sink;
    // Without release nothing of the model is changed.
    WriteResult(sink, imported, const_cast<ImportedModel&>(model), error, false);
    return std::move(sink.Buffer());
}

bool DeserializeImportResult(std::string_view bytes, bool& imported, ImportedModel& model,
                             std::string& importError, std::string& streamError) {
    MemorySource source(bytes);
    Decoder in(source, streamError);
    ImportedModel read;
    if (!ReadResult(in, imported, read, importError)) {
        return false;
    }
    if (source.Bound() != 0) {
        streamError = "the answer goes on past its end mark";
        return false;
    }
    model = std::move(read);
    return true;
}

bool ImportIsolatedWith(const ImportFunction& import, const std::string& path, ImportedModel& out,
                        std::string& error, int timeoutSeconds) {
    out = ImportedModel();
    error.clear();
    int channel[2];
    if (pipe2(channel, O_CLOEXEC) != 0) {
        error = std::string("cannot start the importer: ") + std::strerror(errno);
        return false;
    }
    // A larger pipe moves a big model in fewer wake-ups; the default size works too.
    fcntl(channel[1], F_SETPIPE_SZ, 1 << 20);
    // Whatever the parent has buffered is written now, once, before the child gets a copy.
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(timeoutSeconds);
    const pid_t parent = getpid();
    const pid_t child = fork();
    if (child < 0) {
        error = std::string("cannot start the importer: ") + std::strerror(errno);
        close(channel[0]);
        close(channel[1]);
        return false;
    }
    if (child == 0) {
        close(channel[0]);
        RunChild(import, path, channel[1], parent);
    }
    close(channel[1]);

    PipeSource source(channel[0], deadline);
    std::string streamError;
    Decoder in(source, streamError);
    ImportedModel model;
    bool imported = false;
    std::string importError;
    bool answered = false;
    try {
        answered = ReadResult(in, imported, model, importError);
        if (answered && (source.Bound() != 0 || !source.AtEnd())) {
            answered = false;
            streamError = "the answer goes on past its end mark";
        }
    } catch (const std::bad_alloc&) {
        streamError = "the importer's answer does not fit in memory";
    }
    const bool timedOut = source.TimedOut();
    close(channel[0]);
    if (timedOut) {
        kill(child, SIGKILL);
    }
    // A child that has answered is ending; one that has not is given what is left of the
    // deadline to say how it ended.
    const int status = Reap(child, timedOut ? Clock::now() : deadline);
    if (answered) {
        if (!imported) {
            error = importError;
            return false;
        }
        out = std::move(model);
        return true;
    }
    if (timedOut) {
        error = "the import took more than " + std::to_string(timeoutSeconds) + " s";
    } else if (WIFSIGNALED(status)) {
        error =
            "the importer crashed (signal " + std::to_string(WTERMSIG(status)) + ") on this file";
    } else if (WIFEXITED(status) && WEXITSTATUS(status) != 0) {
        error = "the importer stopped (exit status " + std::to_string(WEXITSTATUS(status)) +
                ") on this file";
    } else {
        error = "the importer's answer is malformed: " + streamError;
    }
    return false;
}
