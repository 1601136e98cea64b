#include "shell/core/capture/CapturePositionFile.h"

#include "platform/Archive.h"
#include "platform/File.h"
#include "shell/core/capture/CapturePositions.h"

#include <cmath>

namespace {

bool ValuesAcceptable(const CapturePositionFile& f) {
    if (!IsCaptureCoordinate(f.start) || !IsCaptureCoordinate(f.end) || !IsCaptureCoordinate(f.interval))
        return false;
    if (f.count < -1)
        return false;
    for (double v : f.positions)
        if (!IsCaptureCoordinate(v))
            return false;
    return true;
}

} // namespace

void CapturePositionFile::Store(CArchive& ar) const {
    if (positions.size() > static_cast<size_t>(kMaxPositions) || !ValuesAcceptable(*this))
        throw CArchiveException(CArchiveException::genericException);
    ar << start << end << interval << static_cast<int>(count) << static_cast<int>(positions.size());
    for (double v : positions)
        ar << v;
}

void CapturePositionFile::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        Store(ar);
        return;
    }
    CapturePositionFile read;
    int count32 = 0, n = 0;
    ar >> read.start >> read.end >> read.interval >> count32 >> n;
    read.count = count32;
    if (n < 0 || n > kMaxPositions)
        throw CArchiveException(CArchiveException::genericException);
    // The positions must be exactly what is left: a shorter file is truncated, a longer one is
    // not a position file.
    if (ar.Remaining() != static_cast<uint64_t>(n) * 8u)
        throw CArchiveException(CArchiveException::endOfFile);
    read.positions.resize(static_cast<size_t>(n));
    for (double& v : read.positions)
        ar >> v;
    if (!ValuesAcceptable(read))
        throw CArchiveException(CArchiveException::genericException);
    *this = std::move(read);
}

bool CapturePositionFile::Load(const std::string& path) {
    try {
        CFile file;
        if (!file.Open(path, CFile::modeRead | CFile::typeBinary))
            return false;
        const uint64_t length = file.GetLength();
        if (length < kHeaderBytes || length > kHeaderBytes + static_cast<uint64_t>(kMaxPositions) * 8u)
            return false;
        CArchive ar(&file, CArchive::load);
        Serialize(ar);
        ar.Close();
        return true;
    } catch (const CArchiveException&) {
    } catch (const CFileException&) {
    }
    return false;
}

bool CapturePositionFile::Save(const std::string& path, CFileException* error) const {
    AtomicFileWriter writer(path);
    CFileException failure;
    try {
        if (writer.Open(&failure)) {
            {
                CArchive ar(&writer.File(), CArchive::store);
                Store(ar);
                ar.Close();
            }
            if (writer.Commit(&failure))
                return true;
        }
    } catch (const CArchiveException&) {
    } catch (const CFileException& e) {
        failure = e;
    }
    if (error)
        *error = failure;
    writer.Abort();
    return false;
}
