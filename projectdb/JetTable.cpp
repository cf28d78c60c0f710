#include "projectdb/JetTable.h"

#include "common/PathQuoting.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <numeric>

#include <new>

#include "projectdb/JetCollation.h"

namespace vd::jet {
namespace {

bool IsIntegerColumn(const CJetColumn& column) {
    return column.nType == COLUMN_BOOLEAN || column.nType == COLUMN_BYTE ||
           column.nType == COLUMN_INTEGER || column.nType == COLUMN_LONG;
}

bool IsTextColumn(const CJetColumn& column) {
    return column.nType == COLUMN_TEXT || column.nType == COLUMN_MEMO;
}

int Sign(long long n) { return n < 0 ? -1 : (n > 0 ? 1 : 0); }

}  // namespace

void RaiseLoadError(const std::string& strFile, const std::string& strTable) {
    try {
        throw;
    } catch (const CJetFormatError& error) {
        throw CEngineException(QuotePath(strFile) + " is damaged: table '" + strTable +
                               "': " + error.what() + ".");
    } catch (const CJetLimitError& error) {
        throw CEngineException("The table '" + strTable + "' in " + QuotePath(strFile) +
                               " cannot be loaded: " + error.what() + ".");
    } catch (const std::bad_alloc&) {
        throw CEngineException("There is not enough memory to load the table '" + strTable +
                               "' of " + QuotePath(strFile) + ".");
    }
}

CJetTable::CJetTable(std::shared_ptr<CJetFile> pFile, CJetTableContents contents,
                     std::string strFile)
    : CJetTable(std::move(contents), std::move(strFile)) {
    m_pFile = std::move(pFile);
}

void CJetTable::Load(const std::vector<std::size_t>& columns) const {
    if (std::all_of(columns.begin(), columns.end(),
                    [&](std::size_t c) { return m_contents.IsLoaded(c); })) {
        return;
    }
    if (!m_pFile) throw CEngineException("The table '" + GetName() + "' has no values loaded.");
    try {
        m_pFile->LoadColumns(m_contents, columns);
    } catch (...) {
        RaiseLoadError(m_strFile, GetName());
    }
}

CJetTable::CJetTable(CJetTableContents contents, std::string strFile)
    : m_contents(std::move(contents)), m_strFile(std::move(strFile)) {
    m_nRows = m_contents.GetRowCount();
    if (m_nRows > std::numeric_limits<std::uint32_t>::max()) {
        throw CEngineException("The table '" + m_contents.strName + "' in " + QuotePath(m_strFile) +
                               " has more rows than the Jet store can hold.");
    }
    m_orders.resize(m_contents.definition.indexes.size());
}

std::optional<std::size_t> CJetTable::FindColumn(std::string_view strName) const {
    const auto& columns = m_contents.definition.columns;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (EqualNoCase(columns[i].strName, strName)) return i;
    }
    return std::nullopt;
}

const CJetTable::COrder& CJetTable::GetOrder(std::string_view strIndex) const {
    const auto& indexes = m_contents.definition.indexes;
    for (std::size_t i = 0; i < indexes.size(); ++i) {
        if (!EqualNoCase(indexes[i].strName, strIndex)) continue;
        if (!m_orders[i]) {
            try {
                m_orders[i] = std::make_unique<COrder>(BuildOrder(indexes[i]));
            } catch (const std::bad_alloc&) {
                throw CEngineException("There is not enough memory for the index '" +
                                       indexes[i].strName + "' of table '" + GetName() + "' in " +
                                       QuotePath(m_strFile) + ".");
            }
        }
        return *m_orders[i];
    }
    throw CEngineException("The index '" + std::string(strIndex) + "' does not exist on table '" +
                           GetName() + "' in " + QuotePath(m_strFile) + ".");
}

CJetTable::COrder CJetTable::BuildOrder(const CJetIndex& index) const {
    std::vector<std::size_t> keyColumns;
    for (const CJetIndexKey& key : index.keys) keyColumns.push_back(key.nColumn);
    Load(keyColumns);
    COrder order;
    order.pIndex = &index;
    order.textKeys.resize(index.keys.size());
    // Sort values of the other key fields: NULL first, then the integers;
    // values of other types are all equal.
    std::vector<std::vector<std::int64_t>> sortValues(index.keys.size());
    for (std::size_t k = 0; k < index.keys.size(); ++k) {
        const std::size_t nColumn = index.keys[k].nColumn;
        if (!IsTextColumn(GetColumn(nColumn))) {
            std::vector<std::int64_t>& values = sortValues[k];
            values.resize(m_nRows);
            for (std::size_t r = 0; r < m_nRows; ++r) {
                const CJetValue value = m_contents.At(r, nColumn);
                values[r] = value.eKind == EValueKind::null      ? INT64_MIN
                            : value.eKind == EValueKind::integer ? value.nInteger
                                                                 : 0;
            }
            continue;
        }
        // A NULL text has the empty key, before every text's key.
        CTextKeys& keys = order.textKeys[k];
        keys.ends.reserve(m_nRows);
        keys.bytes.reserve(m_contents.columns[nColumn].text.size() + 4 * m_nRows);
        for (std::size_t r = 0; r < m_nRows; ++r) {
            const CJetValue value = m_contents.At(r, nColumn);
            if (value.eKind == EValueKind::text) AppendGeneralSortKey(keys.bytes, value.strText);
            if (keys.bytes.size() > 0xFFFFFFFFu) {
                throw CEngineException("The keys of index '" + index.strName + "' of table '" +
                                       GetName() + "' in " + QuotePath(m_strFile) +
                                       " are too long.");
            }
            keys.ends.push_back(static_cast<std::uint32_t>(keys.bytes.size()));
        }
    }

    auto compareKey = [&](std::size_t k, std::uint32_t a, std::uint32_t b) {
        int n = 0;
        if (sortValues[k].empty()) {
            n = Sign(order.textKeys[k].Get(a).compare(order.textKeys[k].Get(b)));
        } else {
            n = (sortValues[k][a] > sortValues[k][b]) - (sortValues[k][a] < sortValues[k][b]);
        }
        return index.keys[k].bAscending ? n : -n;
    };

    order.rows.resize(m_nRows);
    std::iota(order.rows.begin(), order.rows.end(), std::uint32_t{0});
    // Equal keys keep the order in which the rows are stored.
    std::sort(order.rows.begin(), order.rows.end(), [&](std::uint32_t a, std::uint32_t b) {
        for (std::size_t k = 0; k < index.keys.size(); ++k) {
            const int n = compareKey(k, a, b);
            if (n != 0) return n < 0;
        }
        return a < b;
    });
    order.positions.resize(m_nRows);
    for (std::size_t p = 0; p < m_nRows; ++p) {
        order.positions[order.rows[p]] = static_cast<std::uint32_t>(p);
    }
    return order;
}

std::optional<std::size_t> CJetTable::Seek(const COrder& order,
                                           std::span<const CKeyValue> keys) const {
    const CJetIndex& index = *order.pIndex;
    const std::string strWhere =
        "index '" + index.strName + "' of table '" + GetName() + "' in " + QuotePath(m_strFile);
    if (keys.empty()) throw CEngineException("A seek on " + strWhere + " was given no key.");
    if (keys.size() > index.keys.size()) {
        throw CEngineException("A seek on " + strWhere + " was given " +
                               std::to_string(keys.size()) + " keys; the index has " +
                               std::to_string(index.keys.size()) + ".");
    }
    std::vector<std::string> soughtText(keys.size());
    for (std::size_t k = 0; k < keys.size(); ++k) {
        const CJetColumn& column = GetColumn(index.keys[k].nColumn);
        const bool bTextKey = std::holds_alternative<std::string>(keys[k]);
        if (IsIntegerColumn(column) && !bTextKey) continue;
        if (IsTextColumn(column) && bTextKey) {
            soughtText[k] = GeneralSortKey(std::get<std::string>(keys[k]));
            continue;
        }
        throw CEngineException("A seek on " + strWhere + " was given " +
                               (bTextKey ? "a text" : "an integer") + " for the field '" +
                               column.strName + "' (" + ColumnTypeName(column.nType) + ").");
    }

    // <0, 0, >0 as the row sorts before, with or after the keys sought.
    auto compareRow = [&](std::uint32_t nRow) {
        for (std::size_t k = 0; k < keys.size(); ++k) {
            const CJetIndexKey& key = index.keys[k];
            const CJetValue value = m_contents.At(nRow, key.nColumn);
            int n = 0;
            if (value.eKind == EValueKind::null) {
                n = -1;
            } else if (value.eKind == EValueKind::integer) {
                n = Sign(static_cast<long long>(value.nInteger) - std::get<std::int32_t>(keys[k]));
            } else if (value.eKind == EValueKind::text) {
                n = Sign(order.textKeys[k].Get(nRow).compare(soughtText[k]));
            }
            if (!key.bAscending) n = -n;
            if (n != 0) return n;
        }
        return 0;
    };

    const auto it = std::partition_point(order.rows.begin(), order.rows.end(),
                                         [&](std::uint32_t nRow) { return compareRow(nRow) < 0; });
    if (it == order.rows.end() || compareRow(*it) != 0) return std::nullopt;
    return static_cast<std::size_t>(it - order.rows.begin());
}

}  // namespace vd::jet
