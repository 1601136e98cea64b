// Orders of the browser's lists. The thumbnail list sorts by command: 32787 name (number, then
// path as ComparePathNames orders it), 32801 kind (extension ignoring case, then number), 32791 size, 32789
// created, 32790 modified (each then number). The focus image box sorts by key: 29 position, 30 number up, 31
// number down (each then path, ascending, as ComparePathNames orders it). The placeholder goes after every
// other item in every order. A command or key outside these leaves the order. Equal items keep their order.
#pragma once

#include "browser/core/FileInfoStruc.h"
#include "ids/VantorelIds.h"

#include <memory>
#include <string>
#include <vector>

using FileInfoList = std::vector<std::unique_ptr<CFileInfoStruc>>;

constexpr int ID_SORT_NAME = vtid::cmd::SortByName;
constexpr int ID_SORT_CREATED = vtid::cmd::SortByCreated;
constexpr int ID_SORT_MODIFIED = vtid::cmd::SortByModified;
constexpr int ID_SORT_SIZE = vtid::cmd::SortBySize;
constexpr int ID_SORT_KIND = vtid::cmd::SortByType;
constexpr int BOX_SORT_POSITION = vtid::FocusBoxCommandBar::SortByHeight;
constexpr int BOX_SORT_NUMBER_UP = vtid::FocusBoxCommandBar::SortAscending;
constexpr int BOX_SORT_NUMBER_DOWN = vtid::FocusBoxCommandBar::SortDescending;

// Two paths (or names) in the order the lists show them: the letters A to Z compared without
// their case first, so that "a1" comes before "B1"; paths that differ in the case of their
// letters alone are ordered by the first such letter, the small one before its capital ("a1"
// before "A1"). Other bytes compare by value (UTF-8 names in the order of their characters).
// Negative, 0 (the same bytes) or positive.
int ComparePathNames(const std::string& a, const std::string& b);

// False when the command is none of the five (nothing moved).
bool SortThumbnailItems(FileInfoList& items, int command);
bool SortBoxItems(FileInfoList& items, int key);
