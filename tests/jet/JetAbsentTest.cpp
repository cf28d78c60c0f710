// A build without libmdb has no Jet store: opening a Jet file says so.
#include <string>
#include <vector>

#include "projectdb/Engine.h"
#include "tests/TestSupport.h"

namespace vd {
namespace {

TEST(JetAbsent, OpeningAJetFileSaysThatThisBuildCannotReadIt) {
    test::CTempDir dir;
    std::vector<std::uint8_t> bytes(3 * 4096, 0);
    const char kSignature[] = "Standard Jet DB";
    std::copy(kSignature, kSignature + 15, bytes.begin() + 4);
    bytes[0x14] = 1;
    test::WriteBytes(dir.File("project.mdb"), bytes);
    auto pDb = CreateEngineDatabase();
    try {
        pDb->Open(dir.File("project.mdb"));
        ADD_FAILURE() << "no engine error raised";
    } catch (const CEngineException& error) {
        EXPECT_NE(error.GetDescription().find("cannot read Jet (.mdb) databases"),
                  std::string::npos)
            << error.GetDescription();
    }
    EXPECT_FALSE(pDb->IsOpen());
}

}  // namespace
}  // namespace vd
