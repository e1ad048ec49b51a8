#include "model_bounds.h"

#include "model_import.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <new>
#include <vector>

// What the child sends back through the pipe: 'M', the vertex and index counts as two
// 64-bit numbers and the two arrays as they lie in memory (the same machine reads them);
// or 'E' and the text of the refusal.
namespace {

constexpr char kMeshTag = 'M';
constexpr char kErrorTag = 'E';
constexpr std::size_t kCountBytes = 2 * sizeof(std::uint64_t);
constexpr int kPollMilliseconds = 100;

int childPipe = -1;

bool WriteAll(int fd, const void* data, std::size_t size) {
    const char* at = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = write(fd, at, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        at += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

// Called by operator new when memory runs out, in place of throwing: no allocation here.
void OutOfMemory() {
    const char message[] = "E: the import went past its memory bound of 2 GiB";
    static_assert(kImportAddressSpace == std::uint64_t{2} << 30, "the message names the bound");
    WriteAll(childPipe, message, sizeof message - 1);
    _exit(1);
}

[[noreturn]] void RunChild(const std::string& path, int fd) {
    childPipe = fd;
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    const rlimit space = {kImportAddressSpace, kImportAddressSpace};
    const rlimit noCore = {0, 0};
    setrlimit(RLIMIT_AS, &space);
    setrlimit(RLIMIT_CORE, &noCore);
    std::set_new_handler(OutOfMemory);
    // Some of the library's readers print to the standard streams; their words are not ours.
    const int nothing = open("/dev/null", O_WRONLY);
    dup2(nothing, STDOUT_FILENO);
    dup2(nothing, STDERR_FILENO);
    MeshData mesh;
    std::string error;
    bool sent;
    if (ImportModel(path, mesh, error)) {
        const std::uint64_t counts[2] = {mesh.vertices.size(), mesh.indices.size()};
        sent = WriteAll(fd, &kMeshTag, 1) && WriteAll(fd, counts, sizeof counts) &&
               WriteAll(fd, mesh.vertices.data(), mesh.vertices.size() * sizeof(MeshVertex)) &&
               WriteAll(fd, mesh.indices.data(), mesh.indices.size() * sizeof(std::uint32_t));
    } else {
        sent = WriteAll(fd, &kErrorTag, 1) && WriteAll(fd, error.data(), error.size());
    }
    _exit(sent ? 0 : 1);
}

// Reads the pipe to its end; false when the time is up first.
bool ReadUntilEnd(int fd, std::vector<char>& bytes) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kImportSeconds);
    char block[1 << 16];
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd wait = {fd, POLLIN, 0};
        const int ready = poll(&wait, 1, kPollMilliseconds);
        if (ready <= 0) continue;
        const ssize_t got = read(fd, block, sizeof block);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return true;
        bytes.insert(bytes.end(), block, block + got);
    }
    return false;
}

bool TakeMesh(const std::vector<char>& bytes, MeshData& mesh) {
    std::uint64_t counts[2];
    if (bytes.size() < 1 + kCountBytes) return false;
    std::memcpy(counts, bytes.data() + 1, kCountBytes);
    const std::uint64_t vertexBytes = counts[0] * sizeof(MeshVertex);
    const std::uint64_t indexBytes = counts[1] * sizeof(std::uint32_t);
    if (counts[0] > bytes.size() || counts[1] > bytes.size() ||
        1 + kCountBytes + vertexBytes + indexBytes != bytes.size()) {
        return false;
    }
    const char* at = bytes.data() + 1 + kCountBytes;
    mesh.vertices.resize(counts[0]);
    mesh.indices.resize(counts[1]);
    std::memcpy(mesh.vertices.data(), at, vertexBytes);
    std::memcpy(mesh.indices.data(), at + vertexBytes, indexBytes);
    return true;
}

}  // namespace

bool ImportModelBounded(const std::string& path, MeshData& mesh, std::string& error) {
    int ends[2];
    if (pipe(ends) != 0) {
        error = path + ": cannot start the import: " + std::strerror(errno);
        return false;
    }
    const pid_t child = fork();
    if (child == 0) {
        close(ends[0]);
        RunChild(path, ends[1]);
    }
    close(ends[1]);
    if (child < 0) {
        close(ends[0]);
        error = path + ": cannot start the import: " + std::strerror(errno);
        return false;
    }
    std::vector<char> bytes;
    const bool ended = ReadUntilEnd(ends[0], bytes);
    close(ends[0]);
    if (!ended) kill(child, SIGKILL);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!ended) {
        error = path + ": the import took longer than its bound of " +
                std::to_string(kImportSeconds) + " seconds";
        return false;
    }
    if (WIFSIGNALED(status)) {
        error = path + ": the import library failed on this file (" +
                strsignal(WTERMSIG(status)) + ")";
        return false;
    }
    if (!bytes.empty() && bytes[0] == kErrorTag) {
        const std::string text(bytes.begin() + 1, bytes.end());
        error = text.rfind(": ", 0) == 0 ? path + text : text;
        return false;
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0 && !bytes.empty() &&
        bytes[0] == kMeshTag && TakeMesh(bytes, mesh)) {
        return true;
    }
    error = path + ": the import ended without a result";
    return false;
}
