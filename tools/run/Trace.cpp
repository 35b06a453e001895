#include "Trace.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <string_view>

#include "RunError.h"
#include "tumbleway/tumbleway_ext.h"

namespace {

constexpr const char* kTraceColumns = "frame,index,name,x,y,z,heading";

// A name as one CSV field: names may hold commas, quotes and line breaks.
std::string csvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        return std::string(text);
    }
    std::string quoted = "\"";
    for (const char c : text) {
        quoted += c == '"' ? "\"\"" : std::string(1, c);
    }
    return quoted + "\"";
}

// The trace's numbers as printf's "%d" and "%.6f" write them (both give the exact
// decimal of the value, rounded), without parsing a format for each of the numbers of
// a large scene's frames.
void appendNumber(std::string& line, int value) {
    char text[16];
    line.append(text, std::to_chars(text, text + sizeof text, value).ptr);
}

void appendFixed(std::string& line, float value) {
    char text[64]; // the largest float with six decimals takes 46
    line.append(text,
                std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 6).ptr);
}

// A stream whose bytes go to the writer; a failed write fails the stream's call.
std::FILE* streamInto(AtomicFileWriter& out) {
    cookie_io_functions_t calls{};
    calls.write = [](void* cookie, const char* data, std::size_t size) -> ssize_t {
        auto& writer = *static_cast<AtomicFileWriter*>(cookie);
        writer.write(data, size);
        if (!writer.good()) {
            errno = EIO;
            return -1;
        }
        return static_cast<ssize_t>(size);
    };
    return fopencookie(&out, "w", calls);
}

} // namespace

TraceFile::TraceFile(std::filesystem::path path)
    : path_(std::move(path)), out_(std::make_unique<AtomicFileWriter>(path_.string())),
      file_(nullptr, std::fclose) {
    if (!out_->good()) {
        throw RunError(kCannotStart,
                       "cannot write the trace " + path_.string() + " (" + out_->error() + ")");
    }
    file_.reset(streamInto(*out_));
    if (!file_) {
        cutShort(errno);
    }
    if (std::fprintf(file_.get(), "%s\n", kTraceColumns) < 0) {
        cutShort(errno);
    }
}

void TraceFile::writeFrame(int frame, const std::vector<std::string>& names) {
    const int meshes = static_cast<int>(names.size());
    poses_.resize(names.size());
    const int posed = twx_get_mesh_poses(poses_.data(), meshes);
    if (posed < meshes) {
        throw RunError(kRunFailed, "the engine gives no pose for placed mesh " +
                                       std::to_string(std::max(posed, 0)));
    }
    std::string line;
    for (int index = 0; index < meshes; ++index) {
        const TwxMeshPose& pose = poses_[static_cast<std::size_t>(index)];
        line.clear();
        appendNumber(line, frame);
        line += ',';
        appendNumber(line, index);
        line += ',';
        line += csvField(names[index]);
        for (const float value : {pose.x, pose.y, pose.z, pose.yaw}) {
            line += ',';
            appendFixed(line, value);
        }
        line += '\n';
        if (std::fwrite(line.data(), 1, line.size(), file_.get()) != line.size()) {
            cutShort(errno);
        }
    }
}

void TraceFile::close() {
    if (std::fclose(file_.release()) != 0 || !out_->commit()) {
        cutShort(errno);
    }
}

void TraceFile::cutShort(int error) const {
    const std::string why = out_->error().empty() ? std::strerror(error) : out_->error();
    throw RunError(kRunFailed, "cannot write the trace " + path_.string() + " (" + why +
                                   "); nothing of it is kept");
}
