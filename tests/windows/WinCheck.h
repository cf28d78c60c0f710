// A small test runner for the Windows test program. GoogleTest does not build
// with the MinGW "-win32" compilers (it needs std::mutex), so the Windows
// tests register themselves here and check with VD_CHECK / VD_CHECK_EQ /
// VD_CHECK_THROWS. A test may end early with VD_SKIP(reason).
#pragma once

#include <cstdio>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace vd::wintest {

struct CTestCase {
    const char* pszName;
    std::function<void()> run;
};

std::vector<CTestCase>& Registry();
// Records one failed check of the running test.
void Fail(const char* pszFile, int nLine, const std::string& strWhat);

struct CRegistrar {
    CRegistrar(const char* pszName, std::function<void()> run) {
        Registry().push_back({pszName, std::move(run)});
    }
};

// Thrown by VD_SKIP; the runner reports the test as skipped.
struct CSkip {
    std::string strReason;
};

template <typename A, typename B>
void CheckEqual(const A& a, const B& b, const char* pszA, const char* pszB, const char* pszFile,
                int nLine) {
    if (a == b) return;
    std::ostringstream text;
    text << pszA << " == " << pszB << " (" << a << " vs " << b << ")";
    Fail(pszFile, nLine, text.str());
}

}  // namespace vd::wintest

#define VD_WINTEST_CONCAT2(a, b) a##b
#define VD_WINTEST_CONCAT(a, b) VD_WINTEST_CONCAT2(a, b)

// VD_TEST(Group, Name) { body } defines and registers one test.
#define VD_TEST(group, name)                                                              \
    static void VD_WINTEST_CONCAT(Test_##group##_, name)();                               \
    static const vd::wintest::CRegistrar VD_WINTEST_CONCAT(s_registrar_##group##_, name)( \
        #group "." #name, &VD_WINTEST_CONCAT(Test_##group##_, name));                     \
    static void VD_WINTEST_CONCAT(Test_##group##_, name)()

#define VD_CHECK(cond) \
    ((cond) ? void() : vd::wintest::Fail(__FILE__, __LINE__, "VD_CHECK(" #cond ")"))
#define VD_CHECK_EQ(a, b) vd::wintest::CheckEqual((a), (b), #a, #b, __FILE__, __LINE__)
#define VD_CHECK_THROWS(expr, type)                                                   \
    do {                                                                              \
        bool bVdThrew = false;                                                        \
        try {                                                                         \
            (void)(expr);                                                             \
        } catch (const type&) {                                                       \
            bVdThrew = true;                                                          \
        }                                                                             \
        if (!bVdThrew) vd::wintest::Fail(__FILE__, __LINE__, #expr " raises " #type); \
    } while (0)
// Stops the test when cond is false (a later step would make no sense).
#define VD_REQUIRE(cond)                                                    \
    do {                                                                    \
        if (!(cond)) {                                                      \
            vd::wintest::Fail(__FILE__, __LINE__, "VD_REQUIRE(" #cond ")"); \
            return;                                                         \
        }                                                                   \
    } while (0)
#define VD_SKIP(reason) \
    throw vd::wintest::CSkip { reason }
