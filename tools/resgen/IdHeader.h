// The header of constexpr id names of one resource folder (resources/README.md, "Names"): the
// names its bundle files give their ids, grouped by kind (cmd, str, dlg, ...) and, for controls, by
// the name of their dialog, all in one namespace (uiid, vtid, bxid).
#pragma once

#include "ui/resources/ResourceNames.h"

#include <string>
#include <vector>

class IdHeader {
public:
    explicit IdHeader(std::string space, std::string source = {})
        : space_(std::move(space)), source_(std::move(source)) {}

    // The names of one file (as ui::ReadResourceNames gives them), in the order the files are read.
    void Add(const std::string& file, const std::vector<ui::ResourceName>& names);

    // The text of the header; false with one "file:line: reason" per fault instead: one name with
    // two numbers or one number with two names in one kind or dialog, a named control of a dialog
    // without a name, a dialog named like a kind, an id beyond the range of an int.
    bool Render(std::string& text, std::vector<std::string>& errors) const;

private:
    struct Entry {
        ui::ResourceName name;
        std::string file;
        std::string Where() const { return file + ":" + std::to_string(name.line); }
    };
    std::string space_;
    std::string source_; // said in the header's first line
    std::vector<Entry> entries_;
};
