#include "imaging/compose/FocusCompSeriesReader.h"

#include "imaging/files/ImageFile.h"

#include <algorithm>
#include <system_error>

CFocusCompSeriesReader::CFocusCompSeriesReader(std::vector<std::string> files, int decoders)
    : files_(std::move(files)) {
    decoders = std::clamp(decoders, 0, 16);
    // Every decoder holds one bitmap while it reads, and the caller one while it composes.
    free_.assign(static_cast<size_t>(decoders) + 1, nullptr);
    for (int i = 0; i < decoders; ++i) {
        try {
            decoders_.emplace_back(&CFocusCompSeriesReader::DecodeLoop, this);
        } catch (const std::system_error&) {
            break; // fewer decoders; with none at all Next reads on the caller's thread
        }
    }
}

CFocusCompSeriesReader::~CFocusCompSeriesReader() {
    Close();
}

int CFocusCompSeriesReader::DecodersFor(unsigned cores, const std::vector<std::string>& files) {
    const int n = static_cast<int>(std::min(cores, 64u));
    if (!files.empty() && ImageFileFormatIndex(files.front()) == kJpegFormatIndex)
        return std::max(1, (2 * n + 2) / 5);
    return n >= 6 ? 2 : 1;
}

int CFocusCompSeriesReader::ComposersFor(unsigned cores, int decoders) {
    return std::max(static_cast<int>(std::min(cores, 64u)) - std::max(decoders, 0), 1);
}

void CFocusCompSeriesReader::Close() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    for (std::thread& t : decoders_)
        t.join();
    decoders_.clear();
    std::lock_guard<std::mutex> lock(mutex_);
    // A bitmap is in all_ once a file was read into it; the reader may have replaced one with
    // a bitmap of another size, so every distinct handle is freed once.
    for (auto& [index, frame] : done_)
        if (frame.image && std::find(all_.begin(), all_.end(), frame.image) == all_.end())
            all_.push_back(frame.image);
    done_.clear();
    for (HDIB h : free_)
        if (h && std::find(all_.begin(), all_.end(), h) == all_.end())
            all_.push_back(h);
    free_.clear();
    for (HDIB h : all_)
        GlobalFree(h);
    all_.clear();
}

ImageFileRead CFocusCompSeriesReader::ReadOne(size_t index, HDIB* bitmap, int* imageType) {
    return ReadImageFileInto(files_[index], bitmap, imageType);
}

void CFocusCompSeriesReader::DecodeLoop() {
    for (;;) {
        size_t index = 0;
        HDIB bitmap = nullptr;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [&] { return stop_ || (nextToRead_ < files_.size() && !free_.empty()); });
            if (stop_ || nextToRead_ >= files_.size())
                return;
            bitmap = free_.back();
            free_.pop_back();
            index = nextToRead_++;
        }
        Frame f;
        f.index = index;
        f.read = ReadOne(index, &bitmap, &f.imageType);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (f.read == ImageFileRead::Read) {
                f.image = bitmap;
            } else {
                free_.push_back(bitmap); // nothing to hand over: the bitmap serves the next file
            }
            done_[index] = f;
        }
        changed_.notify_all();
    }
}

CFocusCompSeriesReader::Frame CFocusCompSeriesReader::Next() {
    if (decoders_.empty()) {
        // No decoder threads: read here, into the one bitmap.
        std::lock_guard<std::mutex> lock(mutex_);
        Frame f;
        f.index = nextToTake_++;
        HDIB bitmap = free_.empty() ? nullptr : free_.back();
        if (!free_.empty())
            free_.pop_back();
        f.read = ReadOne(f.index, &bitmap, &f.imageType);
        if (f.read == ImageFileRead::Read)
            f.image = bitmap;
        else
            free_.push_back(bitmap);
        return f;
    }
    std::unique_lock<std::mutex> lock(mutex_);
    const size_t want = nextToTake_++;
    changed_.wait(lock, [&] { return done_.count(want) != 0; });
    Frame f = done_[want];
    done_.erase(want);
    return f;
}

void CFocusCompSeriesReader::Release(HDIB image) {
    if (!image)
        return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        free_.push_back(image);
    }
    changed_.notify_all();
}
