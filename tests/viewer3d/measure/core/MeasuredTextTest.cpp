// Measured values as CSV (CP932, CR LF) and as clipboard text (UTF-8, tabs).
#include "ReaderTestSupport.h"

#include "ids/BrelvoxaIds.h"
#include "platform/File.h"
#include "viewer3d/measure/core/MeasuredText.h"

#include <gtest/gtest.h>

#include <map>

using namespace v3d;

namespace {
std::string strings(unsigned id) {
    static const std::map<unsigned, std::string> s = {
        {bxid::str::CsvHeight, "高さ,%.02f,%s\n"},       {bxid::str::CsvWidth, "幅,%.02f,%s\r\n"},
        {bxid::str::CsvArea, "面積,%.02f,%s\r\n"},       {bxid::str::CsvAngle, "角度,%.02f,°\r\n"},
        {bxid::str::CsvRa, "粗さRa,%.02f,%s\r\n"},       {bxid::str::CsvRz, "粗さRz,%.02f,%s\r\n"},
        {bxid::str::TabHeight, "高さ\t%.02f\t%s\n"},     {bxid::str::TabWidth, "幅\t%.02f\t%s\n"},
        {bxid::str::TabArea, "面積\t%.02f\t%s\n"},       {bxid::str::TabAngle, "角度\t%.02f\t°\n"},
        {bxid::str::TabRa, "粗さRa\t%.02f\t%s\n"},       {bxid::str::TabRz, "粗さRz\t%.02f\t%s\n"},
        {bxid::str::TabRzjis, "粗さRzjis\t%.02f\t%s\n"},
    };
    auto it = s.find(id);
    return it == s.end() ? std::string() : it->second;
}
} // namespace

TEST(MeasuredTextTest, CsvAndClipboardLines) {
    MeasuredValues v{1.234, 2.5 * 0.5, 3, 45, 0.111, 2.226, 1.5, "μｍ", "ｍｍ", "μ㎡"};
    EXPECT_EQ(FormatMeasuredValues(v, true, strings),
              "高さ,1.23,μｍ\r\n幅,1.25,ｍｍ\r\n面積,3.00,μ㎡\r\n角度,45.00,°\r\n粗さRa,0.11,μｍ\r\n"
              "粗さRz,2.23,μｍ\r\n粗さRzjis,1.50,μｍ\r\n");
    EXPECT_EQ(FormatMeasuredValues(v, false, strings),
              "高さ\t1.23\tμｍ\n幅\t1.25\tｍｍ\n面積\t3.00\tμ㎡\n角度\t45.00\t°\n粗さRa\t0.11\tμｍ\n"
              "粗さRz\t2.23\tμｍ\n粗さRzjis\t1.50\tμｍ\n");
    // A hostile format cannot read arguments that are not there.
    EXPECT_EQ(FillMeasuredFormat("%s %s %n %.02f %d 100%%", 1, "u"), "u %s %n 1.00 %d 100%");

    v3dtest::ScratchDir dir;
    const std::string path = dir.Path("Sheet1.csv");
    ASSERT_EQ(WriteMeasuredCsv(path, "高さ,1.00,μｍ\r\n"), 1);
    CFile f(path, CFile::modeRead);
    char buf[64] = {};
    const UINT n = f.Read(buf, sizeof buf);
    EXPECT_EQ(std::string(buf, n), "\x8d\x82\x82\xb3,1.00,\x83\xca\x82\x8d\r\n");
    EXPECT_EQ(WriteMeasuredCsv(dir.Path("none/x.csv"), "a"), 0);
}
