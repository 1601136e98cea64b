#include "FuzzSupport.h"

#include "imaging/files/SECImage.h"

#include <cstdio>
#include <unistd.h>

void FuzzLimitImages() { SECImage::SetMaxImageBytes(64ull << 20); }

std::string FuzzWriteFile(const uint8_t* data, size_t size, const char* extension) {
    const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    const std::string path = std::string(dir) + "/vt-fuzz-" + std::to_string(getpid()) + extension;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f) {
        if (size)
            std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    return path;
}
