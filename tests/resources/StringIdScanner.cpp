#include "StringIdScanner.h"

#include <algorithm>
#include <cctype>
#include <deque>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <tuple>

namespace idscan {
namespace {

constexpr size_t npos = std::string::npos;

bool IsWordChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

std::string Trim(const std::string& s) {
    size_t a = 0, b = s.size();
    while (a < b && std::isspace(static_cast<unsigned char>(s[a])))
        ++a;
    while (b > a && std::isspace(static_cast<unsigned char>(s[b - 1])))
        --b;
    return s.substr(a, b - a);
}

// The bracket closing the one at `open`, npos when unbalanced.
size_t MatchingClose(const std::string& s, size_t open) {
    const char o = s[open];
    const char c = o == '(' ? ')' : o == '{' ? '}' : ']';
    int depth = 0;
    for (size_t i = open; i < s.size(); ++i) {
        if (s[i] == o)
            ++depth;
        else if (s[i] == c && --depth == 0)
            return i;
    }
    return npos;
}

// The parts of an argument list between commas outside brackets.
std::vector<std::string> SplitArgs(const std::string& s) {
    std::vector<std::string> out;
    int depth = 0;
    size_t start = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '(' || c == '[' || c == '{')
            ++depth;
        else if (c == ')' || c == ']' || c == '}')
            --depth;
        else if (c == ',' && depth == 0) {
            out.push_back(Trim(s.substr(start, i - start)));
            start = i + 1;
        }
    }
    const std::string last = Trim(s.substr(start));
    if (!last.empty() || !out.empty())
        out.push_back(last);
    return out;
}

// "const std::string& name = x" -> "name"; an unnamed parameter gives "".
std::string ParamName(const std::string& param) {
    std::string p = param;
    int depth = 0;
    for (size_t i = 0; i < p.size(); ++i) {
        const char c = p[i];
        if (c == '(' || c == '[' || c == '{' || c == '<')
            ++depth;
        else if (c == ')' || c == ']' || c == '}' || c == '>')
            --depth;
        else if (c == '=' && depth == 0) {
            p = p.substr(0, i);
            break;
        }
    }
    p = Trim(p);
    size_t end = p.size();
    size_t begin = end;
    while (begin > 0 && IsWordChar(p[begin - 1]))
        --begin;
    // A single word is a type without a name.
    const std::string before = Trim(p.substr(0, begin));
    if (before.empty() || before == "const")
        return "";
    return p.substr(begin, end - begin);
}

const std::set<std::string>& Keywords() {
    static const std::set<std::string> k = {"if",     "for",    "while",         "switch",   "catch",
                                            "return", "sizeof", "alignof",       "decltype", "new",
                                            "delete", "throw",  "static_assert", "defined"};
    return k;
}

const std::set<std::string>& TypeWords() {
    static const std::set<std::string> t = {"int",  "UINT", "unsigned", "DWORD", "WORD",  "LONG", "BOOL",
                                            "bool", "void", "char",     "long",  "short", "auto", "size_t"};
    return t;
}

struct Function {
    size_t begin = 0; // the opening brace of the body
    size_t end = 0;   // its closing brace
    std::string name;
    std::vector<std::string> params;
};

std::vector<Function> FindFunctions(const std::string& code) {
    std::vector<Function> out;
    for (size_t i = 0; i < code.size(); ++i) {
        if (code[i] != '{')
            continue;
        size_t j = i;
        // Skip the qualifiers between the parameter list and the body.
        for (;;) {
            while (j > 0 && std::isspace(static_cast<unsigned char>(code[j - 1])))
                --j;
            size_t w = j;
            while (w > 0 && IsWordChar(code[w - 1]))
                --w;
            const std::string word = code.substr(w, j - w);
            if (word == "const" || word == "override" || word == "noexcept" || word == "final" ||
                word == "mutable")
                j = w;
            else
                break;
        }
        if (j == 0 || code[j - 1] != ')')
            continue;
        int depth = 0;
        size_t open = npos;
        for (size_t k = j; k-- > 0;) {
            if (code[k] == ')')
                ++depth;
            else if (code[k] == '(' && --depth == 0) {
                open = k;
                break;
            }
        }
        if (open == npos)
            continue;
        size_t n = open;
        while (n > 0 && std::isspace(static_cast<unsigned char>(code[n - 1])))
            --n;
        size_t w = n;
        while (w > 0 && IsWordChar(code[w - 1]))
            --w;
        const std::string name = code.substr(w, n - w);
        if (name.empty() || std::isdigit(static_cast<unsigned char>(name[0])) || Keywords().count(name))
            continue;
        const size_t end = MatchingClose(code, i);
        if (end == npos)
            continue;
        Function f;
        f.begin = i;
        f.end = end;
        f.name = name;
        for (const std::string& p : SplitArgs(code.substr(open + 1, j - 1 - open - 1)))
            f.params.push_back(ParamName(p));
        out.push_back(std::move(f));
    }
    return out;
}

bool ParseNumber(const std::string& s, unsigned& value) {
    static const std::regex number(R"(^(0[xX][0-9a-fA-F]+|[0-9]+)[uUlL]*$)");
    std::smatch m;
    if (!std::regex_match(s, m, number))
        return false;
    value = static_cast<unsigned>(std::stoul(m[1].str(), nullptr, 0));
    return true;
}

// The '?' of a conditional outside brackets, npos when there is none.
size_t TopLevelQuestion(const std::string& e) {
    int level = 0;
    for (size_t i = 0; i < e.size(); ++i) {
        const char c = e[i];
        if (c == '(' || c == '[' || c == '{')
            ++level;
        else if (c == ')' || c == ']' || c == '}')
            --level;
        else if (c == '?' && level == 0)
            return i;
    }
    return npos;
}

// The ':' that belongs to the '?' at q (scope operators "::" and nested conditionals skipped).
size_t MatchingColon(const std::string& e, size_t q) {
    int level = 0, nested = 0;
    for (size_t k = q + 1; k < e.size(); ++k) {
        const char c = e[k];
        if (c == '(' || c == '[' || c == '{')
            ++level;
        else if (c == ')' || c == ']' || c == '}')
            --level;
        else if (level == 0 && c == '?')
            ++nested;
        else if (level == 0 && c == ':') {
            if (k + 1 < e.size() && e[k + 1] == ':') {
                ++k;
                continue;
            }
            if (nested == 0)
                return k;
            --nested;
        }
    }
    return npos;
}

int LineOf(const std::string& code, size_t pos) {
    return 1 +
           static_cast<int>(std::count(code.begin(), code.begin() + static_cast<std::ptrdiff_t>(pos), '\n'));
}

// A function whose parameter `index` (and `last`, when it passes on a range first..last) is an
// id its callers give.
struct Forwarder {
    std::string name;
    int index = 0;
    int last = -1;
    int file = -1;         // the file that defines it; -1 for the calls the scan starts from
    std::set<int> headers; // the headers declaring it; empty: only its own file calls it
    bool operator<(const Forwarder& o) const {
        return std::tie(name, index, last, file) < std::tie(o.name, o.index, o.last, o.file);
    }
};

class Scanner {
public:
    Scanner(const std::vector<SourceFile>& files, const GeneratedIds& generated)
        : files_(files), generated_(generated) {
        for (const SourceFile& f : files_)
            functions_.push_back(FindFunctions(f.code));
        FindConstants();
        FindVisibleFiles();
    }

    ScanResult Run(const std::vector<std::string>& calls) {
        for (const std::string& c : calls)
            Add(Forwarder{c, 0, -1, -1, {}});
        while (!work_.empty()) {
            const Forwarder f = work_.front();
            work_.pop_front();
            for (size_t i = 0; i < files_.size(); ++i)
                if (Calls(f, i))
                    ScanCalls(f, i);
        }
        return result_;
    }

private:
    void Add(const Forwarder& f) {
        if (seen_.insert(f).second)
            work_.push_back(f);
    }

    // The numbers a name of the generated headers stands for: the name in full, else every
    // generated name it ends (a name after a namespace alias), string names first.
    bool Generated(const std::string& name, std::set<unsigned>& out) const {
        if (const auto it = generated_.find(name); it != generated_.end()) {
            out.insert(it->second);
            return true;
        }
        std::set<unsigned> strings, others;
        const std::string tail = "::" + name;
        for (const auto& [full, id] : generated_)
            if (full.size() > tail.size() && full.compare(full.size() - tail.size(), tail.size(), tail) == 0)
                (full.find("::str::") != npos ? strings : others).insert(id);
        const std::set<unsigned>& found = strings.empty() ? others : strings;
        out.insert(found.begin(), found.end());
        return !found.empty();
    }

    void FindConstants() {
        // Constants of a number, a generated name or another constant, one or several in a
        // declaration: "constexpr UINT kFirst = vtid::str::UnitPixel, kLast = 905;".
        static const std::regex constants(
            R"(\b(?:constexpr|const)\s+(?:[\w:]+\s+)*?((?:\w+\s*=\s*[\w:]+\s*,\s*)*\w+\s*=\s*[\w:]+)\s*[;,])");
        static const std::regex declarator(R"((\w+)\s*=\s*([\w:]+))");
        // Arrays of ids: "constexpr UINT kSlotNames[] = {vtid::str::Lens1Name, ...};".
        static const std::regex array(
            R"(\b(?:constexpr|const)\s+(?:[\w:]+\s+)*?(\w+)\s*\[[^\]]*\]\s*=\s*\{([^{}]*)\})");
        static const std::regex define(R"(#define\s+(\w+)\s+(0[xX][0-9a-fA-F]+|[0-9]+)\b)");
        static const std::regex enumerator(R"(\b(\w+)\s*=\s*(0[xX][0-9a-fA-F]+|[0-9]+)[uUlL]*\s*[,}])");
        for (size_t file = 0; file < files_.size(); ++file) {
            const SourceFile& f = files_[file];
            for (std::sregex_iterator it(f.code.begin(), f.code.end(), constants), end; it != end; ++it) {
                // A local constant of a name is read where it is used (a local variable).
                const bool local = Enclosing(file, static_cast<size_t>(it->position(0))) != nullptr;
                const std::string list = (*it)[1].str();
                for (std::sregex_iterator d(list.begin(), list.end(), declarator); d != end; ++d) {
                    std::set<unsigned> ids;
                    unsigned value = 0;
                    const std::string given = (*d)[2].str();
                    if (ParseNumber(given, value))
                        ids.insert(value);
                    else if (const auto c = constants_.find(given); !local && c != constants_.end())
                        ids = c->second;
                    else if (!local)
                        Generated(given, ids);
                    if (!ids.empty())
                        constants_[(*d)[1].str()].insert(ids.begin(), ids.end());
                }
            }
            for (std::sregex_iterator it(f.code.begin(), f.code.end(), define), end; it != end; ++it)
                constants_[(*it)[1].str()].insert(
                    static_cast<unsigned>(std::stoul((*it)[2].str(), nullptr, 0)));
            for (std::sregex_iterator it(f.code.begin(), f.code.end(), array), end; it != end; ++it)
                arrays_[(*it)[1].str()] = SplitArgs((*it)[2].str());
            // Enumerators: inside the braces of each enum.
            for (size_t p = f.code.find("enum"); p != npos; p = f.code.find("enum", p + 4)) {
                if ((p > 0 && IsWordChar(f.code[p - 1])) || IsWordChar(f.code[p + 4]))
                    continue;
                const size_t open = f.code.find_first_of("{;", p);
                if (open == npos || f.code[open] != '{')
                    continue;
                const size_t close = MatchingClose(f.code, open);
                if (close == npos)
                    continue;
                const std::string body = f.code.substr(open, close - open + 1);
                for (std::sregex_iterator it(body.begin(), body.end(), enumerator), end; it != end; ++it)
                    constants_[(*it)[1].str()].insert(
                        static_cast<unsigned>(std::stoul((*it)[2].str(), nullptr, 0)));
            }
        }
    }

    // For each file, the files it sees: itself and what it includes, directly or not.
    void FindVisibleFiles() {
        std::map<std::string, int> byPath;
        for (size_t i = 0; i < files_.size(); ++i)
            byPath[files_[i].path] = static_cast<int>(i);
        visible_.resize(files_.size());
        for (size_t i = 0; i < files_.size(); ++i) {
            std::vector<int> stack = {static_cast<int>(i)};
            while (!stack.empty()) {
                const int f = stack.back();
                stack.pop_back();
                if (!visible_[i].insert(f).second)
                    continue;
                const std::string dir = std::filesystem::path(files_[f].path).parent_path().string();
                for (const std::string& inc : files_[f].includes) {
                    auto it = byPath.find(inc);
                    if (it == byPath.end())
                        it = byPath.find(dir.empty() ? inc : dir + "/" + inc);
                    if (it != byPath.end())
                        stack.push_back(it->second);
                }
            }
        }
    }

    // Whether calls in `file` can reach the forwarder: it is defined there, or the file sees a
    // header that declares it. Functions of the same name elsewhere are other functions.
    bool Calls(const Forwarder& f, size_t file) const {
        if (f.file < 0 || static_cast<size_t>(f.file) == file)
            return true;
        for (int h : f.headers)
            if (visible_[file].count(h))
                return true;
        return false;
    }

    const Function* Enclosing(size_t file, size_t pos) const {
        const Function* best = nullptr;
        for (const Function& f : functions_[file])
            if (f.begin < pos && pos < f.end && (!best || f.begin > best->begin))
                best = &f;
        return best;
    }

    // The headers the defining file sees that declare the function, so that other files
    // including them call it.
    std::set<int> DeclaringHeaders(const std::string& name, size_t file) const {
        const std::regex call("\\b" + name + "\\s*\\(");
        std::set<int> out;
        for (int h : visible_[file]) {
            const std::string& path = files_[h].path;
            if (path.size() > 2 && path.compare(path.size() - 2, 2, ".h") == 0 &&
                std::regex_search(files_[h].code, call))
                out.insert(h);
        }
        return out;
    }

    void Forward(const Function& fn, size_t file, int index, int last) {
        Add(Forwarder{fn.name, index, last, static_cast<int>(file), DeclaringHeaders(fn.name, file)});
    }

    static int ParamIndex(const Function& fn, const std::string& name) {
        for (size_t i = 0; i < fn.params.size(); ++i)
            if (fn.params[i] == name)
                return static_cast<int>(i);
        return -1;
    }

    // Every id the expressions stand for; false when one of them cannot be worked out.
    bool EvalAll(const std::vector<std::string>& exprs, size_t file, size_t pos, std::set<unsigned>& out,
                 int depth) {
        for (const std::string& e : exprs)
            if (!Eval(e, file, pos, out, depth + 1))
                return false;
        return !exprs.empty();
    }

    // The ids an expression at `pos` of a file stands for. Parameters of the enclosing function
    // make it a forwarder (its callers give the ids). False when the ids cannot be worked out.
    bool Eval(std::string expr, size_t file, size_t pos, std::set<unsigned>& out, int depth) {
        if (depth > 6)
            return false;
        expr = Trim(expr);
        while (expr.size() > 1 && expr.front() == '(' && MatchingClose(expr, 0) == expr.size() - 1)
            expr = Trim(expr.substr(1, expr.size() - 2));
        static const std::regex cast(R"(^(?:static_cast\s*<[^>]*>|UINT|int|unsigned)\s*\((.*)\)$)");
        static const std::regex cstyleCast(R"(^\(\s*(?:UINT|int|unsigned|DWORD)\s*\)\s*(.*)$)");
        std::smatch m;
        if (std::regex_match(expr, m, cast) || std::regex_match(expr, m, cstyleCast))
            return Eval(m[1].str(), file, pos, out, depth + 1);
        // Conditional: both branches.
        if (const size_t q = TopLevelQuestion(expr); q != npos) {
            const size_t colon = MatchingColon(expr, q);
            if (colon == npos)
                return false;
            const bool a = Eval(expr.substr(q + 1, colon - q - 1), file, pos, out, depth + 1);
            const bool b = Eval(expr.substr(colon + 1), file, pos, out, depth + 1);
            return a && b;
        }
        unsigned value = 0;
        if (ParseNumber(expr, value)) {
            out.insert(value);
            return true;
        }
        // An element of an array of ids: every element.
        static const std::regex element(R"(^(\w+)\s*\[.*\]$)");
        if (std::regex_match(expr, m, element)) {
            const auto a = arrays_.find(m[1].str());
            return a != arrays_.end() && EvalAll(a->second, file, pos, out, depth);
        }
        static const std::regex name(R"(^(?:\w+::)*(\w+)$)");
        if (!std::regex_match(expr, m, name))
            return false;
        // A qualified name of the headers; an unqualified one only after the file's own names.
        if (expr.find("::") != npos && Generated(expr, out))
            return true;
        const std::string id = m[1].str();
        if (auto c = constants_.find(id); c != constants_.end()) {
            out.insert(c->second.begin(), c->second.end());
            return true;
        }
        const Function* fn = Enclosing(file, pos);
        const std::string& code = files_[file].code;
        const size_t from = fn ? fn->begin : 0;
        const std::string body = fn ? code.substr(fn->begin, fn->end - fn->begin) : code;
        if (fn) {
            if (const int p = ParamIndex(*fn, id); p >= 0) {
                Forward(*fn, file, p, -1);
                return true;
            }
        }
        // A loop variable: the innermost loop around the use that declares it, running over an
        // array or a braced list (every element) or from a first to a last id.
        const std::string before = pos > from ? code.substr(from, pos - from) : std::string();
        // Whether the use is in the loop whose header starts at `at` of before: in its braces, or
        // in the one statement after its parentheses.
        auto around = [&](size_t at) {
            const size_t open = code.find('(', from + at);
            const size_t close = open == npos ? npos : MatchingClose(code, open);
            if (close == npos || close >= pos)
                return false;
            const size_t next = code.find_first_not_of(" \t\r\n", close + 1);
            const size_t end =
                next != npos && code[next] == '{' ? MatchingClose(code, next) : code.find(';', close);
            return end != npos && pos < end;
        };
        const std::regex rangeFor("for\\s*\\(\\s*(?:[\\w:]+[\\s&*]+)*" + id + "\\s*:\\s*([^)]*)\\)");
        const std::regex loop("for\\s*\\(\\s*(?:[\\w:]+\\s+)*" + id + "\\s*=\\s*([^;]+);\\s*" + id +
                              "\\s*(<=|<)\\s*([^;]+);");
        auto last = [&](const std::regex& re, std::smatch& found) {
            bool any = false;
            for (std::sregex_iterator it(before.begin(), before.end(), re), end; it != end; ++it) {
                if (around(static_cast<size_t>(it->position(0)))) {
                    found = *it;
                    any = true;
                }
            }
            return any;
        };
        std::smatch overRange, overIds;
        const bool ranged = last(rangeFor, overRange), counted = last(loop, overIds);
        if (ranged && (!counted || overRange.position(0) > overIds.position(0))) {
            const std::string range = Trim(overRange[1].str());
            if (range.size() > 1 && range.front() == '{' && range.back() == '}')
                return EvalAll(SplitArgs(range.substr(1, range.size() - 2)), file, pos, out, depth);
            const auto a = arrays_.find(range);
            return a != arrays_.end() && EvalAll(a->second, file, pos, out, depth);
        }
        if (counted) {
            m = overIds;
            const std::string lo = Trim(m[1].str()), hi = Trim(m[3].str());
            const bool inclusive = m[2].str() == "<=";
            if (fn && ParamIndex(*fn, lo) >= 0 && ParamIndex(*fn, hi) >= 0 && inclusive) {
                Forward(*fn, file, ParamIndex(*fn, lo), ParamIndex(*fn, hi));
                return true;
            }
            std::set<unsigned> a, b;
            if (!Eval(lo, file, pos, a, depth + 1) || !Eval(hi, file, pos, b, depth + 1) || a.size() != 1 ||
                b.size() != 1)
                return false;
            const unsigned first = *a.begin(), bound = *b.begin();
            for (unsigned v = first; inclusive ? v <= bound : v < bound; ++v)
                out.insert(v);
            return true;
        }
        // A local variable: every value assigned to it (0 stands for "no message").
        const std::regex assign("\\b" + id + "\\s*=(?!=)\\s*([^;]+);");
        bool any = false;
        for (std::sregex_iterator it(body.begin(), body.end(), assign), end; it != end; ++it) {
            std::set<unsigned> values;
            if (!Eval((*it)[1].str(), file, from + static_cast<size_t>(it->position(1)), values, depth + 1))
                return false;
            values.erase(0);
            out.insert(values.begin(), values.end());
            any = true;
        }
        return any || Generated(expr, out);
    }

    // Whether the name at `at` starts a declaration or definition rather than a call: a type word
    // stands before it, or its first argument is a parameter declaration.
    bool IsDeclaration(const std::string& code, size_t at, const std::vector<std::string>& args) const {
        size_t p = at;
        // Class qualifiers: "Class::Name".
        while (p >= 2 && code[p - 1] == ':' && code[p - 2] == ':') {
            p -= 2;
            while (p > 0 && IsWordChar(code[p - 1]))
                --p;
        }
        while (p > 0 && (std::isspace(static_cast<unsigned char>(code[p - 1])) || code[p - 1] == '*' ||
                         code[p - 1] == '&'))
            --p;
        size_t w = p;
        while (w > 0 && IsWordChar(code[w - 1]))
            --w;
        const std::string before = code.substr(w, p - w);
        if (!before.empty() && before != "return" && before != "case" && before != "else" &&
            !(w > 0 && (code[w - 1] == '.' || (code[w - 1] == '>' && w > 1 && code[w - 2] == '-'))))
            return true;
        if (args.empty())
            return false;
        if (TypeWords().count(args[0]))
            return true;
        // "Type name", "const Type<T>& name = value".
        static const std::regex parameter(
            R"(^(?:const\s+)?[A-Za-z_][\w:]*(?:<[^()?]*>)?(?:\s+const)?[\s*&]+[A-Za-z_]\w*\s*(?:=.*)?$)");
        return std::regex_match(args[0], parameter);
    }

    void ScanCalls(const Forwarder& f, size_t file) {
        const std::string& code = files_[file].code;
        const std::regex call("\\b" + f.name + "\\s*\\(");
        for (std::sregex_iterator it(code.begin(), code.end(), call), end; it != end; ++it) {
            const size_t at = static_cast<size_t>(it->position(0));
            const size_t open = at + static_cast<size_t>(it->length(0)) - 1;
            const size_t close = MatchingClose(code, open);
            if (close == npos)
                continue;
            const std::vector<std::string> args = SplitArgs(code.substr(open + 1, close - open - 1));
            if (IsDeclaration(code, at, args))
                continue;
            const int needed = std::max(f.index, f.last) + 1;
            if (static_cast<int>(args.size()) < needed)
                continue; // the parameter keeps its default
            const std::string where = files_[file].path + ":" + std::to_string(LineOf(code, at));
            std::set<unsigned> ids;
            bool ok;
            if (f.last < 0) {
                ok = Eval(args[f.index], file, at, ids, 0);
            } else {
                std::set<unsigned> a, b;
                ok = Eval(args[f.index], file, at, a, 0) && Eval(args[f.last], file, at, b, 0) &&
                     a.size() == 1 && b.size() == 1;
                for (unsigned v = ok ? *a.begin() : 1; ok && v <= *b.begin(); ++v)
                    ids.insert(v);
            }
            if (!ok) {
                result_.unresolved.push_back(where + ": " + f.name + "(" +
                                             code.substr(open + 1, close - open - 1) + ")");
                continue;
            }
            for (unsigned id : ids)
                result_.ids.emplace(id, where);
        }
    }

    const std::vector<SourceFile>& files_;
    const GeneratedIds& generated_;
    std::vector<std::vector<Function>> functions_;
    std::map<std::string, std::set<unsigned>> constants_;
    std::map<std::string, std::vector<std::string>> arrays_; // name -> the element expressions
    std::vector<std::set<int>> visible_;
    std::set<Forwarder> seen_;
    std::deque<Forwarder> work_;
    ScanResult result_;
};

} // namespace

std::string StripCommentsAndLiterals(const std::string& text) {
    std::string out = text;
    enum { Code, Line, Block, Str, Chr, Raw } state = Code;
    std::string rawEnd;
    for (size_t i = 0; i < out.size(); ++i) {
        const char c = out[i];
        const char next = i + 1 < out.size() ? out[i + 1] : '\0';
        switch (state) {
        case Code:
            if (c == '/' && next == '/') {
                state = Line;
                out[i] = ' ';
            } else if (c == '/' && next == '*') {
                state = Block;
                out[i] = out[i + 1] = ' ';
                ++i;
            } else if (c == 'R' && next == '"' &&
                       (i == 0 || !IsWordChar(out[i - 1]) || out[i - 1] == 'u' || out[i - 1] == '8' ||
                        out[i - 1] == 'L')) {
                const size_t paren = out.find('(', i + 2);
                if (paren == npos)
                    return out;
                rawEnd = ")" + out.substr(i + 2, paren - i - 2) + "\"";
                for (size_t k = i + 2; k <= paren; ++k)
                    out[k] = ' ';
                i = paren;
                state = Raw;
            } else if (c == '"') {
                state = Str;
            } else if (c == '\'' && !(i > 0 && std::isxdigit(static_cast<unsigned char>(out[i - 1])) &&
                                      std::isxdigit(static_cast<unsigned char>(next)))) {
                state = Chr; // not a digit separator
            }
            break;
        case Line:
            if (c == '\n')
                state = Code;
            else
                out[i] = ' ';
            break;
        case Block:
            if (c == '*' && next == '/') {
                out[i] = out[i + 1] = ' ';
                ++i;
                state = Code;
            } else if (c != '\n') {
                out[i] = ' ';
            }
            break;
        case Str:
        case Chr:
            if (c == '\\') {
                out[i] = ' ';
                if (i + 1 < out.size() && out[i + 1] != '\n')
                    out[i + 1] = ' ';
                ++i;
            } else if ((state == Str && c == '"') || (state == Chr && c == '\'')) {
                state = Code;
            } else if (c != '\n') {
                out[i] = ' ';
            }
            break;
        case Raw:
            if (out.compare(i, rawEnd.size(), rawEnd) == 0) {
                for (size_t k = i; k + 1 < i + rawEnd.size(); ++k)
                    out[k] = ' ';
                i += rawEnd.size() - 1;
                state = Code;
            } else if (c != '\n') {
                out[i] = ' ';
            }
            break;
        }
    }
    return out;
}

SourceFile MakeSource(const std::string& path, const std::string& text) {
    SourceFile f{path, StripCommentsAndLiterals(text), {}};
    static const std::regex include(R"RE(#\s*include\s*"([^"]+)")RE");
    for (std::sregex_iterator it(text.begin(), text.end(), include), end; it != end; ++it)
        f.includes.push_back((*it)[1].str());
    return f;
}

std::vector<SourceFile> ReadSources(const std::string& root, const std::vector<std::string>& folders) {
    namespace fs = std::filesystem;
    std::vector<SourceFile> out;
    for (const std::string& folder : folders) {
        const fs::path dir = fs::path(root) / folder;
        if (!fs::is_directory(dir))
            continue;
        std::vector<fs::path> paths;
        for (const auto& e : fs::recursive_directory_iterator(dir))
            if (e.is_regular_file() && (e.path().extension() == ".cpp" || e.path().extension() == ".h"))
                paths.push_back(e.path());
        std::sort(paths.begin(), paths.end());
        for (const fs::path& p : paths) {
            std::ifstream in(p, std::ios::binary);
            std::stringstream text;
            text << in.rdbuf();
            out.push_back(MakeSource(fs::relative(p, root).string(), text.str()));
        }
    }
    return out;
}

ScanResult ScanIds(const std::vector<SourceFile>& files, const std::vector<std::string>& calls,
                   const GeneratedIds& generated) {
    return Scanner(files, generated).Run(calls);
}

void ReadIdHeaderText(const std::string& text, GeneratedIds& out) {
    static const std::regex open(R"(^namespace (\w+) \{$)");
    static const std::regex name(R"(^inline constexpr int (\w+) = (-?[0-9]+);$)");
    std::vector<std::string> scope;
    std::istringstream in(text);
    std::smatch m;
    for (std::string line; std::getline(in, line);) {
        if (std::regex_match(line, m, open)) {
            scope.push_back(m[1].str());
        } else if (line.rfind("}", 0) == 0 && !scope.empty()) {
            scope.pop_back();
        } else if (std::regex_match(line, m, name)) {
            std::string full;
            for (const std::string& s : scope)
                full += s + "::";
            out[full + m[1].str()] = static_cast<unsigned>(std::stol(m[2].str()));
        }
    }
}

GeneratedIds ReadIdHeaders(const std::vector<std::string>& paths, std::vector<std::string>* missing) {
    GeneratedIds out;
    for (const std::string& path : paths) {
        std::ifstream in(path, std::ios::binary);
        if (!in) {
            if (missing)
                missing->push_back(path);
            continue;
        }
        std::stringstream text;
        text << in.rdbuf();
        ReadIdHeaderText(text.str(), out);
    }
    return out;
}

} // namespace idscan
