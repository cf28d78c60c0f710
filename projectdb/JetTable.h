// A table of the Jet store, loaded whole: its columns, rows and named
// indexes. The order of a named index is computed the first time it is
// asked for and kept; a seek in it is a binary search.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "projectdb/Engine.h"
#include "projectdb/JetFile.h"

namespace vd::jet {

class CJetTable {
  public:
    // The rows of one named index, in index order.
    struct COrder {
        const CJetIndex* pIndex = nullptr;
        std::vector<std::uint32_t> rows;       // position in the order -> row
        std::vector<std::uint32_t> positions;  // row -> position in the order
        // Sort keys of the text key fields, per key field (empty for others),
        // one per row.
        std::vector<std::vector<std::string>> textKeys;
    };

    // strFile names the database in error descriptions.
    CJetTable(CJetTableContents contents, std::string strFile);

    const std::string& GetName() const { return m_contents.strName; }
    const std::string& GetFile() const { return m_strFile; }
    std::size_t GetRowCount() const { return m_nRows; }
    const CJetTableContents& GetContents() const { return m_contents; }

    // The column of that name (ASCII letter case ignored), or nullopt.
    std::optional<std::size_t> FindColumn(std::string_view strName) const;
    const CJetColumn& GetColumn(std::size_t nColumn) const {
        return m_contents.definition.columns[nColumn];
    }
    const CJetValue& At(std::size_t nRow, std::size_t nColumn) const {
        return m_contents.At(nRow, nColumn);
    }

    // The order of the named index (ASCII letter case ignored); raises
    // CEngineException when the table has no index of that name.
    const COrder& GetOrder(std::string_view strIndex) const;

    // The first position in the order whose leading key fields equal keys
    // (one value per key field, or fewer), or nullopt. Raises
    // CEngineException for a key of the wrong kind or too many keys.
    std::optional<std::size_t> Seek(const COrder& order, std::span<const CKeyValue> keys) const;

  private:
    COrder BuildOrder(const CJetIndex& index) const;

    CJetTableContents m_contents;
    std::string m_strFile;
    std::size_t m_nRows = 0;
    // One slot per named index, filled on first use (the library runs on
    // one thread, so no lock guards it).
    mutable std::vector<std::unique_ptr<COrder>> m_orders;
};

}  // namespace vd::jet
