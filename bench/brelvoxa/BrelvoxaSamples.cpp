// brelvoxa_samples DIR [WIDTH HEIGHT]: writes sample.vv3, sample.tdv, sample.txt, sample.bmp
// and sample.rec (a hand-over record) of one data set into DIR (default 320 x 240).
#include "SampleWriter.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: brelvoxa_samples DIR [WIDTH HEIGHT]\n");
        return 2;
    }
    const std::string dir = argv[1];
    const int w = argc > 3 ? std::atoi(argv[2]) : 320, h = argc > 3 ? std::atoi(argv[3]) : 240;
    if (w <= 0 || h <= 0)
        return 2;
    bool ok = brxsample::WriteBytes(dir + "/sample.vv3", brxsample::Vv3File(w, h, 0.5));
    ok = brxsample::WriteBytes(dir + "/sample.rec", brxsample::Record(w, h, 0.5)) && ok;
    ok = brxsample::WriteBytes(dir + "/sample.txt", brxsample::TextFile(w, h)) && ok;
    ok = brxsample::WriteBytes(dir + "/sample.bmp", brxsample::BmpFile(w, h)) && ok;
    ok = brxsample::WriteTdv(dir + "/sample.tdv", w, h, 0.5) && ok;
    if (!ok)
        std::fprintf(stderr, "brelvoxa_samples: a file could not be written in %s\n", dir.c_str());
    return ok ? 0 : 1;
}
