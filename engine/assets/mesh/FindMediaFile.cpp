#include "assets/mesh/FindMediaFile.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "win32/regular_file.h"

namespace {

// Whether path names a file we may read. A folder is no media file, and a FIFO would
// make the search wait for a writer.
bool canOpen(const char* path) {
    return isReadableRegularFile(path);
}

// Copies text into out when it fits with its terminator.
bool copyIfFits(char* out, int capacity, std::string_view text) {
    if (text.size() >= static_cast<std::size_t>(capacity)) {
        return false;
    }
    std::memcpy(out, text.data(), text.size());
    out[text.size()] = '\0';
    return true;
}

} // namespace

HRESULT findMediaFile(char* out, int capacity, const char* name) {
    if (name == nullptr || out == nullptr || capacity < 1) {
        return E_INVALIDARG;
    }

    char* filePart = nullptr;
    const DWORD length = GetFullPathNameA(name, static_cast<DWORD>(capacity), out, &filePart);
    if (length == 0 || length >= static_cast<DWORD>(capacity)) {
        return E_FAIL;
    }
    const std::string fileName =
        std::string(filePart != nullptr ? filePart : "").substr(0, MAX_PATH);

    if (canOpen(out)) {
        return S_OK;
    }
    if (!fileName.empty() && canOpen(fileName.c_str())) {
        copyIfFits(out, capacity, fileName); // shorter than the full path, so it fits
        return S_OK;
    }

    out[0] = '\0';
    const char* root = std::getenv(kMediaRootVariable);
    if (root == nullptr || *root == '\0' || !copyIfFits(out, capacity, root)) {
        return E_FAIL;
    }
    std::string path(root);
    path += path.back() == '/' ? "Media/" : "/Media/";
    if (path.size() >= static_cast<std::size_t>(capacity)) {
        return E_INVALIDARG;
    }
    path += fileName;
    if (!copyIfFits(out, capacity, path)) {
        return E_INVALIDARG;
    }
    if (canOpen(out)) {
        return S_OK;
    }

    const std::string_view unchanged(name);
    copyIfFits(out, capacity, unchanged.substr(0, static_cast<std::size_t>(capacity) - 1));
    return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
}

HRESULT findMeshTexture(char* out, int capacity, const char* name) {
    if (name == nullptr || out == nullptr || capacity < 1) {
        return E_INVALIDARG;
    }
    const std::string_view whole(name);
    const std::size_t cut = whole.find_last_of("/\\");
    const std::string last(cut == std::string_view::npos ? whole : whole.substr(cut + 1));
    if (last.empty() || last == "." || last == "..") {
        out[0] = '\0';
        return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    }
    return findMediaFile(out, capacity, last.c_str());
}
