#include "platform/ShellInfo.h"

#include <gio/gio.h>
#include <sys/stat.h>

#if defined(__SANITIZE_ADDRESS__)
// The MIME database of GIO is loaded once and kept for the life of the process; the leak
// checker would report it at exit.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libgio-2.0.so\n";
}
#endif

std::string GetFileTypeName(const std::string& path) {
    std::string name;
    struct stat st {};
    gchar* type = nullptr;
    if (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        type = g_strdup("inode/directory");
    } else {
        gboolean uncertain = FALSE;
        type = g_content_type_guess(path.c_str(), nullptr, 0, &uncertain);
    }
    if (type && !g_content_type_is_unknown(type)) {
        if (gchar* description = g_content_type_get_description(type)) {
            name = description;
            g_free(description);
        }
    }
    g_free(type);
    if (!name.empty())
        return name;

    size_t slash = path.rfind('/');
    size_t dot = path.rfind('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) {
        for (size_t i = dot + 1; i < path.size(); ++i) {
            char c = path[i];
            name += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
        }
        name += ' ';
    }
    return name + "File";
}
