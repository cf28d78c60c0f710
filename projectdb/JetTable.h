// A table of the Jet store: its columns, rows and named indexes. A column's
// values are loaded the first time they are read (or an index on them is
// used), so the store holds only what the lookups read. The order of a named
// index is computed the first time it is asked for and kept; a seek in it is
// a binary search.
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

// Turns the error being handled while a table was opened or loaded (a
// damaged structure, a table beyond the memory bound, memory running out)
// into an engine error naming the file and table; rethrows anything else.
[[noreturn]] void RaiseLoadError(const std::string& strFile, const std::string& strTable);

class CJetTable {
  public:
    // The text keys of one key field, one per row, back to back.
    struct CTextKeys {
        std::string bytes;
        std::vector<std::uint32_t> ends;
        std::string_view Get(std::size_t nRow) const {
            const std::size_t nStart = nRow == 0 ? 0 : ends[nRow - 1];
            return std::string_view(bytes).substr(nStart, ends[nRow] - nStart);
        }
    };
    // The rows of one named index, in index order.
    struct COrder {
        const CJetIndex* pIndex = nullptr;
        std::vector<std::uint32_t> rows;       // position in the order -> row
        std::vector<std::uint32_t> positions;  // row -> position in the order
        std::vector<CTextKeys> textKeys;       // per key field (empty for others)
    };

    // A table that loads its columns from pFile when they are first read;
    // strFile names the database in error descriptions.
    CJetTable(std::shared_ptr<CJetFile> pFile, CJetTableContents contents, std::string strFile);
    // A table whose columns are all loaded.
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
    // A value; its column is loaded first when it is not yet.
    CJetValue At(std::size_t nRow, std::size_t nColumn) const {
        if (!m_contents.IsLoaded(nColumn)) Load({nColumn});
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
    void Load(const std::vector<std::size_t>& columns) const;
    COrder BuildOrder(const CJetIndex& index) const;

    std::shared_ptr<CJetFile> m_pFile;
    // Columns are loaded into it as they are read (the library runs on one
    // thread, so no lock guards it).
    mutable CJetTableContents m_contents;
    std::string m_strFile;
    std::size_t m_nRows = 0;
    // One slot per named index, filled on first use.
    mutable std::vector<std::unique_ptr<COrder>> m_orders;
};

}  // namespace vd::jet
