// Parsing a mesh file in a child process. The child is forked from this one (it needs no
// program of its own), limited in address space, parses, writes its answer to a pipe and
// ends with _exit, so nothing it allocated, leaked or broke reaches this process. A child
// that crashes, runs out of time or answers in bytes that do not add up is a parse error.
#include "mesh_impl.h"
#include "mesh_parse.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <new>

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#define TW_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TW_ADDRESS_SANITIZER 1
#endif
#endif

namespace twmesh {
namespace {

std::atomic<std::size_t> parsesAsked{0};

// What a parse may cost on top of what the process already holds: generous for any real
// model (Assimp needs a few times the file's size), far below what hostile counts ask.
std::uint64_t memoryBudget(std::size_t fileSize) {
    return (std::uint64_t{1} << 30) + std::uint64_t{16} * fileSize;
}

std::chrono::milliseconds timeBudget(std::size_t fileSize) {
    return std::chrono::seconds(10) + std::chrono::milliseconds(fileSize >> 10); // +1 s a MB
}

class Writer {
public:
    template <typename T>
    void value(const T& v) {
        const auto* p = reinterpret_cast<const char*>(&v);
        bytes_.insert(bytes_.end(), p, p + sizeof v);
    }
    template <typename T>
    void array(const std::vector<T>& items) {
        value(static_cast<std::uint64_t>(items.size()));
        const auto* p = reinterpret_cast<const char*>(items.data());
        bytes_.insert(bytes_.end(), p, p + items.size() * sizeof(T));
    }
    std::vector<char> take() { return std::move(bytes_); }

private:
    std::vector<char> bytes_;
};

class Reader {
public:
    explicit Reader(std::span<const char> bytes) : bytes_(bytes) {}
    template <typename T>
    bool value(T* v) {
        if (bytes_.size() - at_ < sizeof(T)) {
            return false;
        }
        std::memcpy(v, bytes_.data() + at_, sizeof(T));
        at_ += sizeof(T);
        return true;
    }
    template <typename T>
    bool array(std::vector<T>* items) {
        std::uint64_t count = 0;
        if (!value(&count) || count > (bytes_.size() - at_) / sizeof(T)) {
            return false;
        }
        items->resize(static_cast<std::size_t>(count));
        if (count > 0) { // an empty vector's data() may be null
            std::memcpy(items->data(), bytes_.data() + at_, items->size() * sizeof(T));
        }
        at_ += items->size() * sizeof(T);
        return true;
    }
    bool atEnd() const { return at_ == bytes_.size(); }

private:
    std::span<const char> bytes_;
    std::size_t at_ = 0;
};

// Every count agrees with every other and every index points at something.
bool consistent(const ParsedMesh& p) {
    const std::optional<FvfLayout> layout = FvfLayout::of(p.fvf);
    if (!layout || p.vertices.size() != std::size_t{p.vertexCount} * layout->stride ||
        p.indices.size() != 3 * p.attributes.size()) {
        return false;
    }
    const std::size_t attributeLimit = std::max<std::size_t>(1, p.materials.size());
    return std::all_of(p.indices.begin(), p.indices.end(),
                       [&](DWORD i) { return i < p.vertexCount; }) &&
           std::all_of(p.attributes.begin(), p.attributes.end(),
                       [&](DWORD a) { return a < attributeLimit; });
}

bool writeAll(int fd, const std::vector<char>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Address space in use now (the child starts with a copy of ours).
std::uint64_t addressSpaceInUse() {
    std::ifstream statm("/proc/self/statm");
    std::uint64_t pages = 0;
    statm >> pages;
    return pages * static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
}

[[noreturn]] void runChild(int out, const MeshSource& source, std::uint64_t addressLimit) {
    // A crash here ends only the child, quietly: no core file, no handler of the parent's.
    const rlimit noCore{0, 0};
    ::setrlimit(RLIMIT_CORE, &noCore);
    for (int sig : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT}) {
        std::signal(sig, SIG_DFL);
    }
#ifndef TW_ADDRESS_SANITIZER // the sanitizer's shadow memory is far above any limit
    const rlimit space{addressLimit, addressLimit};
    ::setrlimit(RLIMIT_AS, &space);
#else
    (void)addressLimit;
#endif
    ParsedMesh parsed;
    HRESULT result;
    try {
        result = parseMesh(source, &parsed);
    } catch (const std::bad_alloc&) {
        result = E_OUTOFMEMORY;
    } catch (...) {
        result = D3DXFERR_PARSEERROR;
    }
    const bool written = writeAll(out, serializeParse(result, parsed));
    ::_exit(written ? 0 : 1);
}

// Everything the child writes until it closes the pipe, or false once the time is up.
bool readAnswer(int in, std::chrono::steady_clock::time_point deadline, std::vector<char>* out) {
    char chunk[65536];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return false;
        }
        pollfd ready{in, POLLIN, 0};
        const int polled =
            ::poll(&ready, 1, static_cast<int>(std::min<long long>(left.count(), 1000)));
        if (polled < 0 && errno != EINTR) {
            return false;
        }
        if (polled <= 0) {
            continue;
        }
        const ssize_t n = ::read(in, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return false;
        }
        if (n == 0) {
            return true;
        }
        out->insert(out->end(), chunk, chunk + n);
    }
}

int waitFor(pid_t child) {
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

} // namespace

std::vector<char> serializeParse(HRESULT result, const ParsedMesh& parsed) {
    Writer w;
    w.value(result);
    if (SUCCEEDED(result)) {
        w.value(parsed.fvf);
        w.value(parsed.vertexCount);
        w.array(parsed.vertices);
        w.array(parsed.indices);
        w.array(parsed.attributes);
        w.value(static_cast<std::uint64_t>(parsed.materials.size()));
        for (const ParsedMaterial& m : parsed.materials) {
            w.value(m.d3d);
            w.array(std::vector<char>(m.texture.begin(), m.texture.end()));
            w.array(m.textureBytes);
        }
        w.value(static_cast<std::uint64_t>(parsed.companions.size()));
        for (const std::string& file : parsed.companions) {
            w.array(std::vector<char>(file.begin(), file.end()));
        }
    }
    return w.take();
}

bool deserializeParse(std::span<const char> bytes, HRESULT* result, ParsedMesh* parsed) {
    Reader r(bytes);
    if (!r.value(result)) {
        return false;
    }
    if (FAILED(*result)) {
        return r.atEnd();
    }
    std::uint64_t materials = 0;
    if (!r.value(&parsed->fvf) || !r.value(&parsed->vertexCount) || !r.array(&parsed->vertices) ||
        !r.array(&parsed->indices) || !r.array(&parsed->attributes) || !r.value(&materials) ||
        materials > bytes.size()) {
        return false;
    }
    parsed->materials.resize(static_cast<std::size_t>(materials));
    for (ParsedMaterial& m : parsed->materials) {
        std::vector<char> name;
        if (!r.value(&m.d3d) || !r.array(&name) || !r.array(&m.textureBytes)) {
            return false;
        }
        m.texture.assign(name.begin(), name.end());
    }
    std::uint64_t companions = 0;
    if (!r.value(&companions) || companions > bytes.size()) {
        return false;
    }
    parsed->companions.resize(static_cast<std::size_t>(companions));
    for (std::string& file : parsed->companions) {
        std::vector<char> name;
        if (!r.array(&name)) {
            return false;
        }
        file.assign(name.begin(), name.end());
    }
    return r.atEnd() && consistent(*parsed);
}

std::size_t meshParseCount() {
    return parsesAsked.load();
}

HRESULT parseMeshIsolated(const MeshSource& source, ParsedMesh* out) {
    ++parsesAsked;
    if (const char* inProcess = std::getenv("TW_MESH_PARSE_IN_PROCESS");
        inProcess != nullptr && std::strcmp(inProcess, "1") == 0) {
        return parseMesh(source, out);
    }
    const std::uint64_t addressLimit = addressSpaceInUse() + memoryBudget(source.size);
    const auto deadline = std::chrono::steady_clock::now() + timeBudget(source.size);
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0) {
        return E_FAIL;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeEnds[0]);
        runChild(pipeEnds[1], source, addressLimit);
    }
    ::close(pipeEnds[1]);
    if (child < 0) {
        ::close(pipeEnds[0]);
        return E_FAIL;
    }
    std::vector<char> answer;
    const bool answered = readAnswer(pipeEnds[0], deadline, &answer);
    ::close(pipeEnds[0]);
    if (!answered) {
        ::kill(child, SIGKILL);
    }
    const int status = waitFor(child);
    HRESULT result = D3DXFERR_PARSEERROR;
    if (!answered || !WIFEXITED(status) || WEXITSTATUS(status) != 0 ||
        !deserializeParse(answer, &result, out)) {
        *out = ParsedMesh{};
        return D3DXFERR_PARSEERROR;
    }
    return result;
}

} // namespace twmesh
