#include "browser/core/ItemSort.h"

#include <algorithm>
#include <functional>
#include <strings.h>

namespace {

using Less = std::function<bool(const CFileInfoStruc&, const CFileInfoStruc&)>;

std::string Extension(const std::string& path) {
    const auto slash = path.rfind('/');
    const auto dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return std::string();
    return path.substr(dot);
}

unsigned char FoldCase(unsigned char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

bool PathLess(const CFileInfoStruc& a, const CFileInfoStruc& b) {
    return ComparePathNames(a.m_path, b.m_path) < 0;
}

// Sorts with the placeholder after everything else.
void SortWith(FileInfoList& items, const Less& less) {
    std::stable_sort(items.begin(), items.end(), [&](const auto& a, const auto& b) {
        if (a->IsPlaceholder() || b->IsPlaceholder())
            return !a->IsPlaceholder() && b->IsPlaceholder();
        return less(*a, *b);
    });
}

template <class Key> Less ThenNumber(Key key) {
    return [key](const CFileInfoStruc& a, const CFileInfoStruc& b) {
        const auto ka = key(a), kb = key(b);
        if (ka != kb)
            return ka < kb;
        return a.m_number < b.m_number;
    };
}

} // namespace

int ComparePathNames(const std::string& a, const std::string& b) {
    int byCase = 0; // the first difference in case alone
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char ca = a[i], cb = b[i];
        const unsigned char fa = FoldCase(ca), fb = FoldCase(cb);
        if (fa != fb)
            return fa < fb ? -1 : 1;
        if (ca != cb && byCase == 0)
            byCase = ca > cb ? -1 : 1; // the small letter has the larger code
    }
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return byCase;
}

bool SortThumbnailItems(FileInfoList& items, int command) {
    switch (command) {
    case ID_SORT_NAME:
        SortWith(items, [](const CFileInfoStruc& a, const CFileInfoStruc& b) {
            if (a.m_number != b.m_number)
                return a.m_number < b.m_number;
            return PathLess(a, b);
        });
        return true;
    case ID_SORT_KIND:
        SortWith(items, [](const CFileInfoStruc& a, const CFileInfoStruc& b) {
            const int c = ::strcasecmp(Extension(a.m_path).c_str(), Extension(b.m_path).c_str());
            if (c != 0)
                return c < 0;
            return a.m_number < b.m_number;
        });
        return true;
    case ID_SORT_SIZE:
        SortWith(items, ThenNumber([](const CFileInfoStruc& f) { return f.m_size; }));
        return true;
    case ID_SORT_CREATED:
        SortWith(items, ThenNumber([](const CFileInfoStruc& f) { return f.m_creationTime; }));
        return true;
    case ID_SORT_MODIFIED:
        SortWith(items, ThenNumber([](const CFileInfoStruc& f) { return f.m_lastWriteTime; }));
        return true;
    default:
        return false;
    }
}

bool SortBoxItems(FileInfoList& items, int key) {
    switch (key) {
    case BOX_SORT_POSITION:
        SortWith(items, [](const CFileInfoStruc& a, const CFileInfoStruc& b) {
            if (a.m_position != b.m_position)
                return a.m_position < b.m_position;
            return PathLess(a, b);
        });
        return true;
    case BOX_SORT_NUMBER_UP:
        SortWith(items, [](const CFileInfoStruc& a, const CFileInfoStruc& b) {
            if (a.m_number != b.m_number)
                return a.m_number < b.m_number;
            return PathLess(a, b);
        });
        return true;
    case BOX_SORT_NUMBER_DOWN:
        SortWith(items, [](const CFileInfoStruc& a, const CFileInfoStruc& b) {
            if (a.m_number != b.m_number)
                return a.m_number > b.m_number;
            return PathLess(a, b);
        });
        return true;
    default:
        return false;
    }
}
