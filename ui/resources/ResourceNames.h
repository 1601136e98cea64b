// The names a resource file gives its ids (resources/README.md): an optional word after the id of
// an entry, and COMMAND lines that name command ids no menu holds. The registry ignores them; the
// tool that writes the id headers reads them through the registry's own reader, so that a file
// the programs load and a file the headers come from are read alike.
#pragma once

#include <string>
#include <vector>

namespace ui {

struct ResourceName {
    // The group of the id, as the generated header's namespace: cmd (menu items and COMMAND), str,
    // dlg, menu, accel, toolbar, img, icon, cursor, data; "control" for a control of a dialog.
    std::string kind;
    std::string name;
    long id = 0;
    int line = 0;
    // Controls only: the name of their dialog (empty when it has none) and its id.
    std::string dialog;
    long dialogId = 0;
};

// Reads one resource file as ResourceRegistry::LoadFile does, with the same errors, and gives
// the names it holds in line order.
bool ReadResourceNames(const std::string& path, std::vector<ResourceName>& names,
                       std::string* error = nullptr);
// The same for a text (name only for messages; baseFolder resolves the files entries refer to).
bool ReadResourceNamesFromText(const std::string& text, const std::string& baseFolder,
                               const std::string& name, std::vector<ResourceName>& names,
                               std::string* error = nullptr);

} // namespace ui
