#include "OutputFile.h"

#include "Folders.h"
#include "RunError.h"
#include "files/AtomicFileWriter.h"
#include "files/SaveTarget.h"

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
