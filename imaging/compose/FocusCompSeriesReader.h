// Reads the image files of a series in list order for the composer: `decoders` threads of
// its own decode the next files while the caller composes the current one, each file straight
// into one of a fixed set of reused bitmaps (decoders + 1 of them, made with the first files
// and kept while the files have one size and depth). Memory therefore does not grow with the
// number of files or with how far the decoders run ahead.
#pragma once

#include "imaging/files/ImageFileDecodeInto.h"

#include <condition_variable>
#include <cstddef>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class CFocusCompSeriesReader {
public:
    // One file as it was read. image is the reader's bitmap (Read only); the caller hands it
    // back with Release before it asks for the file after the next.
    struct Frame {
        size_t index = 0;
        ImageFileRead read = ImageFileRead::Unreadable;
        HDIB image = nullptr;
        int imageType = -1;
    };

    // With 0 decoders every file is read by Next itself, on the caller's thread, into one
    // bitmap.
    CFocusCompSeriesReader(std::vector<std::string> files, int decoders);
    // Stops the decoders after their current file, joins them and frees every bitmap.
    ~CFocusCompSeriesReader();
    CFocusCompSeriesReader(const CFocusCompSeriesReader&) = delete;
    CFocusCompSeriesReader& operator=(const CFocusCompSeriesReader&) = delete;

    size_t Count() const { return files_.size(); }
    // The next file in list order (waits until it is read). Not to be called after the last.
    Frame Next();
    // Gives a bitmap of a Frame back for a later file.
    void Release(HDIB image);
    // Ends the reading early (as the destructor does) and frees the bitmaps now; a bitmap the
    // caller took and did not give back stays the caller's.
    void Close();

    // Decoder threads for a series of `files` on a machine of `cores` cores. Decoding a JPEG
    // file costs about half as much as composing its image, so a JPEG series (by the first
    // file's name) gets two fifths of the cores; the other formats are little more than read,
    // and get two from six cores on. Always at least one.
    static int DecodersFor(unsigned cores, const std::vector<std::string>& files);
    // The threads left to compose beside those decoders: at least one.
    static int ComposersFor(unsigned cores, int decoders);

private:
    void DecodeLoop();
    ImageFileRead ReadOne(size_t index, HDIB* bitmap, int* imageType);

    std::vector<std::string> files_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<HDIB> free_;       // bitmaps no file holds (null until first used)
    std::vector<HDIB> all_;        // every bitmap the reader made, for the final free
    std::map<size_t, Frame> done_; // files read and not yet taken
    size_t nextToRead_ = 0;
    size_t nextToTake_ = 0;
    bool stop_ = false;
    std::vector<std::thread> decoders_;
};
