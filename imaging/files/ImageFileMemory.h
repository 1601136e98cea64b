// Memory for images decoded from files. A header can declare an image far larger than the
// file that carries it (a JPEG of a few hundred bytes may declare 65500 x 65500 pixels), and a
// decoder that believes it allocates gigabytes and spends minutes filling them. Every reader
// therefore asks here once, as soon as its header has told it how many bytes the decoded image
// and its own working buffers will take, and before it allocates any of them: the request is
// compared with the memory the platform reports available and refused at once when it does
// not fit.
//
// A grant is held while the reader allocates and fills its buffers, because the memory the
// platform reports drops only as pages are written: decodes running side by side count each
// other's grants, so together they never take more than half of what is available.
#pragma once

#include <cstdint>

class ImageMemoryGrant {
public:
    ImageMemoryGrant() = default;
    ~ImageMemoryGrant() { Release(); }
    ImageMemoryGrant(ImageMemoryGrant&& other) noexcept : bytes_(other.bytes_), granted_(other.granted_) {
        other.bytes_ = 0;
        other.granted_ = false;
    }
    ImageMemoryGrant& operator=(ImageMemoryGrant&& other) noexcept;
    ImageMemoryGrant(const ImageMemoryGrant&) = delete;
    ImageMemoryGrant& operator=(const ImageMemoryGrant&) = delete;

    // Whether the memory was granted.
    explicit operator bool() const { return granted_; }
    uint64_t Bytes() const { return bytes_; }
    // Gives the bytes back (the decode is over, or the buffers are written and the platform's
    // figure now shows them); a refused or released grant stays refused.
    void Release();

private:
    friend ImageMemoryGrant ReserveImageMemory(uint64_t bytes);
    uint64_t bytes_ = 0;
    bool granted_ = false;
};

// Grants `bytes` for one decode when they are within the largest image any reader may hold
// (SECImage::MaxImageBytes) and, together with the grants still held in this process, within
// half of the memory the platform reports available. Otherwise the grant is refused; nothing
// is shown (the reader decides on a message). Safe to call from any thread.
ImageMemoryGrant ReserveImageMemory(uint64_t bytes);

// Bytes granted and not yet released in this process.
uint64_t ImageMemoryGranted();

// The figure of available memory the grants are measured against: the platform's available
// physical memory plus free swap. Tests install a function of their own to decide without
// depending on the machine; null restores the platform's. Returns the function installed before.
using AvailableMemoryFunction = uint64_t (*)();
AvailableMemoryFunction SetAvailableMemoryFunction(AvailableMemoryFunction fn);
