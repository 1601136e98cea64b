// Shared set-up of the reader fuzz targets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Keeps every image the readers may allocate small, so that the fuzzer's memory limit is
// only reached by a real fault.
void FuzzLimitImages();
// Writes the input to a file of this process with the given extension; returns its path.
std::string FuzzWriteFile(const uint8_t* data, size_t size, const char* extension);
