#include "Preview.h"

#include <cstdint>
#include <string>

#include "Messages.h"
#include "RunError.h"
#include "tumbleway/NameField.h"
#include "tumbleway/tumbleway_ext.h"

void showInPreview(const std::filesystem::path& mesh) {
    const std::string name = mesh.filename().string();
    std::string extension = mesh.extension().string();
    extension.erase(0, extension.empty() ? 0 : 1);
    if (name.size() >= static_cast<std::size_t>(kNameFieldSize) ||
        mesh.string().size() >= static_cast<std::size_t>(kNameFieldSize)) {
        throw RunError(kCannotStart, "--preview: the name " + mesh.string() + " is too long");
    }
    LF_t file{};
    setNameField(file.path, mesh.string());
    setNameField(file.name, name);
    setNameField(file.ext, extension);
    // The runner shows no tree: the library entry needs an item all the same. Courses
    // take item 1.
    HTREEITEM item = reinterpret_cast<HTREEITEM>(std::uintptr_t{2});
    const std::vector<KeptMessage> messages =
        keepMessagesOf([&] { xll_ui_push_xfile(&file, &item); });
    if (twx_library_holds(item) != 1) {
        const std::string why = joinedText(messages);
        throw RunError(kCannotStart, "cannot load the mesh " + mesh.string() +
                                         (why.empty() ? "" : " (" + why + ")"));
    }
    showMessages(messages);
    xll_setListXfile(item);
}
