// Reader of the resource text format (resources/README.md). Line oriented: a line holds words,
// numbers and double-quoted texts; '#' outside a text starts a comment.
#include "ui/resources/ResourceRegistry.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

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

bool toInt(const Token& t, long& value) {
    if (t.quoted || t.text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtol(t.text.c_str(), &end, 0);
    return errno == 0 && end && *end == '\0' && value >= -2147483647L - 1 && value <= 4294967295L;
}

} // namespace

class ResourceParser {
public:
    ResourceParser(ResourceRegistry& reg, std::string baseFolder, std::string name)
        : reg_(reg), base_(std::move(baseFolder)), name_(std::move(name)) {}

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
        if (index >= toks_.size() || !toInt(toks_[index], v)) {
            why = std::string("expected ") + what;
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
    std::vector<std::string> wordsFrom(size_t index) const {
        std::vector<std::string> w;
        for (size_t i = index; i < toks_.size(); ++i)
            w.push_back(upper(toks_[i].text));
        return w;
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
        r = RECT{static_cast<LONG>(x), static_cast<LONG>(y), static_cast<LONG>(x + w),
                 static_cast<LONG>(y + h)};
        return true;
    }

    bool handleLine(std::string& why) {
        const std::string head = toks_[0].quoted ? std::string() : upper(toks_[0].text);
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

    bool topLine(const std::string& head, std::string& why) {
        long id = 0;
        if (head == "STRINGTABLE") {
            state_ = State::Strings;
            return true;
        }
        if (head == "STRING") {
            std::string t;
            if (!number(1, id, why, "string id") || !text(2, t, why, "string"))
                return false;
            reg_.strings_[static_cast<UINT>(id)] = t;
            return true;
        }
        if (head == "DIALOG") {
            dialog_ = DialogTemplate{};
            if (!number(1, id, why, "dialog id") || !readRect(2, dialog_.rect, why) ||
                !text(6, dialog_.caption, why, "caption"))
                return false;
            dialog_.id = static_cast<int>(id);
            dialog_.styles = wordsFrom(7);
            state_ = State::Dialog;
            return true;
        }
        if (head == "MENU") {
            if (!number(1, id, why, "menu id"))
                return false;
            menu_ = MenuTemplate{};
            menu_.id = static_cast<int>(id);
            stack_.clear();
            state_ = State::Menu;
            return true;
        }
        if (head == "ACCELERATORS") {
            if (!number(1, id, why, "accelerator table id"))
                return false;
            accelId_ = static_cast<int>(id);
            accel_.clear();
            state_ = State::Accelerators;
            return true;
        }
        if (head == "TOOLBAR") {
            toolbar_ = ToolbarTemplate{};
            std::string file;
            long w = 0, h = 0;
            if (!number(1, id, why, "tool bar id") || !text(2, file, why, "image strip file") ||
                !number(3, w, why, "button width") || !number(4, h, why, "button height"))
                return false;
            if (w <= 0 || h <= 0 || w > 256 || h > 256) {
                why = "button size out of range";
                return false;
            }
            toolbar_.id = static_cast<int>(id);
            toolbar_.bitmapPath = resolve(file);
            toolbar_.buttonWidth = static_cast<int>(w);
            toolbar_.buttonHeight = static_cast<int>(h);
            state_ = State::Toolbar;
            return true;
        }
        if (head == "DATA") {
            std::string file;
            if (!number(1, id, why, "data id") || !text(2, file, why, "file name"))
                return false;
            std::ifstream in(resolve(file), std::ios::binary);
            if (!in) {
                why = "cannot read data file " + file;
                return false;
            }
            std::vector<BYTE> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            reg_.data_[static_cast<int>(id)] = std::move(bytes);
            return true;
        }
        if (head == "IMAGE" || head == "ICON" || head == "CURSOR") {
            ImageEntry e;
            std::string file;
            if (!number(1, id, why, "image id") || !text(2, file, why, "file name"))
                return false;
            e.path = resolve(file);
            if (head == "CURSOR") {
                long hx = 0, hy = 0;
                if (toks_.size() > 3 &&
                    (!number(3, hx, why, "hot spot x") || !number(4, hy, why, "hot spot y")))
                    return false;
                e.hotX = static_cast<int>(hx);
                e.hotY = static_cast<int>(hy);
                reg_.cursors_[static_cast<int>(id)] = e;
            } else if (head == "ICON") {
                reg_.icons_[static_cast<int>(id)] = e;
            } else {
                reg_.images_[static_cast<int>(id)] = e;
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
        std::string t;
        if (!number(0, id, why, "string id") || !text(1, t, why, "string"))
            return false;
        if (toks_.size() > 2) {
            why = "extra words after the string";
            return false;
        }
        reg_.strings_[static_cast<UINT>(id)] = t;
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
            if (!number(1, pts, why, "font size") || !text(2, dialog_.fontFace, why, "font face"))
                return false;
            dialog_.fontPoints = static_cast<int>(pts);
            return true;
        }
        if (head.empty()) {
            why = "expected a control kind";
            return false;
        }
        ControlTemplate c;
        long id;
        c.kind = head;
        if (!number(1, id, why, "control id") || !text(2, c.text, why, "control text") ||
            !readRect(3, c.rect, why))
            return false;
        c.id = static_cast<int>(id);
        c.styles = wordsFrom(7);
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
            item.kind = MenuItemTemplate::Separator;
            menuLevel().push_back(item);
            return true;
        }
        if (head == "POPUP") {
            item.kind = MenuItemTemplate::Popup;
            if (!text(1, item.text, why, "popup text"))
                return false;
            item.styles = wordsFrom(2);
            auto& level = menuLevel();
            level.push_back(std::move(item));
            stack_.push_back(&level.back());
            return true;
        }
        if (head == "ITEM") {
            long id;
            if (!number(1, id, why, "command id") || !text(2, item.text, why, "item text"))
                return false;
            item.id = static_cast<int>(id);
            item.styles = wordsFrom(3);
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
        if (!text(0, e.key, why, "key") || !number(1, cmd, why, "command id"))
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
            toolbar_.commands.push_back(0);
            return true;
        }
        long cmd;
        if (head != "BUTTON" || !number(1, cmd, why, "command id") || cmd <= 0) {
            why = "expected BUTTON <command id> or SEPARATOR";
            return false;
        }
        toolbar_.commands.push_back(static_cast<int>(cmd));
        return true;
    }

    ResourceRegistry& reg_;
    std::string base_;
    std::string name_;
    int lineNo_ = 0;
    std::vector<Token> toks_;
    State state_ = State::Top;
    DialogTemplate dialog_;
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

bool ResourceRegistry::LoadFile(const std::string& path, std::string* error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (error)
            *error = path + ": cannot open";
        return false;
    }
    std::ostringstream all;
    all << in.rdbuf();
    auto slash = path.find_last_of('/');
    std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash);
    return LoadText(all.str(), folder, path, error);
}

} // namespace ui
