#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "hypergraphics/Archive.h"
#include "hypergraphics/Area.h"
#include "hypergraphics/AreaList.h"

namespace vd {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes StoreArea(CArea& area) {
    CArchive ar;
    area.Serialize(ar);
    return ar.GetBuffer();
}

void Append(Bytes& bytes, std::initializer_list<std::uint8_t> more) {
    bytes.insert(bytes.end(), more);
}

void Append(Bytes& bytes, const std::string& text) {
    bytes.insert(bytes.end(), text.begin(), text.end());
}

TEST(AreaTest, ArgumentConstructorGivesShapeOneAndEmptyBoxAndNoPoints) {
    CArea area(1);
    EXPECT_EQ(area.m_nShape, 1);
    EXPECT_EQ(area.m_rcBox, (CRect{0, 0, 0, 0}));
    EXPECT_TRUE(area.m_strName.empty());
    EXPECT_TRUE(area.m_strTarget.empty());
    EXPECT_TRUE(area.m_points.IsEmpty());
}

TEST(AreaTest, RuntimeClassRecordAndCreationByName) {
    const CRuntimeClass* pClass = CRuntimeClass::FromName("CArea");
    ASSERT_NE(pClass, nullptr);
    EXPECT_EQ(pClass, &CArea::classCArea);
    EXPECT_STREQ(pClass->m_lpszClassName, "CArea");
    EXPECT_EQ(pClass->m_wSchema, 2u);
    EXPECT_EQ(pClass->m_pBaseClass, &CObject::classCObject);

    std::unique_ptr<CObject> pObject = CRuntimeClass::CreateObject("CArea");
    ASSERT_NE(pObject, nullptr);
    EXPECT_EQ(pObject->GetRuntimeClass(), &CArea::classCArea);
    EXPECT_TRUE(pObject->IsKindOf(&CObject::classCObject));
    EXPECT_FALSE(CObject().IsKindOf(&CArea::classCArea));

    EXPECT_EQ(CRuntimeClass::FromName("CAreaX"), nullptr);
    EXPECT_EQ(CRuntimeClass::CreateObject("CObject"), nullptr);  // not creatable
    EXPECT_EQ(CRuntimeClass::CreateObject(""), nullptr);
}

TEST(AreaTest, StoreGivesTheDocumentedBytes) {
    CArea area(1);
    area.m_strTarget = "TARGET01";
    area.m_strName = "abc";
    area.m_nType = AREA_JUMP;
    area.m_bVisible = 1;
    area.m_points.Add({10, 20});
    area.m_points.Add({40, 60});

    Bytes expected(16, 0);
    Append(expected, {0x01, 0x00, 0x08});
    Append(expected, "TARGET01");
    Append(expected, {0x03});
    Append(expected, "abc");
    Append(expected, {1, 0, 0, 0, 1, 0, 0, 0, 2, 0});
    Append(expected, {0x0A, 0, 0, 0, 0x14, 0, 0, 0, 0x28, 0, 0, 0, 0x3C, 0, 0, 0});
    EXPECT_EQ(StoreArea(area), expected);
}

TEST(AreaTest, LoadRebuildsRectangleFromAbsolutePointsAndSetsDrawingAttributes) {
    CArea source(1);
    source.m_rcBox = {1, 2, 3, 4};
    source.m_nShape = 0x12345;  // only the low 16 bits are kept
    source.m_strTarget = "jump";
    source.m_strName = "name";
    source.m_nType = AREA_MACRO;
    source.m_bVisible = 0;
    source.m_points.Add({10, -20});
    source.m_points.Add({40, -60});
    source.m_points.Add({7, 8});
    const Bytes bytes = StoreArea(source);

    CArea loaded;
    CArchive ar{std::span<const std::uint8_t>(bytes)};
    loaded.Serialize(ar);
    EXPECT_EQ(ar.GetRemaining(), 0u);
    EXPECT_EQ(loaded.m_rcBox, (CRect{1, 2, 3, 4}));
    EXPECT_EQ(loaded.m_nShape, 0x2345);
    EXPECT_EQ(loaded.m_strTarget, "jump");
    EXPECT_EQ(loaded.m_strName, "name");
    EXPECT_EQ(loaded.m_nType, AREA_MACRO);
    EXPECT_EQ(loaded.m_bVisible, 0);
    ASSERT_EQ(loaded.m_points.GetSize(), 3u);
    EXPECT_EQ(loaded.m_points[2], (CPoint{7, 8}));
    EXPECT_EQ(loaded.m_rect, (CRect{10, 20, 40, 60}));
    EXPECT_EQ(loaded.m_nLineStyle, 2);
    EXPECT_EQ(loaded.m_nLineWidth, 1);
    EXPECT_EQ(loaded.m_crLine, 0x00FF0000u);

    // A stored shape with the high bit set is widened without sign.
    source.m_nShape = -1;
    const Bytes wide = StoreArea(source);
    CArchive ar2{std::span<const std::uint8_t>(wide)};
    loaded.Serialize(ar2);
    EXPECT_EQ(loaded.m_nShape, 0xFFFF);
}

TEST(AreaTest, MostNegativeYDoesNotOverflow) {
    CArea source(1);
    source.m_points.Add({0, std::numeric_limits<std::int32_t>::min()});
    source.m_points.Add({0, std::numeric_limits<std::int32_t>::min() + 1});
    const Bytes bytes = StoreArea(source);
    CArea loaded;
    CArchive ar{std::span<const std::uint8_t>(bytes)};
    loaded.Serialize(ar);
    EXPECT_EQ(loaded.m_rect.top, std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(loaded.m_rect.bottom, std::numeric_limits<std::int32_t>::max());
}

TEST(AreaTest, LongStringsAndCountsUseTheirLongPrefixes) {
    struct Case {
        std::size_t nLength;
        Bytes prefix;
    };
    const Case cases[] = {
        {0, {0x00}},
        {254, {0xFE}},
        {255, {0xFF, 0xFF, 0x00}},
        {65533, {0xFF, 0xFD, 0xFF}},
        {65534, {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
        {70000, {0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.nLength);
        const std::string text(c.nLength, 'x');
        CArchive store;
        store.WriteString(text);
        const Bytes& bytes = store.GetBuffer();
        ASSERT_EQ(bytes.size(), c.prefix.size() + c.nLength);
        EXPECT_TRUE(std::equal(c.prefix.begin(), c.prefix.end(), bytes.begin()));
        CArchive load{std::span<const std::uint8_t>(bytes)};
        EXPECT_EQ(load.ReadString(), text);
        EXPECT_EQ(load.GetRemaining(), 0u);
    }

    const std::pair<std::size_t, Bytes> counts[] = {
        {0, {0x00, 0x00}},
        {0xFFFE, {0xFE, 0xFF}},
        {0xFFFF, {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}},
        {0x12345, {0xFF, 0xFF, 0x45, 0x23, 0x01, 0x00}},
    };
    for (const auto& [nCount, expected] : counts) {
        SCOPED_TRACE(nCount);
        CArchive store;
        store.WriteCount(nCount);
        EXPECT_EQ(store.GetBuffer(), expected);
        CArchive load{std::span<const std::uint8_t>(store.GetBuffer())};
        EXPECT_EQ(load.ReadCount(), nCount);
    }
}

TEST(AreaTest, MalformedArchivesAreRefusedAndLeaveTheAreaUnchanged) {
    CArea source(1);
    source.m_strTarget = "t";
    source.m_strName = "n";
    source.m_points.Add({1, 2});
    source.m_points.Add({3, 4});
    const Bytes good = StoreArea(source);

    CArea area(1);
    area.m_strName = "keep";
    // Every truncation fails.
    for (std::size_t n = 0; n < good.size(); ++n) {
        SCOPED_TRACE(n);
        CArchive ar{std::span<const std::uint8_t>(good.data(), n)};
        EXPECT_THROW(area.Serialize(ar), CArchiveException);
        EXPECT_EQ(area.m_strName, "keep");
    }

    // A string length far beyond the data, a huge point count, a wide string.
    Bytes hugeString(16, 0);
    Append(hugeString, {1, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F});
    Bytes hugeCount(16, 0);
    Append(hugeCount, {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
    Bytes wide(16, 0);
    Append(wide, {1, 0, 0xFF, 0xFE, 0xFF, 0x01, 0x41, 0x00});
    for (const Bytes* pBytes : {&hugeString, &hugeCount, &wide}) {
        CArchive ar{std::span<const std::uint8_t>(*pBytes)};
        EXPECT_THROW(area.Serialize(ar), CArchiveException);
    }

    // Fewer than two points: the rectangle cannot be rebuilt.
    CArea onePoint(1);
    onePoint.m_points.Add({5, 6});
    const Bytes bytes = StoreArea(onePoint);
    CArchive ar{std::span<const std::uint8_t>(bytes)};
    EXPECT_THROW(area.Serialize(ar), CArchiveException);
    EXPECT_EQ(area.m_strName, "keep");
}

TEST(AreaTest, ArchiveRefusesTheWrongDirection) {
    CArchive store;
    std::uint8_t value = 0;
    EXPECT_THROW(store >> value, CArchiveException);
    const Bytes bytes = {1};
    CArchive load{std::span<const std::uint8_t>(bytes)};
    EXPECT_THROW(load << value, CArchiveException);
}

TEST(AreaListTest, ListDoesNotOwnItsAreasAndOwnerDeletesThem) {
    CArea first(1);
    CArea second(1);
    second.m_strName = "second";
    {
        CAreaList list;
        list.AddTail(&first);
        list.AddTail(&second);
        ASSERT_EQ(list.GetCount(), 2u);
        EXPECT_EQ(list.GetHead(), &first);
        EXPECT_EQ(list.GetTail(), &second);
        std::vector<CArea*> walked(list.begin(), list.end());
        EXPECT_EQ(walked, (std::vector<CArea*>{&first, &second}));
        list.RemoveAll();
        EXPECT_TRUE(list.IsEmpty());
        EXPECT_EQ(list.GetHead(), nullptr);
        list.AddTail(&second);
    }  // destroying the list leaves the areas alone
    EXPECT_EQ(second.m_strName, "second");

    // The owner deletes what is in the list (the sanitizer build catches a leak).
    CAreaList list;
    {
        CAreaListOwner owner(list);
        list.AddTail(new CArea(1));
        list.AddTail(new CArea(1));
    }
    EXPECT_TRUE(list.IsEmpty());
}

}  // namespace
}  // namespace vd
