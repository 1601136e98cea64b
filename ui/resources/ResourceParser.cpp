// Reader of the resource text format (resources/README.md). Line oriented: a line holds words,
// numbers and double-quoted texts; '#' outside a text starts a comment.
#include "ui/resources/ResourceNames.h"
#include "ui/resources/ResourceRegistry.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

#include <sys/stat.h>

namespace ui {

namespace {

struct Token {
    std::string text;
    bool quoted = false;
};

std::string upper(std::string s) {
    for (auto& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// Splits a line; false with a message on an unterminated text or an unknown escape.
bool tokenize(const std::string& line, std::vector<Token>& out, std::string& error) {
    out.clear();
    size_t i = 0;
    while (i < line.size()) {
        char c = line[i];
        if (c == ' ' || c == '\t' || c == '\r') {
            ++i;
        } else if (c == '#') {
            break;
        } else if (c == '"') {
            Token t;
            t.quoted = true;
            ++i;
            bool closed = false;
            while (i < line.size()) {
                char d = line[i++];
                if (d == '"') {
                    closed = true;
                    break;
                }
                if (d == '\\') {
                    if (i >= line.size()) {
                        error = "backslash at end of line";
                        return false;
                    }
                    char e = line[i++];
                    switch (e) {
                    case 'n':
                        t.text += '\n';
                        break;
                    case 't':
                        t.text += '\t';
                        break;
                    case '"':
                        t.text += '"';
                        break;
                    case '\\':
                        t.text += '\\';
                        break;
                    default:
                        error = std::string("unknown escape \\") + e;
                        return false;
                    }
                } else {
                    t.text += d;
                }
            }
            if (!closed) {
                error = "text not closed";
                return false;
            }
            out.push_back(std::move(t));
        } else {
            Token t;
            while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r' && line[i] != '"')
                t.text += line[i++];
            out.push_back(std::move(t));
        }
    }
    return true;
}

// Decimal (leading '-' allowed) or 0x hexadecimal; nothing else, so "010" is ten and "12abc",
// "1e3" or "0x" are malformed. The value must fit in 32 bits (signed or unsigned).
bool toInt(const Token& t, long& value) {
    if (t.quoted || t.text.empty())
        return false;
    const std::string& s = t.text;
    size_t i = 0;
    bool negative = false;
    int base = 10;
    if (s[0] == '-') {
        negative = true;
        i = 1;
    } else if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        base = 16;
        i = 2;
    }
    if (i >= s.size())
        return false;
    long long v = 0;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return false;
        v = v * base + digit;
        if (v > 4294967295LL)
            return false;
    }
    if (negative)
        v = -v;
    if (v < -2147483648LL)
        return false;
    value = static_cast<long>(v);
    return true;
}

bool isRegularFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

const std::vector<std::string> kEveryControlStyle = {"DISABLED", "HIDDEN"};
const std::vector<std::string> kDialogStyles = {"RESIZE", "NOCAPTION", "ABSOLUTE"};
const std::vector<std::string> kMenuItemStyles = {"GRAYED", "CHECKABLE", "CHECKED", "RADIO"};

bool contains(const std::vector<std::string>& list, const std::string& word) {
    return std::find(list.begin(), list.end(), word) != list.end();
}

bool isAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// A name: an ASCII letter, then letters, digits and '_'.
bool isName(const std::string& s) {
    if (s.empty() || !isAsciiLetter(s[0]))
        return false;
    return std::all_of(s.begin(), s.end(),
                       [](char c) { return isAsciiLetter(c) || (c >= '0' && c <= '9') || c == '_'; });
}

} // namespace

const std::map<std::string, std::vector<std::string>>& KnownControlStyles() {
    static const std::map<std::string, std::vector<std::string>> table = {
        {"PUSHBUTTON", {"PUSHLIKE"}},
        {"DEFPUSHBUTTON", {"PUSHLIKE"}},
        {"AUTOCHECKBOX", {"3STATE", "PUSHLIKE"}},
        {"CHECKBOX", {"3STATE", "PUSHLIKE"}},
        {"RADIOBUTTON", {"GROUP"}},
        {"GROUPBOX", {}},
        {"LTEXT", {"SUNKEN", "BORDER"}},
        {"CTEXT", {"SUNKEN", "BORDER"}},
        {"RTEXT", {"SUNKEN", "BORDER"}},
        {"EDITTEXT", {"MULTILINE", "READONLY", "PASSWORD", "RIGHT", "CENTER"}},
        {"COMBOBOX", {"DROPDOWNLIST", "SORT"}},
        {"LISTBOX", {"SORT"}},
        {"SLIDER", {"VERTICAL", "AUTOTICKS"}},
        {"PROGRESS", {"VERTICAL"}},
        {"LISTVIEW", {"ICONS", "SINGLESEL", "NOHEADER"}},
        {"TREEVIEW", {}},
        {"SPIN", {"HORIZONTAL"}},
        {"BITMAP", {"SUNKEN", "BORDER"}},
        {"FRAME", {"SUNKEN"}},
        {"CUSTOM", {}},
    };
    return table;
}

const std::vector<std::string>& StylesOfEveryControl() {
    return kEveryControlStyle;
}

class ResourceParser {
public:
    ResourceParser(ResourceRegistry& reg, std::string baseFolder, std::string name,
                   std::vector<ResourceName>* names = nullptr)
        : reg_(reg), base_(std::move(baseFolder)), name_(std::move(name)), names_(names) {}

    bool Parse(const std::string& text, std::string* error) {
        std::istringstream in(text);
        std::string line;
        lineNo_ = 0;
        while (std::getline(in, line)) {
            ++lineNo_;
            if (lineNo_ == 1 && line.compare(0, 3, "\xEF\xBB\xBF") == 0)
                line.erase(0, 3);
            std::string why;
            if (!tokenize(line, toks_, why))
                return fail(why, error);
            if (toks_.empty())
                continue;
            if (!handleLine(why))
                return fail(why, error);
        }
        if (state_ != State::Top)
            return fail("missing END at end of file", error);
        return true;
    }

private:
    enum class State { Top, Strings, Dialog, Menu, Accelerators, Toolbar };

    bool fail(const std::string& why, std::string* error) {
        if (error)
            *error = name_ + ":" + std::to_string(lineNo_) + ": " + why;
        return false;
    }

    std::string resolve(const std::string& file) const {
        if (!file.empty() && file[0] == '/')
            return file;
        return base_.empty() ? file : base_ + "/" + file;
    }

    bool number(size_t index, long& v, std::string& why, const char* what) {
        if (index >= toks_.size() || toks_[index].quoted) {
            why = std::string("expected ") + what;
            return false;
        }
        if (!toInt(toks_[index], v)) {
            why = "malformed number " + toks_[index].text + " (" + what + ")";
            return false;
        }
        return true;
    }
    bool text(size_t index, std::string& v, std::string& why, const char* what) {
        if (index >= toks_.size() || !toks_[index].quoted) {
            why = std::string("expected quoted ") + what;
            return false;
        }
        v = toks_[index].text;
        return true;
    }
    // The style words from index on, each one of allowed (or of also); false naming the first
    // word that is not.
    bool stylesFrom(size_t index, const std::vector<std::string>& allowed, std::vector<std::string>& out,
                    std::string& why, const std::string& of, const std::vector<std::string>& also = {}) {
        out.clear();
        for (size_t i = index; i < toks_.size(); ++i) {
            const std::string word = upper(toks_[i].text);
            if (toks_[i].quoted || (!contains(allowed, word) && !contains(also, word))) {
                why = "unknown style " + (toks_[i].quoted ? "\"" + toks_[i].text + "\"" : toks_[i].text) +
                      " of " + of;
                return false;
            }
            out.push_back(word);
        }
        return true;
    }
    bool noMoreFrom(size_t index, std::string& why) {
        if (index < toks_.size()) {
            why = "unexpected " + toks_[index].text + " at the end of the line";
            return false;
        }
        return true;
    }
    // The path of a file the entry refers to; false when it is not there.
    bool referencedFile(size_t index, std::string& path, std::string& why, const char* what) {
        std::string file;
        if (!text(index, file, why, what))
            return false;
        path = resolve(file);
        if (!isRegularFile(path)) {
            why = std::string("missing ") + what + " " + path;
            return false;
        }
        return true;
    }
    bool readRect(size_t index, RECT& r, std::string& why) {
        long x, y, w, h;
        if (!number(index, x, why, "x") || !number(index + 1, y, why, "y") ||
            !number(index + 2, w, why, "width") || !number(index + 3, h, why, "height"))
            return false;
        if (w < 0 || h < 0) {
            why = "negative size";
            return false;
        }
        // Dialog units are 16-bit quantities; larger values are typing errors.
        if (x < -32768 || x > 32767 || y < -32768 || y > 32767 || w > 32767 || h > 32767) {
            why = "position or size out of range";
            return false;
        }
        r = RECT{static_cast<LONG>(x), static_cast<LONG>(y), static_cast<LONG>(x + w),
                 static_cast<LONG>(y + h)};
        return true;
    }

    // The optional name of the id at toks_[index - 1]: an unquoted word that is not a number
    // (those start with a digit or '-'). next is where the entry goes on. A name must be well
    // formed and is refused on a negative id (-1: a control nobody addresses).
    bool optionalName(size_t index, long id, std::string& name, size_t& next, std::string& why) {
        name.clear();
        next = index;
        if (index >= toks_.size() || toks_[index].quoted)
            return true;
        const std::string& word = toks_[index].text;
        if (word[0] == '-' || (word[0] >= '0' && word[0] <= '9'))
            return true;
        if (!isName(word)) {
            why = "bad name " + word + " (an ASCII letter, then letters, digits and _)";
            return false;
        }
        if (id < 0) {
            why = "id " + std::to_string(id) + " takes no name (" + word + ")";
            return false;
        }
        name = word;
        next = index + 1;
        return true;
    }
    void record(const char* kind, const std::string& name, long id) {
        if (!names_ || name.empty())
            return;
        ResourceName n;
        n.kind = kind;
        n.name = name;
        n.id = id;
        n.line = lineNo_;
        if (n.kind == "control") {
            n.dialog = dialogName_;
            n.dialogId = dialog_.id;
        }
        names_->push_back(std::move(n));
    }

    bool handleLine(std::string& why) {
        const std::string head = toks_[0].quoted ? std::string() : upper(toks_[0].text);
        if ((head == "END" || head == "STRINGTABLE") && !noMoreFrom(1, why))
            return false;
        switch (state_) {
        case State::Top:
            return topLine(head, why);
        case State::Strings:
            return stringLine(head, why);
        case State::Dialog:
            return dialogLine(head, why);
        case State::Menu:
            return menuLine(head, why);
        case State::Accelerators:
            return accelLine(head, why);
        case State::Toolbar:
            return toolbarLine(head, why);
        }
        return false;
    }

    // The id at toks_[1] and its optional name; at is where the entry goes on.
    bool idAndName(const char* what, long& id, std::string& name, size_t& at, std::string& why) {
        return number(1, id, why, what) && optionalName(2, id, name, at, why);
    }

    bool topLine(const std::string& head, std::string& why) {
        long id = 0;
        std::string name;
        size_t at = 2;
        if (head == "STRINGTABLE") {
            state_ = State::Strings;
            return true;
        }
        if (head == "COMMAND") {
            // Names a command id that no menu item holds; nothing for the registry.
            if (!number(1, id, why, "command id") || !optionalName(2, id, name, at, why))
                return false;
            if (name.empty()) {
                why = "expected the name of command " + std::to_string(id);
                return false;
            }
            if (id <= 0) {
                why = "command id must be positive";
                return false;
            }
            if (!noMoreFrom(at, why))
                return false;
            record("cmd", name, id);
            return true;
        }
        if (head == "STRING") {
            std::string t;
            if (!idAndName("string id", id, name, at, why) || !text(at, t, why, "string") ||
                !noMoreFrom(at + 1, why))
                return false;
            reg_.strings_[static_cast<UINT>(id)] = t;
            record("str", name, id);
            return true;
        }
        if (head == "DIALOG") {
            dialog_ = DialogTemplate{};
            if (!idAndName("dialog id", id, name, at, why) || !readRect(at, dialog_.rect, why) ||
                !text(at + 4, dialog_.caption, why, "caption"))
                return false;
            dialog_.id = static_cast<int>(id);
            if (!stylesFrom(at + 5, kDialogStyles, dialog_.styles, why, "DIALOG"))
                return false;
            controlLines_.clear();
            dialogName_ = name;
            record("dlg", name, id);
            state_ = State::Dialog;
            return true;
        }
        if (head == "MENU") {
            if (!idAndName("menu id", id, name, at, why) || !noMoreFrom(at, why))
                return false;
            menu_ = MenuTemplate{};
            menu_.id = static_cast<int>(id);
            stack_.clear();
            record("menu", name, id);
            state_ = State::Menu;
            return true;
        }
        if (head == "ACCELERATORS") {
            if (!idAndName("accelerator table id", id, name, at, why) || !noMoreFrom(at, why))
                return false;
            accelId_ = static_cast<int>(id);
            accel_.clear();
            record("accel", name, id);
            state_ = State::Accelerators;
            return true;
        }
        if (head == "TOOLBAR") {
            toolbar_ = ToolbarTemplate{};
            std::string path;
            long w = 0, h = 0;
            if (!idAndName("tool bar id", id, name, at, why) ||
                !referencedFile(at, path, why, "image strip file") ||
                !number(at + 1, w, why, "button width") || !number(at + 2, h, why, "button height") ||
                !noMoreFrom(at + 3, why))
                return false;
            if (w <= 0 || h <= 0 || w > 256 || h > 256) {
                why = "button size out of range";
                return false;
            }
            toolbar_.id = static_cast<int>(id);
            toolbar_.bitmapPath = path;
            toolbar_.buttonWidth = static_cast<int>(w);
            toolbar_.buttonHeight = static_cast<int>(h);
            record("toolbar", name, id);
            state_ = State::Toolbar;
            return true;
        }
        if (head == "DATA") {
            std::string path;
            if (!idAndName("data id", id, name, at, why) || !referencedFile(at, path, why, "data file") ||
                !noMoreFrom(at + 1, why))
                return false;
            std::ifstream in(path, std::ios::binary);
            if (!in) {
                why = "cannot read data file " + path;
                return false;
            }
            std::vector<BYTE> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            reg_.data_[static_cast<int>(id)] = std::move(bytes);
            record("data", name, id);
            return true;
        }
        if (head == "IMAGE" || head == "ICON" || head == "CURSOR") {
            ImageEntry e;
            const std::string what = head == "IMAGE"  ? "image file"
                                     : head == "ICON" ? "icon file"
                                                      : "cursor file";
            if (!idAndName("image id", id, name, at, why) || !referencedFile(at, e.path, why, what.c_str()))
                return false;
            if (head == "CURSOR") {
                long hx = 0, hy = 0;
                if (toks_.size() > at + 1 &&
                    (!number(at + 1, hx, why, "hot spot x") || !number(at + 2, hy, why, "hot spot y") ||
                     !noMoreFrom(at + 3, why)))
                    return false;
                e.hotX = static_cast<int>(hx);
                e.hotY = static_cast<int>(hy);
                reg_.cursors_[static_cast<int>(id)] = e;
                record("cursor", name, id);
            } else if (!noMoreFrom(at + 1, why)) {
                return false;
            } else if (head == "ICON") {
                reg_.icons_[static_cast<int>(id)] = e;
                record("icon", name, id);
            } else {
                reg_.images_[static_cast<int>(id)] = e;
                record("img", name, id);
            }
            return true;
        }
        why = "unknown entry " + toks_[0].text;
        return false;
    }

    bool stringLine(const std::string& head, std::string& why) {
        if (head == "END") {
            state_ = State::Top;
            return true;
        }
        long id;
        std::string t, name;
        size_t at = 1;
        if (!number(0, id, why, "string id") || !optionalName(1, id, name, at, why) ||
            !text(at, t, why, "string"))
            return false;
        if (toks_.size() > at + 1) {
            why = "extra words after the string";
            return false;
        }
        reg_.strings_[static_cast<UINT>(id)] = t;
        record("str", name, id);
        return true;
    }

    bool dialogLine(const std::string& head, std::string& why) {
        if (head == "END") {
            reg_.dialogs_[dialog_.id] = std::move(dialog_);
            state_ = State::Top;
            return true;
        }
        if (head == "FONT") {
            long pts;
            if (!number(1, pts, why, "font size") || !text(2, dialog_.fontFace, why, "font face") ||
                !noMoreFrom(3, why))
                return false;
            if (pts <= 0 || pts > 200) {
                why = "font size out of range";
                return false;
            }
            dialog_.fontPoints = static_cast<int>(pts);
            return true;
        }
        if (head.empty()) {
            why = "expected a control kind";
            return false;
        }
        const auto known = KnownControlStyles().find(head);
        if (known == KnownControlStyles().end()) {
            why = "unknown control kind " + toks_[0].text;
            return false;
        }
        ControlTemplate c;
        long id;
        std::string name;
        size_t at = 2;
        c.kind = head;
        if (!idAndName("control id", id, name, at, why) || !text(at, c.text, why, "control text") ||
            !readRect(at + 1, c.rect, why) ||
            !stylesFrom(at + 5, known->second, c.styles, why, head, kEveryControlStyle))
            return false;
        c.id = static_cast<int>(id);
        if (head == "BITMAP") {
            long image;
            if (!toInt(Token{c.text, false}, image)) {
                why = "the text of a BITMAP is an image id, not \"" + c.text + "\"";
                return false;
            }
        }
        if (c.id != -1) {
            auto [at, fresh] = controlLines_.emplace(c.id, lineNo_);
            if (!fresh) {
                why = "duplicate control id " + std::to_string(c.id) + " (first on line " +
                      std::to_string(at->second) + ")";
                return false;
            }
        }
        record("control", name, id);
        dialog_.controls.push_back(std::move(c));
        return true;
    }

    std::vector<MenuItemTemplate>& menuLevel() {
        return stack_.empty() ? menu_.items : stack_.back()->children;
    }

    bool menuLine(const std::string& head, std::string& why) {
        if (head == "END") {
            if (stack_.empty()) {
                reg_.menus_[menu_.id] = std::move(menu_);
                state_ = State::Top;
            } else {
                stack_.pop_back();
            }
            return true;
        }
        MenuItemTemplate item;
        if (head == "SEPARATOR") {
            if (!noMoreFrom(1, why))
                return false;
            item.kind = MenuItemTemplate::Separator;
            menuLevel().push_back(item);
            return true;
        }
        if (head == "POPUP") {
            item.kind = MenuItemTemplate::Popup;
            if (!text(1, item.text, why, "popup text") || !noMoreFrom(2, why))
                return false;
            auto& level = menuLevel();
            level.push_back(std::move(item));
            stack_.push_back(&level.back());
            return true;
        }
        if (head == "ITEM") {
            long id;
            std::string name;
            size_t at = 2;
            if (!idAndName("command id", id, name, at, why) || !text(at, item.text, why, "item text"))
                return false;
            item.id = static_cast<int>(id);
            if (!stylesFrom(at + 1, kMenuItemStyles, item.styles, why, "ITEM"))
                return false;
            record("cmd", name, id);
            menuLevel().push_back(std::move(item));
            return true;
        }
        why = "unknown menu entry " + toks_[0].text;
        return false;
    }

    bool accelLine(const std::string& head, std::string& why) {
        if (head == "END") {
            reg_.accelerators_[accelId_] = std::move(accel_);
            state_ = State::Top;
            return true;
        }
        AcceleratorEntry e;
        long cmd;
        if (!text(0, e.key, why, "key") || !number(1, cmd, why, "command id") || !noMoreFrom(2, why))
            return false;
        e.command = static_cast<int>(cmd);
        accel_.push_back(std::move(e));
        return true;
    }

    bool toolbarLine(const std::string& head, std::string& why) {
        if (head == "END") {
            reg_.toolbars_[toolbar_.id] = std::move(toolbar_);
            state_ = State::Top;
            return true;
        }
        if (head == "SEPARATOR") {
            if (!noMoreFrom(1, why))
                return false;
            toolbar_.commands.push_back(0);
            return true;
        }
        long cmd;
        if (head != "BUTTON") {
            why = "expected BUTTON <command id> or SEPARATOR";
            return false;
        }
        if (!number(1, cmd, why, "command id") || !noMoreFrom(2, why))
            return false;
        if (cmd <= 0) {
            why = "command id of a BUTTON must be positive";
            return false;
        }
        toolbar_.commands.push_back(static_cast<int>(cmd));
        return true;
    }

    ResourceRegistry& reg_;
    std::string base_;
    std::string name_;
    std::vector<ResourceName>* names_; // null: names are read and dropped
    std::string dialogName_;           // of the template being read
    int lineNo_ = 0;
    std::vector<Token> toks_;
    State state_ = State::Top;
    DialogTemplate dialog_;
    std::map<int, int> controlLines_; // control id -> line, for the template being read
    MenuTemplate menu_;
    std::vector<MenuItemTemplate*> stack_; // open popups; stable while their level is not grown
    int accelId_ = 0;
    std::vector<AcceleratorEntry> accel_;
    ToolbarTemplate toolbar_;
};

bool ResourceRegistry::LoadText(const std::string& text, const std::string& baseFolder,
                                const std::string& name, std::string* error) {
    // Parse into a scratch registry so that a file with an error leaves nothing half-read.
    ResourceRegistry scratch;
    ResourceParser parser(scratch, baseFolder, name);
    if (!parser.Parse(text, error))
        return false;
    MergeFrom(scratch);
    return true;
}

namespace {

// The text of a file and its folder; false with "path: cannot open".
bool readWhole(const std::string& path, std::string& text, std::string& folder, std::string* error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (error)
            *error = path + ": cannot open";
        return false;
    }
    std::ostringstream all;
    all << in.rdbuf();
    text = all.str();
    auto slash = path.find_last_of('/');
    folder = slash == std::string::npos ? std::string() : path.substr(0, slash);
    return true;
}

} // namespace

bool ResourceRegistry::LoadFile(const std::string& path, std::string* error) {
    std::string text, folder;
    return readWhole(path, text, folder, error) && LoadText(text, folder, path, error);
}

bool ReadResourceNamesFromText(const std::string& text, const std::string& baseFolder,
                               const std::string& name, std::vector<ResourceName>& names,
                               std::string* error) {
    ResourceRegistry scratch;
    std::vector<ResourceName> found;
    ResourceParser parser(scratch, baseFolder, name, &found);
    if (!parser.Parse(text, error))
        return false;
    names.insert(names.end(), found.begin(), found.end());
    return true;
}

bool ReadResourceNames(const std::string& path, std::vector<ResourceName>& names, std::string* error) {
    std::string text, folder;
    return readWhole(path, text, folder, error) &&
           ReadResourceNamesFromText(text, folder, path, names, error);
}

} // namespace ui
