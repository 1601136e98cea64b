// Orders of the browser's lists. The thumbnail list sorts by command: 32787 name (number, then
// path), 32801 kind (extension ignoring case, then number), 32791 size, 32789 created, 32790
// modified (each then number). The focus image box sorts by key: 29 position, 30 number up, 31
// number down (each then path, ascending). The placeholder goes after every other item in
// every order. A command or key outside these leaves the order. Equal items keep their order.
#pragma once

#include "browser/core/FileInfoStruc.h"

#include <memory>
#include <vector>

using FileInfoList = std::vector<std::unique_ptr<CFileInfoStruc>>;

constexpr int ID_SORT_NAME = 32787;
constexpr int ID_SORT_CREATED = 32789;
constexpr int ID_SORT_MODIFIED = 32790;
constexpr int ID_SORT_SIZE = 32791;
constexpr int ID_SORT_KIND = 32801;
constexpr int BOX_SORT_POSITION = 29;
constexpr int BOX_SORT_NUMBER_UP = 30;
constexpr int BOX_SORT_NUMBER_DOWN = 31;

// False when the command is none of the five (nothing moved).
bool SortThumbnailItems(FileInfoList& items, int command);
bool SortBoxItems(FileInfoList& items, int key);
