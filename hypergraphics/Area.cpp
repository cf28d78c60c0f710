#include "hypergraphics/Area.h"

#include <limits>
#include <new>

#include "hypergraphics/Archive.h"

namespace vd {

static CObject* CreateArea() { return new (std::nothrow) CArea; }

const CRuntimeClass CArea::classCArea = {"CArea", 2, &CreateArea, &CObject::classCObject};

void CPointArray::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        ar.WriteCount(m_points.size());
        for (const CPoint& point : m_points) ar << point.x << point.y;
        return;
    }
    const std::size_t nCount = ar.ReadCount();
    // The count is untrusted: every point takes 8 bytes, so it cannot exceed
    // what is left of the archive.
    if (nCount > ar.GetRemaining() / 8) {
        throw CArchiveException("point array runs past the end of the archive");
    }
    std::vector<CPoint> points(nCount);
    for (CPoint& point : points) ar >> point.x >> point.y;
    m_points = std::move(points);
}

CArea::CArea(int /*nUnused*/) : m_nShape(1) { m_rcBox.SetRectEmpty(); }

// |value| without overflow: the most negative value saturates.
static std::int32_t AbsoluteValue(std::int32_t value) {
    if (value == std::numeric_limits<std::int32_t>::min()) {
        return std::numeric_limits<std::int32_t>::max();
    }
    return value < 0 ? -value : value;
}

void CArea::Serialize(CArchive& ar) {
    CObject::Serialize(ar);
    if (ar.IsStoring()) {
        ar << m_rcBox.left << m_rcBox.top << m_rcBox.right << m_rcBox.bottom;
        ar << static_cast<std::uint16_t>(m_nShape);
        ar.WriteString(m_strTarget);
        ar.WriteString(m_strName);
        ar << m_nType << m_bVisible;
        m_points.Serialize(ar);
        return;
    }

    // Load into a copy first, so a truncated archive leaves the area as it was.
    CRect rcBox;
    std::uint16_t nShape = 0;
    ar >> rcBox.left >> rcBox.top >> rcBox.right >> rcBox.bottom;
    ar >> nShape;
    std::string strTarget = ar.ReadString();
    std::string strName = ar.ReadString();
    std::int32_t nType = 0;
    std::int32_t bVisible = 0;
    ar >> nType >> bVisible;
    CPointArray points;
    points.Serialize(ar);
    if (points.GetSize() < 2) throw CArchiveException("an area needs two points");

    m_rcBox = rcBox;
    m_nShape = nShape;
    m_strTarget = std::move(strTarget);
    m_strName = std::move(strName);
    m_nType = nType;
    m_bVisible = bVisible;
    m_points = std::move(points);
    m_rect = {m_points[0].x, AbsoluteValue(m_points[0].y), m_points[1].x,
              AbsoluteValue(m_points[1].y)};
    m_nLineWidth = kLineWidth;
    m_crLine = kLineColour;
    m_nLineStyle = kLineStyle;
}

}  // namespace vd
