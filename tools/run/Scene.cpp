#include "Scene.h"

#include <cstdint>

#include "Folders.h"
#include "Messages.h"
#include "RunError.h"
#include "files/SessionFileIO.h"
#include "files/SimulationFile.h"
#include "tumbleway/tumbleway_ext.h"

namespace fs = std::filesystem;

namespace {

using Reader = bool (*)(const std::string&, SceneFile&);

bool readXml(const std::string& name, SceneFile& scene) {
    return readSimulationFile(name, scene.session, &scene.extras);
}

bool readSim(const std::string& name, SceneFile& scene) {
    return readSessionFile(name, scene.session);
}

Reader readerFor(const fs::path& scene) {
    const std::string ext = scene.extension().string();
    if (ext == ".xml" || ext == ".XML") {
        return readXml;
    }
    if (ext == ".sim" || ext == ".SIM") {
        return readSim;
    }
    throw RunError(kCannotStart, "the scene " + scene.string() + " is neither .xml nor .sim");
}

// The tree item the opened course is filed under; the runner shows no tree.
HTREEITEM courseItem() {
    return reinterpret_cast<HTREEITEM>(std::uintptr_t{1});
}

} // namespace

SceneFile readScene(const fs::path& scene) {
    std::error_code error;
    const fs::file_status status = fs::status(scene, error);
    if (error && status.type() != fs::file_type::not_found) {
        throw RunError(kCannotStart,
                       "cannot reach the scene " + scene.string() + " (" + error.message() + ")");
    }
    if (!fs::is_regular_file(status)) {
        throw RunError(kCannotStart, "no scene file " + scene.string());
    }
    const Reader reader = readerFor(scene);
    enterFolder(scene.parent_path(), "the scene's folder");
    SceneFile file;
    bool read = false;
    const std::vector<KeptMessage> messages =
        keepMessagesOf([&] { read = reader(scene.filename().string(), file); });
    if (!read) {
        const std::string why = joinedText(messages);
        throw RunError(kCannotStart, "cannot read the scene " + scene.string() +
                                         (why.empty() ? "" : " (" + why + ")"));
    }
    showMessages(messages);
    return file;
}

void openScene(SceneFile& scene, const fs::path& folder, std::optional<int> control) {
    enterFolder(folder, "the scene's folder");
    scene.session.item = courseItem();
    scene.session.built = 0;
    int number = 0;
    const std::vector<TwxMeshExtra>& extras = scene.extras.meshes;
    twx_restore_session(&scene.session, &number, extras.data(), static_cast<int>(extras.size()));
    xll_setListCourse(courseItem());
    if (control && twx_set_controlled_mesh(*control) < 0) {
        throw RunError(kCannotStart, "--control " + std::to_string(*control) +
                                         ": no such placed mesh (the scene places " +
                                         std::to_string(twx_mesh_count()) + ", from 0)");
    }
}
