// The capture-position list file (".dat") of the automatic panel: a flat little-endian record,
// no header or version:
//   offset 0   double  start (µm)
//          8   double  end (µm)
//         16   double  interval (µm)
//         24   int32   count of the equal-interval range (-1 when the interval is 0)
//         28   int32   n, the number of positions
//         32   n × double positions (µm) in capture order
// so a file is exactly 32 + 8n bytes long.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CArchive;
class CFileException;

struct CapturePositionFile {
    double start = 0.0;
    double end = 0.0;
    double interval = 0.0;
    int32_t count = 0;
    std::vector<double> positions;

    // Header bytes before the positions.
    static constexpr uint64_t kHeaderBytes = 32;
    // More positions than this are never kept in a list: such a file is refused on reading.
    static constexpr int32_t kMaxPositions = 65536;

    // Stores the record, or loads it. Loading checks everything before it changes a field: a
    // record that is short, longer than it declares, has a negative or too large n, a count below
    // -1, a value that is not finite or one outside the coordinate range (±999999) throws
    // CArchiveException and leaves this object as it was. Storing refuses the same values.
    void Serialize(CArchive& ar);

    // Reads the file at path into this record. False (and this record unchanged) when the file
    // cannot be opened or read or is refused as above; the caller shows message 9201.
    bool Load(const std::string& path);
    // Writes the record to path through a temporary file beside it that replaces the target only
    // when complete. False when nothing could be written; the target then stays as it was, and
    // error (when given) holds the file error, or none when the record itself was refused.
    bool Save(const std::string& path, CFileException* error = nullptr) const;

private:
    void Store(CArchive& ar) const;
};
