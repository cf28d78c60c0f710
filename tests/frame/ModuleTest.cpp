// The module as a host sees it: loaded with dlopen, four plain C exports,
// null arguments refused, a clean unload.
#include <dlfcn.h>

#include <array>
#include <cstdio>
#include <memory>
#include <set>
#include <string>

#include "tests/TestSupport.h"
#include "vellumdesk.h"

namespace {

using TwoPaths = int32_t (*)(const char*, const char*);
using ShgFn = int32_t (*)(const char*, const char*, int32_t);

struct CModule {
    void* handle = dlopen(VD_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
    ~CModule() {
        if (handle != nullptr) dlclose(handle);
    }
    template <typename Fn>
    Fn Get(const char* name) {
        return reinterpret_cast<Fn>(dlsym(handle, name));
    }
};

TEST(Module, LoadsAndUnloadsWithoutCalls) {
    for (int i = 0; i < 3; ++i) {
        void* handle = dlopen(VD_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(handle, nullptr) << dlerror();
        EXPECT_EQ(dlclose(handle), 0);
    }
}

TEST(Module, ExportsExactlyTheFourOperations) {
    const std::string command = "nm -D --defined-only '" + std::string(VD_MODULE_PATH) + "'";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    ASSERT_NE(pipe, nullptr);
    std::set<std::string> names;
    std::array<char, 512> line{};
    while (fgets(line.data(), line.size(), pipe.get()) != nullptr) {
        std::string text(line.data());
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
        const auto space = text.rfind(' ');
        const std::string type = text.size() > 17 ? text.substr(17, 1) : "";
        // The linker's symbol for the version node itself, not code.
        if (type == "A" && text.substr(space + 1) == "VELLUMDESK_1.0") continue;
        names.insert(text.substr(space + 1));
    }
    // Each of the four carries the version node VELLUMDESK_1.0.
    EXPECT_EQ(names,
              (std::set<std::string>{
                  "bCompileCategory@@VELLUMDESK_1.0", "bCompileContents@@VELLUMDESK_1.0",
                  "bConvertBmpToGif@@VELLUMDESK_1.0", "bConvertSHGToGIFMAP@@VELLUMDESK_1.0"}));
}

TEST(Module, NullArgumentsAnswerZero) {
    CModule module;
    ASSERT_NE(module.handle, nullptr) << dlerror();
    auto contents = module.Get<TwoPaths>("bCompileContents");
    auto category = module.Get<TwoPaths>("bCompileCategory");
    auto bmp = module.Get<TwoPaths>("bConvertBmpToGif");
    auto shg = module.Get<ShgFn>("bConvertSHGToGIFMAP");
    ASSERT_TRUE(contents && category && bmp && shg);
    EXPECT_EQ(contents(nullptr, "x"), 0);
    EXPECT_EQ(category("x", nullptr), 0);
    EXPECT_EQ(bmp(nullptr, nullptr), 0);
    EXPECT_EQ(shg(nullptr, "x.shg", 1), 0);
}

TEST(Module, MissingInputAnswersZero) {
    CModule module;
    ASSERT_NE(module.handle, nullptr) << dlerror();
    vd::test::CTempDir dir;
    EXPECT_EQ(module.Get<TwoPaths>("bCompileContents")(dir.File("none.txt").c_str(),
                                                       dir.Prefix().c_str()),
              0);
    EXPECT_EQ(module.Get<TwoPaths>("bConvertBmpToGif")(dir.File("none.bmp").c_str(),
                                                       dir.Prefix().c_str()),
              0);
}

}  // namespace
