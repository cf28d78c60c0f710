// Feeds arbitrary bytes to the Jet store's own parsing. An input whose first
// byte marks a table definition page is parsed as one table definition
// (columns and named indexes); any other input is a database image: its
// catalog, every table's definition and rows, every index order and a seek
// in each. Seeds: the .mdb files of the shared test data.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "projectdb/EngineException.h"
#include "projectdb/JetFile.h"
#include "projectdb/JetFormat.h"
#include "projectdb/JetTable.h"

namespace {

void LoadImage(const std::uint8_t* pData, std::size_t nSize) {
    vd::jet::CJetFile file(std::make_unique<vd::jet::CMemoryPageSource>(
        std::vector<std::uint8_t>(pData, pData + nSize)));
    const auto catalog = file.GetCatalog();
    for (const auto& entry : catalog) {
        if (!entry.IsTable()) continue;
        try {
            const vd::jet::CJetTable table(file.LoadTable(entry), "fuzz");
            for (const auto& index : table.GetContents().definition.indexes) {
                const auto& order = table.GetOrder(index.strName);
                if (order.rows.empty() || index.keys.empty()) continue;
                // Seek the first row's leading key.
                const auto& value = table.At(order.rows.front(), index.keys.front().nColumn);
                if (value.eKind == vd::jet::EValueKind::integer) {
                    const vd::CKeyValue key = value.nInteger;
                    table.Seek(order, std::span<const vd::CKeyValue>(&key, 1));
                } else if (value.eKind == vd::jet::EValueKind::text) {
                    const vd::CKeyValue key = std::string(value.strText);
                    table.Seek(order, std::span<const vd::CKeyValue>(&key, 1));
                }
            }
        } catch (const vd::jet::CJetFormatError&) {
        } catch (const vd::jet::CJetLimitError&) {
        } catch (const vd::CEngineException&) {
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize) {
    try {
        if (nSize > 0 && pData[0] == 0x02) {
            vd::jet::ParseTableDefinition(std::span<const std::uint8_t>(pData, nSize));
        } else {
            LoadImage(pData, nSize);
        }
    } catch (const vd::jet::CJetFormatError&) {
    } catch (const vd::CEngineException&) {
    }
    return 0;
}
