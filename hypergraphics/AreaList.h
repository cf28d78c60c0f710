// The hotspot areas of one hypergraphic, in hotspot order.
//
// A CAreaList does NOT own its areas: RemoveAll and the destructor free only
// the list's own entries, never the areas. Whoever fills a list owns the
// areas in it and deletes them, most simply with a CAreaListOwner beside the
// list:
//
//     CAreaList list;
//     CAreaListOwner owner(list);   // deletes every area still in the list
//     CMemoryBlock dib = ReadSHGFile(file, list);
//
// Declare the owner after the list, so it runs first when both go out of
// scope; an area taken out of the list with RemoveAll is no longer the
// owner's to delete.
#pragma once

#include <cstddef>
#include <vector>

#include "hypergraphics/Area.h"

namespace vd {

class CAreaList {
  public:
    using const_iterator = std::vector<CArea*>::const_iterator;

    CAreaList() = default;
    CAreaList(const CAreaList&) = delete;
    CAreaList& operator=(const CAreaList&) = delete;
    ~CAreaList() = default;  // the areas stay alive

    // Appends pArea at the tail; the list does not take ownership.
    void AddTail(CArea* pArea) { m_areas.push_back(pArea); }
    // Removes every entry; the areas are not deleted.
    void RemoveAll() noexcept { m_areas.clear(); }

    std::size_t GetCount() const { return m_areas.size(); }
    bool IsEmpty() const { return m_areas.empty(); }
    CArea* GetHead() const { return m_areas.empty() ? nullptr : m_areas.front(); }
    CArea* GetTail() const { return m_areas.empty() ? nullptr : m_areas.back(); }
    // The entry at nIndex from the head (nIndex < GetCount()).
    CArea* GetAt(std::size_t nIndex) const { return m_areas.at(nIndex); }

    // Walks the list from its head.
    const_iterator begin() const { return m_areas.begin(); }
    const_iterator end() const { return m_areas.end(); }

  private:
    std::vector<CArea*> m_areas;
};

// Owns the areas of a list: on destruction (or DeleteAll) it deletes every
// area that is then in the list and empties the list.
class CAreaListOwner {
  public:
    explicit CAreaListOwner(CAreaList& list) : m_list(list) {}
    ~CAreaListOwner() { DeleteAll(); }
    CAreaListOwner(const CAreaListOwner&) = delete;
    CAreaListOwner& operator=(const CAreaListOwner&) = delete;

    void DeleteAll() noexcept {
        for (CArea* pArea : m_list) delete pArea;
        m_list.RemoveAll();
    }

  private:
    CAreaList& m_list;
};

}  // namespace vd
