// Checks a file written by the Jet test builder with mdbtools, an independent
// reader: mdb-tables lists its tables, mdb-schema its columns, and mdb-export
// gives the rows the builder was meant to write (deleted rows left out).
#pragma once

#include <string>
#include <vector>

#include "tests/jet/JetBuilder.h"

namespace vd::test::jet {

// Adds a test failure for every difference. Fields of types other than
// integers and texts are not compared.
void ExpectMdbtoolsReadBack(const std::string& strPath, const std::vector<CTableDef>& tables);

// Builds the file, writes it to strPath and checks it as above.
void WriteCheckedJetDatabase(const std::string& strPath, const std::vector<CTableDef>& tables);

}  // namespace vd::test::jet
