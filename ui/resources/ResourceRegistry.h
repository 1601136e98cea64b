// The resources of a program by numeric id: strings, dialog templates, menus, accelerator
// tables, tool bars, images, cursors and data blocks. They are read from text files (format in
// resources/README.md): first the program's own folder (resources/<program>/ and resources/common/), then, at
// run time, the language bundle named in the settings. An entry of the bundle takes the place of the
// program's own entry of the same kind and id; what the bundle does not hold stays.
#pragma once

#include "platform/WinTypes.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ui {

// A control of a dialog template. The rectangle is in dialog units.
struct ControlTemplate {
    std::string kind; // PUSHBUTTON, DEFPUSHBUTTON, LTEXT, EDITTEXT, ... (resources/README.md)
    int id = -1;      // -1 for statics nobody addresses
    std::string text;
    RECT rect{}; // left, top, right, bottom in dialog units
    std::vector<std::string> styles;
    bool HasStyle(const std::string& name) const;
};

struct DialogTemplate {
    int id = 0;
    std::string caption;
    RECT rect{}; // in dialog units; left and top are the position, right/bottom the size
    std::vector<std::string> styles;
    std::string fontFace; // empty: the layer's dialog font
    int fontPoints = 0;   // 0: the layer's dialog font size
    std::vector<ControlTemplate> controls;
    bool HasStyle(const std::string& name) const;
    const ControlTemplate* FindControl(int controlId) const;
};

struct MenuItemTemplate {
    enum Kind { Item, Separator, Popup } kind = Item;
    int id = 0;
    std::string text;                       // "&" marks the mnemonic; "\t" separates the accelerator text
    std::vector<std::string> styles;        // GRAYED, CHECKED, RADIO, CHECKABLE
    std::vector<MenuItemTemplate> children; // of a popup
};

struct MenuTemplate {
    int id = 0;
    std::vector<MenuItemTemplate> items; // the top-level popups
};

struct AcceleratorEntry {
    std::string key; // "Ctrl+S", "F5", "Del", "Shift+Ins" as wx spells accelerator keys
    int command = 0;
};

struct ImageEntry {
    std::string path;       // absolute file path
    int hotX = 0, hotY = 0; // cursors only
};

// A tool bar: a strip of equally wide button images, one image per button in order (separators
// take none), and the command ids of the buttons; 0 is a separator.
struct ToolbarTemplate {
    int id = 0;
    std::string bitmapPath; // absolute path of the image strip
    int buttonWidth = 16;
    int buttonHeight = 15;
    std::vector<int> commands;  // 0: separator
    size_t ButtonCount() const; // commands other than separators
};

class ResourceRegistry {
public:
    // Reads one text file; a later entry of the same kind and id replaces an earlier one.
    // Returns false (with "file:line: reason" in error) on any error: a syntax error, a malformed
    // number, an unknown control kind or style, a control id used twice in one template, or a
    // file that an IMAGE, ICON, CURSOR, TOOLBAR or DATA entry names and that is not there. A
    // file with an error adds nothing; what was read before stays.
    bool LoadFile(const std::string& path, std::string* error = nullptr);
    // Reads every *.txt of a folder in name order; a later file's entry replaces an earlier one
    // of the same id (a language bundle's files), unless refuseRepeatedIds: then an id two files
    // define is an error (the program's own resources, where it would leave one unused). Returns
    // false when the folder does not exist or a file has an error.
    bool LoadFolder(const std::string& folder, std::string* error = nullptr, bool refuseRepeatedIds = false);
    // Reads the text of a resource file given as a string (name only for messages).
    bool LoadText(const std::string& text, const std::string& baseFolder, const std::string& name,
                  std::string* error = nullptr);

    // Lookups: null / empty when the id is unknown.
    const std::string* FindString(UINT id) const;
    std::string LoadString(UINT id) const; // empty when missing
    // The first id (as "string 842", "template 600", …) that both registries define; empty when
    // they share none.
    std::string FirstIdAlsoIn(const ResourceRegistry& other) const;
    const DialogTemplate* FindDialog(int id) const;
    const MenuTemplate* FindMenu(int id) const;
    const std::vector<AcceleratorEntry>* FindAccelerators(int id) const;
    const ImageEntry* FindImage(int id) const; // bitmaps
    const ImageEntry* FindIcon(int id) const;
    const ImageEntry* FindCursor(int id) const;
    const ToolbarTemplate* FindToolbar(int id) const;
    // The bytes of a data block, read from its file when the resource text was loaded.
    const std::vector<BYTE>* FindData(int id) const;

    size_t StringCount() const { return strings_.size(); }
    size_t DialogCount() const { return dialogs_.size(); }
    // Takes every entry of other in place of an entry of the same kind and id.
    void MergeFrom(const ResourceRegistry& other);
    void Clear();

private:
    friend class ResourceParser;
    std::map<UINT, std::string> strings_;
    std::map<int, DialogTemplate> dialogs_;
    std::map<int, MenuTemplate> menus_;
    std::map<int, std::vector<AcceleratorEntry>> accelerators_;
    std::map<int, ImageEntry> images_;
    std::map<int, ImageEntry> icons_;
    std::map<int, ImageEntry> cursors_;
    std::map<int, ToolbarTemplate> toolbars_;
    std::map<int, std::vector<BYTE>> data_;
};

// The control kinds a dialog template may hold, each with the style words it takes besides
// those every control takes (resources/README.md lists the same table). Anything else is an
// error of the resource file.
const std::map<std::string, std::vector<std::string>>& KnownControlStyles();
const std::vector<std::string>& StylesOfEveryControl(); // DISABLED, HIDDEN

// The registry every window of the program uses.
ResourceRegistry& Resources();

// The text a message box of this string id shows: the string table entry with %1-style arguments
// filled in, "(id)" when the entry is missing.
std::string MessageText(UINT stringId, const std::vector<std::string>& args);

// Loads the program's own resources: resources/common and resources/<program> from the folder
// beside the program (<program folder>/resources), else from the source tree the program was
// built from. Replaces what Resources() held. Returns false when no folder was found.
bool LoadProgramResources(const std::string& program, std::string* error = nullptr);

// Loads the language bundle for the library name the settings give ("QV_l_jpn.dll" → the
// folder "QV_l_jpn" beside the program, or a folder path when the name holds a '/'). A bundle
// that does not exist or cannot be read is ignored and the program's own resources stay; the
// result tells whether a bundle was taken.
bool LoadLanguageBundle(const std::string& libraryName, std::string* error = nullptr);
// The folder of the running program.
std::string ProgramFolder();
// Folder a bundle name resolves to (see LoadLanguageBundle).
std::string BundleFolderFor(const std::string& libraryName);

} // namespace ui
