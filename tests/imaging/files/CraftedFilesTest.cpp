// Truncated, mutated and hand-crafted files for every reader: each must fail cleanly (or
// read something) without a crash, a hang or a read outside its buffers.
#include <gtest/gtest.h>

#include "ImageFileTestSupport.h"

#include "ids/VantorelIds.h"
#include "imaging/bitmaps/Dib.h"
#include "imaging/files/ImageFile.h"
#include "imaging/files/ImageFileDecodeInto.h"
#include "imaging/bitmaps/MyImageData.h"
#include "imaging/files/Tiff16.h"
#include "platform/Archive.h"
#include "platform/File.h"
#include "platform/ScriptedMessageSink.h"

#include <tiffio.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <csignal>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace imgtest;

namespace {

// Reads bytes as a file of the given name with the program's routine; frees what it got.
bool Reads(ScratchDir& dir, const std::string& name, const std::vector<BYTE>& bytes) {
    const std::string path = dir.Path(name);
    WriteBytes(path, bytes);
    int type = -2;
    HDIB dib = ReadImageFile(path, &type);
    if (!dib)
        return false;
    GlobalFree(dib);
    return true;
}

// End of the last strip of a TIFF file.
size_t PixelsEnd(ScratchDir& dir, const std::vector<BYTE>& bytes) {
    WriteBytes(dir.Path("probe.tif"), bytes);
    TIFF* t = TIFFOpen(dir.Path("probe.tif").c_str(), "r");
    if (!t)
        return 0;
    size_t end = 0;
    for (uint32_t i = 0; i < TIFFNumberOfStrips(t); ++i)
        end = std::max<size_t>(end, TIFFGetStrileOffset(t, i) + TIFFGetStrileByteCount(t, i));
    TIFFClose(t);
    return end;
}

std::vector<BYTE> Saved(ScratchDir& dir, HDIB dib, const std::string& name, int type) {
    EXPECT_TRUE(SaveImageFile(dib, dir.Path(name), type, 80));
    GlobalFree(dib);
    return ReadBytes(dir.Path(name));
}

// Every cut of short files, a spread of cuts of long ones.
std::vector<size_t> Cuts(size_t size) {
    std::vector<size_t> cuts;
    const size_t step = size <= 600 ? 1 : size / 300;
    for (size_t n = 0; n < size; n += step)
        cuts.push_back(n);
    return cuts;
}

// Copies with a few bytes changed, the same copies on every run.
std::vector<std::vector<BYTE>> Mutations(const std::vector<BYTE>& base, int count, uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<std::vector<BYTE>> out;
    for (int i = 0; i < count; ++i) {
        std::vector<BYTE> m = base;
        const int changes = 1 + static_cast<int>(rng() % 4);
        for (int c = 0; c < changes; ++c) {
            const size_t at = rng() % m.size();
            switch (rng() % 3) {
            case 0:
                m[at] = static_cast<BYTE>(rng());
                break;
            case 1:
                m[at] = 0xFF;
                break;
            default:
                m[at] ^= static_cast<BYTE>(1u << (rng() % 8));
                break;
            }
        }
        out.push_back(std::move(m));
    }
    return out;
}

// A little-endian TIFF made entry by entry, for directories no writer would make.
struct RawTiff {
    struct Entry {
        uint16_t tag, type;
        uint32_t count, value;
    };
    std::vector<Entry> entries;
    std::vector<BYTE> data; // placed after the directory; offsets relative to its start
    void Add(uint16_t tag, uint16_t type, uint32_t count, uint32_t value) { entries.push_back({tag, type, count, value}); }
    std::vector<BYTE> Bytes() const {
        std::sort(const_cast<std::vector<Entry>&>(entries).begin(), const_cast<std::vector<Entry>&>(entries).end(),
                  [](const Entry& a, const Entry& b) { return a.tag < b.tag; });
        const uint32_t dirSize = 2 + 12 * static_cast<uint32_t>(entries.size()) + 4;
        std::vector<BYTE> f(8 + dirSize, 0);
        f[0] = f[1] = 'I';
        le::put16(&f[2], 42);
        le::put32(&f[4], 8);
        le::put16(&f[8], static_cast<uint16_t>(entries.size()));
        for (size_t i = 0; i < entries.size(); ++i) {
            BYTE* e = &f[10 + 12 * i];
            le::put16(e, entries[i].tag);
            le::put16(e + 2, entries[i].type);
            le::put32(e + 4, entries[i].count);
            le::put32(e + 8, entries[i].value);
        }
        f.insert(f.end(), data.begin(), data.end());
        return f;
    }
    static uint32_t DataAt(size_t entryCount, uint32_t offset) {
        return 8 + 2 + 12 * static_cast<uint32_t>(entryCount) + 4 + offset;
    }
};

// An 8-bit grey directory of w x h with one strip of `stripBytes` at `stripOffset`.
RawTiff GreyTiff(uint32_t w, uint32_t h, uint32_t stripBytes) {
    RawTiff t;
    t.Add(256, 4, 1, w);
    t.Add(257, 4, 1, h);
    t.Add(258, 3, 1, 8);
    t.Add(259, 3, 1, 1);
    t.Add(262, 3, 1, 1);
    t.Add(273, 4, 1, RawTiff::DataAt(10, 0));
    t.Add(277, 3, 1, 1);
    t.Add(278, 4, 1, h);
    t.Add(279, 4, 1, stripBytes);
    t.Add(284, 3, 1, 1);
    t.data.assign(stripBytes > 4096 ? 4096 : stripBytes, 0x55);
    return t;
}

void SetEntry(RawTiff& t, uint16_t tag, uint16_t type, uint32_t value) {
    for (auto& e : t.entries)
        if (e.tag == tag) {
            e.type = type;
            e.value = value;
            return;
        }
    t.Add(tag, type, 1, value);
}

// A small colour JPEG, baseline or progressive, whose frame header then declares `size` x
// `size` pixels: a file of a few hundred bytes that promises gigabytes.
std::vector<BYTE> GiantJpeg(bool progressive, uint16_t size) {
    std::vector<BYTE> f = MakeJpeg(16, 16, progressive);
    for (size_t i = 2; i + 9 < f.size(); ++i)
        if (f[i] == 0xFF && (f[i + 1] == 0xC0 || f[i + 1] == 0xC2)) {
            f[i + 5] = f[i + 7] = static_cast<BYTE>(size >> 8);
            f[i + 6] = f[i + 8] = static_cast<BYTE>(size);
            break;
        }
    return f;
}

uint64_t PeakAddressSpace() {
    FILE* f = std::fopen("/proc/self/status", "r");
    if (!f)
        return 0;
    char line[256];
    unsigned long long kb = 0;
    while (std::fgets(line, sizeof line, f))
        if (std::sscanf(line, "VmPeak: %llu kB", &kb) == 1)
            break;
    std::fclose(f);
    return static_cast<uint64_t>(kb) * 1024;
}

struct ChildRun {
    bool answered = false; // the child finished within the parent's patience
    bool expected = false; // what the callable returned
    double seconds = 0;
    uint64_t peakGrowth = 0; // growth of the child's address space at its largest
};

// Runs `refuses` in a child process. Its address space at its largest shows an allocation
// even when the pages were never touched, and a reader that decodes what it should have
// refused is stopped after `patienceMs`.
ChildRun RunInChild(const std::function<bool()>& refuses, int patienceMs) {
    int fds[2];
    if (pipe(fds) != 0)
        return {};
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        ChildRun run;
        run.answered = true;
        const uint64_t before = PeakAddressSpace();
        const auto t0 = std::chrono::steady_clock::now();
        run.expected = refuses();
        run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        run.peakGrowth = PeakAddressSpace() - before;
        const ssize_t written = write(fds[1], &run, sizeof run);
        _exit(written == sizeof run ? 0 : 1);
    }
    close(fds[1]);
    ChildRun run;
    pollfd p{fds[0], POLLIN, 0};
    if (pid > 0 && poll(&p, 1, patienceMs) == 1 && read(fds[0], &run, sizeof run) != sizeof run)
        run = ChildRun{};
    if (pid > 0) {
        if (!run.answered)
            kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    close(fds[0]);
    return run;
}

} // namespace

TEST(CraftedFiles, ImagesDeclaredLargerThanMemoryAreRefusedAtOnceWithoutAllocating) {
    ScratchDir dir;
    // A machine with 4 GB to spare; every file below declares 65500 x 65500 pixels, 4 to 26 GB
    // decoded.
    AvailableMemoryScope memory(4ull << 30);
    // Grey 8-bit, grey 16-bit and RGB TIFF directories, a baseline and a progressive JPEG,
    // all declaring `side` x `side` pixels; the TIFF strips hold up to 4096 bytes.
    auto crafted = [](uint32_t side, uint32_t stripBytes) {
        RawTiff grey8 = GreyTiff(side, side, stripBytes);
        RawTiff grey16 = GreyTiff(side, side, 2 * stripBytes);
        SetEntry(grey16, 258, 3, 16);
        RawTiff rgb = GreyTiff(side, side, 3 * stripBytes);
        SetEntry(rgb, 277, 3, 3);
        SetEntry(rgb, 262, 3, 2);
        return std::vector<std::pair<std::string, std::vector<BYTE>>>{
            {"baseline.jpg", GiantJpeg(false, static_cast<uint16_t>(side))},
            {"progressive.jpg", GiantJpeg(true, static_cast<uint16_t>(side))},
            {"grey8.tif", grey8.Bytes()},
            {"grey16.tif", grey16.Bytes()},
            {"rgb24.tif", rgb.Bytes()},
        };
    };
    // At 32 x 32 every one of them reads, so the refusals below come from the declared size.
    for (const auto& [name, bytes] : crafted(32, 32 * 32))
        EXPECT_TRUE(Reads(dir, "small-" + name, bytes)) << name;
    const auto files = crafted(65500, 64);

    constexpr uint64_t kSmallGrowth = 256ull << 20;
    for (const auto& [name, bytes] : files) {
        SCOPED_TRACE(name);
        const std::string path = dir.Path(name);
        WriteBytes(path, bytes);
        // The readers of single files, and the composer's reader that decodes into a bitmap it
        // keeps for the files of a series (here one of another size).
        for (bool series : {false, true}) {
            SCOPED_TRACE(series ? "into a series bitmap" : "as a new bitmap");
            const ChildRun run = RunInChild(
                [&path, series] {
                    int type = -2;
                    if (series) {
                        HDIB dib = DibCreateOfKind(64, 48, DIB_KIND_RGB24);
                        const ImageFileRead result = ReadImageFileInto(path, &dib, &type);
                        if (dib)
                            GlobalFree(dib);
                        return result != ImageFileRead::Read;
                    }
                    HDIB dib = ReadImageFile(path, &type);
                    if (dib)
                        GlobalFree(dib);
                    return dib == nullptr;
                },
                30000);
            EXPECT_TRUE(run.answered) << "still decoding after 30 s";
            if (!run.answered)
                continue;
            EXPECT_TRUE(run.expected) << "refused";
            EXPECT_LT(run.seconds, 2.0);
            EXPECT_LT(run.peakGrowth, kSmallGrowth)
                << "address space grew by " << (run.peakGrowth >> 20) << " MB";
        }
    }

    // Within what one bitmap may hold (2.7 GB) but beyond half of the 4 GB to spare: the
    // composer's series reader asks for the memory as the single-file readers do.
    const std::string mid = dir.Path("mid.jpg");
    WriteBytes(mid, GiantJpeg(false, 30000));
    const ChildRun into = RunInChild(
        [&mid] {
            int type = -2;
            HDIB dib = DibCreateOfKind(64, 48, DIB_KIND_RGB24);
            const ImageFileRead result = ReadImageFileInto(mid, &dib, &type);
            if (dib)
                GlobalFree(dib);
            return result == ImageFileRead::Unreadable;
        },
        30000);
    ASSERT_TRUE(into.answered);
    EXPECT_TRUE(into.expected) << "a frame of another size that does not fit is unreadable";
    EXPECT_LT(into.seconds, 2.0);
    EXPECT_LT(into.peakGrowth, kSmallGrowth);

    // The thumbnail of the deep file is refused the same way, with the memory message.
    const std::string deep = dir.Path("grey16.tif");
    const ChildRun thumb = RunInChild(
        [&deep] {
            CScriptedMessageSink sink;
            CTiff16 tiff;
            if (!tiff.Open(deep.c_str(), "r"))
                return false;
            std::unique_ptr<CMyThumbnl> t(tiff.MakeThumbnail(96));
            return t == nullptr && sink.ShownIds() == std::vector<UINT>{vtid::str::NoMemory};
        },
        30000);
    ASSERT_TRUE(thumb.answered);
    EXPECT_TRUE(thumb.expected) << "no thumbnail, message 876 once";
    EXPECT_LT(thumb.seconds, 2.0);
    EXPECT_LT(thumb.peakGrowth, kSmallGrowth);
}

TEST(CraftedFiles, TruncatedFilesOfEveryReaderFailOrReadWithoutHarm) {
    ScratchDir dir;
    struct Seed {
        const char* name;
        std::vector<BYTE> bytes;
    };
    std::vector<Seed> seeds;
    seeds.push_back({"a.bmp", Saved(dir, MakePaletteDib(9, 7), "s8.bmp", 1)});
    seeds.push_back({"b.bmp", Saved(dir, MakePatternDib(9, 7, 1), "s24.bmp", 3)});
    seeds.push_back({"a.tif", Saved(dir, MakePaletteDib(9, 7), "s8.tif", 1)});
    seeds.push_back({"b.tif", Saved(dir, MakePatternDib(9, 7, 1), "s24.tif", 3)});
    seeds.push_back({"c.tif", Saved(dir, MakePatternDib(9, 7, 3, 12), "s12.tif", 5)});
    seeds.push_back({"d.tif", Saved(dir, MakePatternDib(9, 7, 4, 16), "s48.tif", 9)});
    seeds.push_back({"a.jpg", Saved(dir, MakePatternDib(40, 30, 1), "c.jpg", 3)});
    seeds.push_back({"b.jpg", Saved(dir, MakePatternDib(40, 30, 0), "g.jpg", 0)});
    for (const Seed& s : seeds) {
        SCOPED_TRACE(s.name);
        EXPECT_TRUE(Reads(dir, s.name, s.bytes)) << "the whole file reads";
        // A BMP or TIFF cut inside its pixel data never reads (a TIFF cut only in the
        // tag values behind its directory may); JPEG cuts past the headers decode what
        // they hold.
        const size_t pixelsEnd = s.name[2] == 'b' ? s.bytes.size() : s.name[2] == 't' ? PixelsEnd(dir, s.bytes) : 0;
        int readCuts = 0;
        for (size_t n : Cuts(s.bytes.size())) {
            const bool read = Reads(dir, s.name, std::vector<BYTE>(s.bytes.begin(), s.bytes.begin() + n));
            readCuts += read && n < pixelsEnd;
        }
        EXPECT_EQ(readCuts, 0);
    }
}

TEST(CraftedFiles, MutatedFilesOfEveryReaderDoNoHarm) {
    ScratchDir dir;
    const std::vector<std::pair<const char*, std::vector<BYTE>>> seeds = {
        {"m.bmp", Saved(dir, MakePaletteDib(9, 7), "s8.bmp", 1)},
        {"m.tif", Saved(dir, MakePatternDib(9, 7, 1), "s24.tif", 3)},
        {"n.tif", Saved(dir, MakePatternDib(9, 7, 4, 10), "s30.tif", 7)},
        {"m.jpg", Saved(dir, MakePatternDib(24, 16, 1), "c.jpg", 3)},
    };
    for (const auto& [name, bytes] : seeds) {
        int read = 0;
        const auto mutations = Mutations(bytes, 250, 12345);
        for (const auto& m : mutations)
            read += Reads(dir, name, m);
        EXPECT_GT(read, 0) << name << ": most changes of pixel bytes still read";
    }
}

TEST(CraftedFiles, CraftedTiffDirectoriesAreRefused) {
    ScratchDir dir;
    EXPECT_TRUE(Reads(dir, "ok.tif", GreyTiff(16, 4, 64).Bytes()));
    struct Case {
        const char* what;
        std::function<void(RawTiff&)> change;
    };
    const Case cases[] = {
        {"absurd size", [](RawTiff& t) { SetEntry(t, 256, 4, 0x7FFFFFFF), SetEntry(t, 257, 4, 0x7FFFFFFF); }},
        {"zero width", [](RawTiff& t) { SetEntry(t, 256, 4, 0); }},
        {"strip past the end", [](RawTiff& t) { SetEntry(t, 273, 4, 0x7FFFFFF0); }},
        {"strip too short", [](RawTiff& t) { SetEntry(t, 279, 4, 10), t.data.resize(10); }},
        {"zero bits", [](RawTiff& t) { SetEntry(t, 258, 3, 0); }},
        {"three bits", [](RawTiff& t) { SetEntry(t, 258, 3, 3); }},
        {"zero samples", [](RawTiff& t) { SetEntry(t, 277, 3, 0); }},
        {"many samples", [](RawTiff& t) { SetEntry(t, 277, 3, 65535); }},
        {"unknown photometric", [](RawTiff& t) { SetEntry(t, 262, 3, 32844); }},
        {"separated inks", [](RawTiff& t) { SetEntry(t, 262, 3, 5); }},
        {"unknown codec", [](RawTiff& t) { SetEntry(t, 259, 3, 4242); }},
        {"zero tiles", [](RawTiff& t) { SetEntry(t, 322, 4, 0), SetEntry(t, 323, 4, 0); }},
        {"deep and huge", [](RawTiff& t) { SetEntry(t, 258, 3, 16), SetEntry(t, 257, 4, 0x00FFFFFF); }},
        {"twelve-bit strip too short", [](RawTiff& t) { SetEntry(t, 258, 3, 12), SetEntry(t, 279, 4, 7); }},
    };
    for (const Case& c : cases) {
        RawTiff t = GreyTiff(16, 4, 64);
        c.change(t);
        EXPECT_FALSE(Reads(dir, "x.tif", t.Bytes())) << c.what;
    }
    // Directories that libtiff repairs or that read as far as their data goes: no harm,
    // whatever the result.
    RawTiff noMap = GreyTiff(16, 4, 64);
    SetEntry(noMap, 262, 3, 3);
    Reads(dir, "y.tif", noMap.Bytes());
    RawTiff tiles = GreyTiff(40, 40, 64);
    SetEntry(tiles, 322, 4, 16);
    SetEntry(tiles, 323, 4, 16);
    Reads(dir, "z.tif", tiles.Bytes());
}

TEST(CraftedFiles, CraftedJpegMarkersAndArchivesAreRefused) {
    ScratchDir dir;
    // Start of frame with absurd and zero sizes, a frame with 255 components, a stream
    // of nothing but markers.
    auto sof = [](uint16_t h, uint16_t w, BYTE comps) {
        std::vector<BYTE> f = {0xFF, 0xD8, 0xFF, 0xC0};
        const uint16_t len = static_cast<uint16_t>(8 + 3 * comps);
        f.push_back(static_cast<BYTE>(len >> 8));
        f.push_back(static_cast<BYTE>(len));
        f.push_back(8);
        f.push_back(static_cast<BYTE>(h >> 8));
        f.push_back(static_cast<BYTE>(h));
        f.push_back(static_cast<BYTE>(w >> 8));
        f.push_back(static_cast<BYTE>(w));
        f.push_back(comps);
        for (BYTE c = 0; c < comps; ++c) {
            f.push_back(c + 1);
            f.push_back(0x11);
            f.push_back(0);
        }
        f.push_back(0xFF);
        f.push_back(0xD9);
        return f;
    };
    EXPECT_FALSE(Reads(dir, "a.jpg", sof(65500, 65500, 3)));
    EXPECT_FALSE(Reads(dir, "b.jpg", sof(0, 16, 3)));
    EXPECT_FALSE(Reads(dir, "c.jpg", sof(16, 16, 255)));
    std::vector<BYTE> markers = {0xFF, 0xD8};
    for (int i = 0; i < 2000; ++i) {
        markers.push_back(0xFF);
        markers.push_back(0xFE);
        markers.push_back(0);
        markers.push_back(2);
    }
    EXPECT_FALSE(Reads(dir, "d.jpg", markers));

    // Image records: mutations of a stored record either load or throw the archive's
    // or file's exception.
    CMyImageData rec;
    rec.SetPath("/a/b.bmp");
    auto thumb = std::make_unique<CMyThumbnl>();
    thumb->m_bitsPerPixel = 8;
    thumb->m_width = 5;
    thumb->m_height = 3;
    thumb->m_colorCount = 256;
    thumb->m_bits = SECImage::AllocBlock(24);
    thumb->m_rowsPadded = TRUE;
    thumb->BuildInfoHeader();
    rec.SetThumbnail(std::move(thumb));
    CMemFile mem;
    {
        CArchive ar(&mem, CArchive::store);
        rec.Serialize(ar);
        ar.Close();
    }
    int loaded = 0;
    for (const auto& m : Mutations(mem.Data(), 300, 99)) {
        CMemFile in(m);
        CArchive ar(&in, CArchive::load);
        CMyImageData back;
        try {
            back.Serialize(ar);
            ++loaded;
            EXPECT_NE(back.GetThumbnail(), nullptr);
        } catch (const CArchiveException&) {
        } catch (const CFileException&) {
        }
    }
    EXPECT_GT(loaded, 0);
}
