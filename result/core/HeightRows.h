// Row sets of the result: heights, focus values, the noise mask and candidate heights, each one
// block of width x height values addressed by row (row 0 at the top).
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

template <class T> class RowSet {
public:
    // A zero-filled set; false (and an empty set) when the size is refused or memory is short.
    bool Allocate(int width, int height) noexcept {
        Free();
        if (width < 1 || height < 1)
            return false;
        const uint64_t count = uint64_t(width) * uint64_t(height);
        if (count > uint64_t(SIZE_MAX) / sizeof(T) / 2)
            return false;
        try {
            data_.assign(static_cast<size_t>(count), T());
        } catch (const std::bad_alloc&) {
            return false;
        }
        width_ = width;
        height_ = height;
        return true;
    }
    // Copies rows of the given shape; false when the copy cannot be made.
    bool CopyFrom(const T* const* rows, int width, int height) noexcept {
        if (!rows || !Allocate(width, height))
            return false;
        for (int y = 0; y < height; ++y) {
            if (!rows[y]) {
                Free();
                return false;
            }
            for (int x = 0; x < width; ++x)
                data_[size_t(y) * size_t(width) + size_t(x)] = rows[y][x];
        }
        return true;
    }
    bool CopyFrom(const RowSet& other) noexcept {
        if (other.Empty()) {
            Free();
            return true;
        }
        try {
            data_ = other.data_;
        } catch (const std::bad_alloc&) {
            Free();
            return false;
        }
        width_ = other.width_;
        height_ = other.height_;
        return true;
    }
    void Free() noexcept {
        std::vector<T>().swap(data_);
        width_ = height_ = 0;
    }
    bool Empty() const { return data_.empty(); }
    int Width() const { return width_; }
    int Height() const { return height_; }
    T* operator[](int y) { return data_.data() + size_t(y) * size_t(width_); }
    const T* operator[](int y) const { return data_.data() + size_t(y) * size_t(width_); }
    T* Data() { return data_.data(); }
    const T* Data() const { return data_.data(); }
    size_t Count() const { return data_.size(); }
    void Swap(RowSet& other) noexcept {
        data_.swap(other.data_);
        std::swap(width_, other.width_);
        std::swap(height_, other.height_);
    }

private:
    std::vector<T> data_;
    int width_ = 0;
    int height_ = 0;
};

using HeightRows = RowSet<double>;
using FocusRows = RowSet<int>;
using MaskRows = RowSet<int>;
