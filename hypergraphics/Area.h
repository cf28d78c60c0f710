// One rectangular hotspot of a segmented hypergraphic, with its type,
// visibility, name and link target.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "hypergraphics/RuntimeClass.h"

namespace vd {

// Hotspot types (m_nType).
constexpr std::int32_t AREA_POPUP = 0;
constexpr std::int32_t AREA_JUMP = 1;
constexpr std::int32_t AREA_MACRO = 2;

struct CPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
    friend bool operator==(const CPoint&, const CPoint&) = default;
};

// A rectangle; right and bottom lie one past the last pixel.
struct CRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    void SetRectEmpty() { left = top = right = bottom = 0; }
    friend bool operator==(const CRect&, const CRect&) = default;
};

// A growable array of points with its own archive form: the count in the
// archive's count form, then x and y of each point as 32 bits.
class CPointArray {
  public:
    std::size_t GetSize() const { return m_points.size(); }
    bool IsEmpty() const { return m_points.empty(); }
    void Add(const CPoint& point) { m_points.push_back(point); }
    void RemoveAll() noexcept { m_points.clear(); }
    const CPoint& operator[](std::size_t nIndex) const { return m_points.at(nIndex); }
    CPoint& operator[](std::size_t nIndex) { return m_points.at(nIndex); }
    auto begin() const { return m_points.begin(); }
    auto end() const { return m_points.end(); }

    // Stores or loads the array; a load replaces the points. Raises
    // CArchiveException on a truncated archive.
    void Serialize(CArchive& ar);

  private:
    std::vector<CPoint> m_points;
};

class CArea : public CObject {
  public:
    static const CRuntimeClass classCArea;  // "CArea", schema 2, created by name

    // For creation by class name; Serialize then loads every field. Fields
    // that only Serialize fills start at zero.
    CArea() = default;
    // An area for the SHG reader: m_nShape 1 and m_rcBox empty. The argument
    // is not used. m_rect, the type, the visibility and the drawing attributes
    // are the creator's to set.
    explicit CArea(int nUnused);
    ~CArea() override = default;

    const CRuntimeClass* GetRuntimeClass() const override { return &classCArea; }

    // Archive form: m_rcBox (4 × 32 bits), m_nShape (16 bits), m_strTarget,
    // m_strName, m_nType and m_bVisible (32 bits each), m_points. After a
    // load m_rect is rebuilt from the first two points (y taken as its
    // absolute value) and the drawing attributes get their fixed values. A
    // load raises CArchiveException on a truncated archive and on an area
    // with fewer than two points.
    void Serialize(CArchive& ar) override;

    std::int32_t m_nShape = 0;
    CPointArray m_points;
    CRect m_rcBox;
    std::string m_strTarget;
    std::int32_t m_nType = 0;
    std::int32_t m_bVisible = 0;
    std::string m_strName;
    CRect m_rect;
    std::int32_t m_nLineStyle = 0;
    std::int32_t m_nLineWidth = 0;
    std::uint32_t m_crLine = 0;  // 0x00BBGGRR

    // Drawing attributes given to every area read or loaded.
    static constexpr std::int32_t kLineStyle = 2;
    static constexpr std::int32_t kLineWidth = 1;
    static constexpr std::uint32_t kLineColour = 0x00FF0000;  // blue
};

}  // namespace vd
