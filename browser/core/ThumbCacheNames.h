// The names of the image browser's thumbnail cache: its folder and the cache file of an image.
#pragma once

#include <string>

// The folder of the thumbnail cache; "Cache" (relative to the current directory) until the
// main frame sets it.
void SetThumbCacheFolder(const std::string& folder);
std::string GetThumbCacheFolder();

// "<cache folder>/<image path>.tmp" with every '/' of the image path made '_' and every ':'
// made '~': /img/a.bmp gives <cache folder>/_img_a.bmp.tmp.
std::string MakeThumbCacheName(const std::string& imagePath);
// False when a name does not fit the file system (a component longer than 255 bytes, or the
// whole name 4096 bytes or longer): the caller then treats the image as not cached.
bool IsUsableThumbCacheName(const std::string& cacheName);
