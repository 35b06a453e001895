#include "OutputFile.h"

#include "Folders.h"
#include "RunError.h"
#include "filewrite/AtomicFileWriter.h"
#include "filewrite/SaveTarget.h"
#include "tumbleway/tumbleway_ext.h"

void expectSavable(const std::filesystem::path& file, const std::string& what) {
    expectFolderOf(file, what);
    const SaveTarget target = findSaveTarget(file.string());
    if (!target.error.empty()) {
        throw RunError(kCannotStart,
                       "cannot write " + what + " " + file.string() + " (" + target.error + ")");
    }
}

void writeOutputFile(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes,
                     const std::string& what) {
    AtomicFileWriter out(file.string());
    out.write(bytes.data(), bytes.size());
    if (bytes.empty() || !out.commit()) {
        const std::string why = out.error().empty() ? "it cannot be encoded" : out.error();
        throw RunError(kRunFailed, "cannot write " + what + " " + file.string() + " (" + why +
                                       "); nothing of it is kept");
    }
}

void writeCourseGltf(const std::filesystem::path& file) {
    char why[512] = {};
    if (twx_export_gltf(file.string().c_str(), why, sizeof why) != TWX_OK) {
        throw RunError(kRunFailed, "cannot write the glTF export " + file.string() + " (" + why +
                                       "); nothing of it is kept");
    }
}
