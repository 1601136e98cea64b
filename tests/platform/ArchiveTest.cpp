#include "platform/Archive.h"

#include "tests/support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {
std::vector<BYTE> bytes(std::initializer_list<int> list) {
    std::vector<BYTE> v;
    for (int b : list)
        v.push_back(static_cast<BYTE>(b));
    return v;
}

template <class F> std::vector<BYTE> stored(F&& write) {
    CMemFile mem;
    {
        CArchive ar(&mem, CArchive::store);
        write(ar);
        ar.Close();
    }
    return mem.Detach();
}

// A small record class tree: a base with an int, a derived class that adds a string and may
// point at another record.
class CTestRecord : public CObject {
    DECLARE_SERIAL(CTestRecord)
public:
    int value = 0;
    void Serialize(CArchive& ar) override {
        if (ar.IsStoring())
            ar << value;
        else
            ar >> value;
    }
};
IMPLEMENT_SERIAL(CTestRecord, CObject, 1)

class CTestNamedRecord : public CTestRecord {
    DECLARE_SERIAL(CTestNamedRecord)
public:
    std::string name;
    CTestRecord* link = nullptr; // not owned
    void Serialize(CArchive& ar) override {
        CTestRecord::Serialize(ar);
        if (ar.IsStoring())
            ar << name << static_cast<const CObject*>(link);
        else
            ar >> name >> link;
    }
};
IMPLEMENT_SERIAL(CTestNamedRecord, CTestRecord, 2)

class CTestOther : public CObject {
    DECLARE_SERIAL(CTestOther)
};
IMPLEMENT_SERIAL(CTestOther, CObject, 0)

class CTestDynOnly : public CObject {
    DECLARE_DYNCREATE(CTestDynOnly)
};
IMPLEMENT_DYNCREATE(CTestDynOnly, CObject)

int causeOfLoading(const std::vector<BYTE>& data, const CRuntimeClass* expected) {
    CMemFile mem(data);
    CArchive ar(&mem, CArchive::load);
    try {
        std::unique_ptr<CObject> o(ar.ReadObject(expected));
        return CArchiveException::none;
    } catch (const CArchiveException& e) {
        return e.m_cause;
    }
}
} // namespace

TEST(Archive, NumbersAreLittleEndianWithBoolAsInt) {
    auto data = stored([](CArchive& ar) {
        ar << BYTE(0xAB) << WORD(0x1234) << DWORD(0xDEADBEEF) << LONG(-2) << short(-3) << true << 1.5f
           << -0.25;
    });
    EXPECT_EQ(data,
              bytes({0xAB, 0x34, 0x12, 0xEF, 0xBE, 0xAD, 0xDE, 0xFE, 0xFF, 0xFF, 0xFF, 0xFD, 0xFF, 1,   0,
                     0,    0,    0x00, 0x00, 0xC0, 0x3F, 0,    0,    0,    0,    0,    0,    0xD0, 0xBF}));
    CMemFile mem(data);
    CArchive ar(&mem, CArchive::load);
    BYTE b;
    WORD w;
    DWORD d;
    LONG l;
    short s;
    bool flag;
    float f;
    double x;
    ar >> b >> w >> d >> l >> s >> flag >> f >> x;
    EXPECT_EQ(b, 0xAB);
    EXPECT_EQ(w, 0x1234);
    EXPECT_EQ(d, 0xDEADBEEFu);
    EXPECT_EQ(l, -2);
    EXPECT_EQ(s, -3);
    EXPECT_TRUE(flag);
    EXPECT_EQ(f, 1.5f);
    EXPECT_EQ(x, -0.25);
    EXPECT_THROW(ar >> b, CArchiveException);
}

TEST(Archive, StringAndCountPrefixesAtEveryThreshold) {
    struct Case {
        size_t length;
        std::vector<BYTE> prefix;
    } cases[] = {
        {0, bytes({0x00})},
        {254, bytes({0xFE})},
        {255, bytes({0xFF, 0xFF, 0x00})},
        {0xFFFD, bytes({0xFF, 0xFD, 0xFF})},
        {0xFFFE, bytes({0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00})},
        {0x10000, bytes({0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x01, 0x00})},
    };
    for (const auto& c : cases) {
        std::string text(c.length, 'q');
        auto data = stored([&](CArchive& ar) { ar << text; });
        ASSERT_EQ(data.size(), c.prefix.size() + c.length) << c.length;
        EXPECT_EQ(std::vector<BYTE>(data.begin(), data.begin() + c.prefix.size()), c.prefix) << c.length;
        CMemFile mem(data);
        CArchive ar(&mem, CArchive::load);
        EXPECT_EQ(ar.ReadString(), text) << c.length;
    }
    EXPECT_EQ(stored([](CArchive& ar) { ar << "ab"; }), bytes({2, 'a', 'b'}));

    auto counts = stored([](CArchive& ar) {
        ar.WriteCount(3);
        ar.WriteCount(0xFFFE);
        ar.WriteCount(0xFFFF);
    });
    EXPECT_EQ(counts, bytes({3, 0, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0}));
    CMemFile mem(counts);
    CArchive ar(&mem, CArchive::load);
    EXPECT_EQ(ar.ReadCount(), 3u);
    EXPECT_EQ(ar.ReadCount(), 0xFFFEu);
    EXPECT_EQ(ar.ReadCount(), 0xFFFFu);
}

TEST(Archive, TruncatedOrOverlongLengthsThrowBeforeAllocating) {
    // A string that declares 4 GiB - 2 bytes with three behind it.
    for (const auto& data : {bytes({0x05, 'a', 'b'}), bytes({0xFF, 0x00, 0x01, 'x'}),
                             bytes({0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 'a', 'b', 'c'}), bytes({0xFF}),
                             bytes({0xFF, 0xFF, 0xFF, 0x01})}) {
        CMemFile mem(data);
        CArchive ar(&mem, CArchive::load);
        try {
            ar.ReadString();
            ADD_FAILURE() << "read a string from " << data.size() << " bytes";
        } catch (const CArchiveException& e) {
            EXPECT_EQ(e.m_cause, CArchiveException::endOfFile);
        }
    }
    // A count of 0x10000 elements of 8 bytes with 16 bytes behind it.
    auto data = bytes({0xFF, 0xFF, 0x00, 0x00, 0x01, 0x00});
    data.resize(data.size() + 16);
    CMemFile mem(data);
    CArchive ar(&mem, CArchive::load);
    try {
        ar.ReadCount(8);
        ADD_FAILURE() << "count accepted";
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.m_cause, CArchiveException::endOfFile);
    }
    // The wide-string marker is refused rather than misread.
    CMemFile wide(bytes({0xFF, 0xFE, 0xFF, 0x01, 'a', 0}));
    CArchive war(&wide, CArchive::load);
    EXPECT_THROW(war.ReadString(), CArchiveException);
}

TEST(Archive, ObjectTagsGoldenBytes) {
    CTestNamedRecord a;
    a.value = 7;
    a.name = "A";
    CTestNamedRecord b;
    b.value = 8;
    b.name = "B";
    b.link = &a;
    auto data = stored([&](CArchive& ar) {
        ar << static_cast<const CObject*>(&a) << static_cast<const CObject*>(&b)
           << static_cast<const CObject*>(nullptr);
    });
    std::vector<BYTE> expect = bytes({0xFF, 0xFF, 2, 0, 16, 0}); // new class, schema 2, name length
    for (char c : std::string("CTestNamedRecord"))               // class gets index 1
        expect.push_back(static_cast<BYTE>(c));
    for (int v : {7, 0, 0, 0, 1, int('A'), 0, 0}) // a (index 2): value, name, null link
        expect.push_back(static_cast<BYTE>(v));
    for (int v : {0x01, 0x80, 8, 0, 0, 0, 1, int('B'), 2, 0, 0, 0}) // known class 1, b (index 3), link to 2
        expect.push_back(static_cast<BYTE>(v));
    EXPECT_EQ(data, expect);

    CMemFile mem(data);
    CArchive ar(&mem, CArchive::load);
    CTestRecord* ra = nullptr;
    CTestRecord* rb = nullptr;
    CTestRecord* rn = &a;
    ar >> ra >> rb >> rn;
    std::unique_ptr<CTestRecord> ownA(ra), ownB(rb);
    ASSERT_NE(ra, nullptr);
    ASSERT_NE(rb, nullptr);
    EXPECT_EQ(rn, nullptr);
    ASSERT_TRUE(rb->IsKindOf(RUNTIME_CLASS(CTestNamedRecord)));
    auto* nb = static_cast<CTestNamedRecord*>(rb);
    EXPECT_EQ(nb->value, 8);
    EXPECT_EQ(nb->name, "B");
    EXPECT_EQ(nb->link, ra); // the back-reference is the object read before
    EXPECT_EQ(static_cast<CTestNamedRecord*>(ra)->name, "A");
}

TEST(Archive, MalformedObjectTagsThrowTheirCause) {
    auto newClass = [](const std::string& name, int schema) {
        std::vector<BYTE> v = bytes({0xFF, 0xFF, schema, 0, static_cast<int>(name.size()), 0});
        v.insert(v.end(), name.begin(), name.end());
        return v;
    };
    EXPECT_EQ(causeOfLoading(newClass("CNoSuchClass", 0), nullptr), CArchiveException::badClass);
    EXPECT_EQ(causeOfLoading(newClass("CTestRecord", 5), nullptr), CArchiveException::badSchema);
    EXPECT_EQ(causeOfLoading(newClass("CTestDynOnly", 0xFF), nullptr), CArchiveException::badSchema);
    // Not the kind the reader asked for.
    auto other = newClass("CTestOther", 0);
    EXPECT_EQ(causeOfLoading(other, RUNTIME_CLASS(CTestRecord)), CArchiveException::badClass);
    EXPECT_EQ(causeOfLoading(other, RUNTIME_CLASS(CObject)), CArchiveException::none);
    // References to nothing read before.
    EXPECT_EQ(causeOfLoading(bytes({0x01, 0x80}), nullptr), CArchiveException::badIndex);
    EXPECT_EQ(causeOfLoading(bytes({0x05, 0x00}), nullptr), CArchiveException::badIndex);
    EXPECT_EQ(causeOfLoading(bytes({0xFF, 0x7F, 0x09, 0, 0, 0x80}), nullptr), CArchiveException::badIndex);
    // Cut inside the name, inside the fields, inside the tag.
    auto cut = newClass("CTestRecord", 1);
    EXPECT_EQ(causeOfLoading(std::vector<BYTE>(cut.begin(), cut.end() - 3), nullptr),
              CArchiveException::endOfFile);
    cut.push_back(7);
    EXPECT_EQ(causeOfLoading(cut, nullptr), CArchiveException::endOfFile);
    EXPECT_EQ(causeOfLoading(bytes({0xFF}), nullptr), CArchiveException::endOfFile);
    // A name length beyond the data.
    EXPECT_EQ(causeOfLoading(bytes({0xFF, 0xFF, 1, 0, 0xFF, 0xFF, 'C'}), nullptr),
              CArchiveException::endOfFile);
}

TEST(Archive, WrongDirectionAndUnstorableClassesAreRefused) {
    CMemFile mem;
    CArchive ar(&mem, CArchive::store);
    BYTE b;
    try {
        ar >> b;
        ADD_FAILURE();
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.m_cause, CArchiveException::writeOnly);
    }
    CTestDynOnly dyn;
    EXPECT_THROW(ar.WriteObject(&dyn), CArchiveException);
    EXPECT_TRUE(ar.IsStoring());

    CMemFile src(bytes({1, 2}));
    CArchive in(&src, CArchive::load);
    EXPECT_TRUE(in.IsLoading());
    try {
        in << BYTE(1);
        ADD_FAILURE();
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.m_cause, CArchiveException::readOnly);
    }
}

TEST(Archive, BlocksLargerThanTheBufferAndCloseGivesBackUnreadBytes) {
    std::vector<BYTE> block(10000);
    for (size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<BYTE>(i * 7);
    auto data = stored([&](CArchive& ar) {
        ar << WORD(1);
        ar.Write(block.data(), static_cast<UINT>(block.size()));
        ar << WORD(2);
    });
    ASSERT_EQ(data.size(), 10004u);
    CMemFile mem(data);
    {
        CArchive ar(&mem, CArchive::load, 256);
        WORD w;
        ar >> w;
        EXPECT_EQ(ar.Remaining(), 10002u);
        std::vector<BYTE> back(block.size());
        ar.ReadExact(back.data(), back.size());
        EXPECT_EQ(back, block);
        ar.Close();
    }
    // The archive read ahead into its buffer; after Close the file is where the archive stopped.
    EXPECT_EQ(mem.GetPosition(), 10002u);
}

TEST(Archive, RoundTripThroughAFileWrittenAtomically) {
    ScratchFolder dir("archive-test");
    std::string path = dir / "positions.dat";
    {
        AtomicFileWriter w(path);
        ASSERT_TRUE(w.Open());
        CArchive ar(&w.File(), CArchive::store);
        ar << 10.0 << 20.0 << 2.5 << 5 << 2 << 11.0 << 13.5;
        ar.Close();
        ASSERT_TRUE(w.Commit());
    }
    CFile f(path, CFile::modeRead | CFile::shareDenyWrite);
    EXPECT_EQ(f.GetLength(), 48u);
    CArchive ar(&f, CArchive::load);
    double start, end, interval, p0, p1;
    int count, n;
    ar >> start >> end >> interval >> count >> n;
    EXPECT_EQ(ar.Remaining(), 16u);
    ar >> p0 >> p1;
    EXPECT_EQ(ar.Remaining(), 0u);
    EXPECT_EQ(count, 5);
    EXPECT_EQ(n, 2);
    EXPECT_EQ(p1, 13.5);
    EXPECT_THROW(ar >> p0, CArchiveException);
    f.Close();
}

TEST(Archive, EveryTruncationOfAStoredRecordThrowsEndOfFile) {
    CTestNamedRecord a;
    a.value = 1;
    a.name = std::string(300, 'n'); // takes the WORD form of the length
    CTestNamedRecord b;
    b.link = &a;
    auto data = stored([&](CArchive& ar) { ar << static_cast<const CObject*>(&b); });
    ASSERT_GT(data.size(), 300u);
    for (size_t n = 0; n < data.size(); ++n) {
        CMemFile mem(data.data(), n);
        CArchive ar(&mem, CArchive::load, 64);
        try {
            std::unique_ptr<CObject> o(ar.ReadObject(RUNTIME_CLASS(CTestRecord)));
            ADD_FAILURE() << "read a record from " << n << " of " << data.size() << " bytes";
        } catch (const CArchiveException& e) {
            EXPECT_EQ(e.m_cause, CArchiveException::endOfFile) << n;
        }
    }
}
