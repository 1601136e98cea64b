// compose: composes a focus series of image files the way the composition worker does (the
// files are decoded ahead by the worker's series reader into reused bitmaps and added to a
// CFocusComp, then the height map and the cut) and prints the speed.
//
//   compose [--size P] [--type 0|1|2] [--align 0|1] [--coarse W] [--z FILE] [--threads N]
//           [--decoders D] [--out DIR] [--job-only] FILE...
//
// N threads in all (default: every core): D of them decode the next files (default as the
// worker chooses for N cores: two fifths of them for JPEG files, else two from six threads on
// and one from two threads on; none with one thread: then each file is decoded when it is
// needed) and the others compose; the height map is built on all N. One line per run: the whole job (decoding
// included) in milliseconds and megapixels per second, the composition alone, the peak
// resident memory of the job, then the time to only decode the same files through the same
// reader, with the job's D decoders and with all N threads, and the whole job over each. The
// load average of the machine and the share of its processors' time that a hypervisor gave to
// other machines during the job end the line. The size of the series is read off the first
// file before the job (off its header where it is a JPEG file), as the worker's starter knows
// it; the maps and the reader are made as the worker makes them, and the engine readies its
// buffers while the first file is decoded. --job-only leaves out the decode-only runs, so that
// the process does nothing but the job (to time it as a whole against another program). --z names a text file
// with one Z value per line (default 0, 1, 2, ...); --out DIR writes DIR/composite.bmp (DIR/composite.tif for
// a 16- or 48-bit series) and DIR/height.f64 (little-endian doubles, row-major, top row first) and prints the
// output size.
#include "../common/BenchFigures.h"
#include "imaging/compose/FocusComp.h"
#include "imaging/compose/FocusCompSeriesReader.h"
#include "imaging/files/ImageFile.h"
#include "imaging/files/SECJpeg.h"
#include "imaging/files/SECJpegCodec.h"
#include "imaging/compose/PlaneKernels.h"
#include "platform/Process.h"

#include <algorithm>
#include <bit>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

int Usage() {
    std::fprintf(
        stderr,
        "usage: compose [--size P] [--type 0|1|2] [--align 0|1] [--coarse W] [--z FILE] [--threads N]\n"
        "               [--decoders D] [--out DIR] [--job-only] FILE...\n");
    return 2;
}

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

bool ReadZ(const std::string& path, std::vector<double>& z) {
    std::ifstream in(path);
    if (!in)
        return false;
    double v;
    while (in >> v)
        z.push_back(v);
    return true;
}

// Reads every file through the series reader and hands each bitmap straight back: the time
// the job would take if composing cost nothing.
double DecodeOnly(const std::vector<std::string>& files, int decoders) {
    const auto t0 = Clock::now();
    CFocusCompSeriesReader reader(files, decoders);
    for (size_t k = 0; k < files.size(); ++k)
        reader.Release(reader.Next().image);
    return Seconds(Clock::now() - t0);
}

// The size a JPEG file's header gives, without decoding the image; false for a file that is
// not one or whose header is cut (the codec's error record ends the read, nothing is shown).
bool JpegSize(const std::string& path, int& width, int& height) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    jpeg_decompress_struct cinfo;
    SECJpegError err;
    cinfo.err = SECJpeg::InitErrorManager(&err.pub);
    bool ok = false;
    if (setjmp(err.jump) == 0) {
        jpeg_create_decompress(&cinfo);
        jpeg_stdio_src(&cinfo, f);
        if (jpeg_read_header(&cinfo, TRUE) == JPEG_HEADER_OK) {
            width = static_cast<int>(cinfo.image_width);
            height = static_cast<int>(cinfo.image_height);
            ok = width > 0 && height > 0;
        }
    }
    jpeg_destroy_decompress(&cinfo);
    std::fclose(f);
    return ok;
}

bool WriteHeights(const std::string& path, double** rows, int w, int h) {
    const std::string tmp = path + ".tmp";
    FILE* f = std::fopen(tmp.c_str(), "wb");
    if (!f)
        return false;
    // Few large writes instead of one per row.
    std::vector<char> buffer(size_t(1) << 20);
    std::setvbuf(f, buffer.data(), _IOFBF, buffer.size());
    std::vector<unsigned char> row(static_cast<size_t>(w) * 8);
    bool ok = true;
    for (int y = 0; y < h && ok; ++y) {
        if constexpr (std::endian::native == std::endian::little) {
            // The rows hold little-endian doubles already: they are written as they are.
            ok = std::fwrite(rows[y], sizeof(double), static_cast<size_t>(w), f) == static_cast<size_t>(w);
            continue;
        }
        for (int x = 0; x < w; ++x)
            le::putDouble(&row[static_cast<size_t>(x) * 8], rows[y][x]);
        ok = std::fwrite(row.data(), 1, row.size(), f) == row.size();
    }
    if (std::fclose(f) != 0)
        ok = false;
    if (!ok || std::rename(tmp.c_str(), path.c_str()) != 0) {
        std::remove(tmp.c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    // Threads that wait for the next parallel step sleep instead of spinning: the decoder and
    // whatever else runs on the machine need those cores. The OpenMP runtime reads the policy
    // when it is loaded, so the program starts itself once more with it set.
    RestartWithPassiveThreadWaits(argv);
    int sizeParam = 8, type = 0, align = 0, coarse = 0, threads = 0, decoders = -1;
    bool jobOnly = false;
    std::string zFile, outDir;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool more = i + 1 < argc;
        if (a == "--size" && more)
            sizeParam = std::atoi(argv[++i]);
        else if (a == "--type" && more)
            type = std::atoi(argv[++i]);
        else if (a == "--align" && more)
            align = std::atoi(argv[++i]);
        else if (a == "--coarse" && more)
            coarse = std::atoi(argv[++i]);
        else if (a == "--z" && more)
            zFile = argv[++i];
        else if (a == "--threads" && more)
            threads = std::atoi(argv[++i]);
        else if (a == "--decoders" && more)
            decoders = std::atoi(argv[++i]);
        else if (a == "--out" && more)
            outDir = argv[++i];
        else if (a == "--job-only")
            jobOnly = true;
        else if (!a.empty() && a[0] == '-')
            return Usage();
        else
            files.push_back(a);
    }
    if (files.empty() || type < 0 || type > 2 || sizeParam < 0 || coarse < 0)
        return Usage();
    std::vector<double> z;
    if (!zFile.empty()) {
        if (!ReadZ(zFile, z) || z.size() < files.size()) {
            std::fprintf(stderr, "compose: %s holds fewer Z values than there are files\n", zFile.c_str());
            return 1;
        }
    } else {
        for (size_t k = 0; k < files.size(); ++k)
            z.push_back(static_cast<double>(k));
    }
    // N threads in all: the decoders of the next files take `decoders` of them, the composition
    // the others.
    const int available = threads > 0 ? threads : static_cast<int>(std::thread::hardware_concurrency());
    if (decoders < 0)
        decoders =
            available >= 2 ? CFocusCompSeriesReader::DecodersFor(static_cast<unsigned>(available), files) : 0;
    decoders = std::clamp(decoders, 0, std::max(available - 1, 0));
    const int composeThreads =
        CFocusCompSeriesReader::ComposersFor(static_cast<unsigned>(available), decoders);
    planes::SetThreadCount(composeThreads);

    // The size of the series, as the worker's starter knows it from the capture settings: read
    // off the first file before the job, from its header where it is a JPEG file (decoding the
    // whole image would add its time to the process's).
    int width = 0, height = 0;
    if (!JpegSize(files[0], width, height)) {
        HDIB first = nullptr;
        const ImageFileRead read = ReadImageFileInto(files[0], &first, nullptr);
        if (read == ImageFileRead::Read) {
            GlobalLockGuard g(first);
            width = DibGetWidth(g.get());
            height = DibGetHeight(g.get());
        }
        GlobalFree(first);
        if (read != ImageFileRead::Read) {
            std::fprintf(stderr, "compose: cannot read %s\n", files[0].c_str());
            return 1;
        }
    }

    // As the worker: the maps, the reader, the buffers readied while the first file is decoded,
    // then the images in turn.
    const ProcessorTimes cpuAtStart = ReadProcessorTimes();
    const auto start = Clock::now();
    CFocusComp fc;
    FocusCompSettings settings{.width = width, .height = height, .sizeParam = sizeParam};
    settings.scope = static_cast<FocusScope>(type);
    settings.alignment = {align != 0, 2, {{{50, 25}, {75, 50}, {50, 75}, {25, 50}}}};
    settings.coarse = {coarse > 0, coarse};
    if (!fc.StartSeries(settings)) {
        std::fprintf(stderr, "compose: not enough memory for the maps\n");
        return 1;
    }
    CFocusCompSeriesReader reader(files, decoders);
    fc.PrepareImages();
    Clock::duration composing = Clock::now() - start;
    for (size_t k = 0; k < files.size(); ++k) {
        const CFocusCompSeriesReader::Frame f = reader.Next();
        if (f.read != ImageFileRead::Read) {
            std::fprintf(stderr, "compose: cannot read %s\n", files[k].c_str());
            return 1;
        }
        const auto t0 = Clock::now();
        const int added = fc.AddImage(f.image);
        composing += Clock::now() - t0;
        reader.Release(f.image);
        if (!added) {
            std::fprintf(stderr, "compose: %s was not added (%s)\n", files[k].c_str(),
                         fc.LastError() == FocusCompError::NoMemory ? "no memory" : "another size or depth");
            return 1;
        }
    }
    // As the worker does: the frames go before the height map, which is built on every thread.
    reader.Close();
    planes::SetThreadCount(available);
    const auto t0 = Clock::now();
    fc.SetZValues(z.data(), static_cast<int>(z.size()));
    if (!fc.BuildHeightMap() || !fc.Compose()) {
        std::fprintf(stderr, "compose: the height map or the cut failed\n");
        return 1;
    }
    composing += Clock::now() - t0;
    const double whole = Seconds(Clock::now() - start);
    const double stolen = StolenPercent(cpuAtStart, ReadProcessorTimes());
    const double peak = PeakResidentMB();
    const double mp = static_cast<double>(width) * height * files.size() / 1e6;
    std::printf("frames %zu  %dx%d  threads %d (%d decoding, %d composing)  whole %.0f ms %.1f MP/s  "
                "composition %.0f ms  peak %.0f MB",
                files.size(), width, height, available, decoders, composeThreads, whole * 1e3, mp / whole,
                Seconds(composing) * 1e3, peak);
    if (!jobOnly) {
        // Only decoding, after the job (so that the job's peak memory is its own).
        const double decodeSame = DecodeOnly(files, decoders);
        const double decodeAll = available > 1 ? DecodeOnly(files, available) : decodeSame;
        std::printf("  decode-only %.0f ms (%d decoders) %.0f ms (%d)  whole/decode %.2f (%d) %.2f (%d)",
                    decodeSame * 1e3, std::max(decoders, 1), decodeAll * 1e3, available > 1 ? available : 1,
                    whole / decodeSame, std::max(decoders, 1), whole / decodeAll,
                    available > 1 ? available : 1);
    }
    std::printf("  load %s  stolen %.0f%%\n", LoadAverage().c_str(), stolen);

    if (!outDir.empty()) {
        HDIB comp = fc.GetComposite();
        int bits = 0;
        {
            GlobalLockGuard g(comp);
            bits = DibGetBitCount(g.get());
        }
        const int imageType = bits == 8 ? 0 : bits == 24 ? 3 : bits == 16 ? 6 : 9;
        // Deep composites have no BMP form that the readers take: they are written as TIFF.
        const std::string name = bits == 16 || bits == 48 ? "/composite.tif" : "/composite.bmp";
        // The two files are written at the same time.
        bool imageSaved = false;
        std::thread imageWriter([&] { imageSaved = SaveImageFile(comp, outDir + name, imageType, 90); });
        const bool heightsSaved =
            WriteHeights(outDir + "/height.f64", fc.GetHeightRows(), fc.OutputWidth(), fc.OutputHeight());
        imageWriter.join();
        if (!imageSaved || !heightsSaved) {
            std::fprintf(stderr, "compose: cannot write into %s\n", outDir.c_str());
            return 1;
        }
        std::printf("output %d %d\n", fc.OutputWidth(), fc.OutputHeight());
    }
    fc.FreeAll();
    fc.FreeWorkMaps(1);
    return 0;
}
