// The header, the .def behind the Windows import library and the library's
// exports name the same 49 functions.
#include <dlfcn.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "tests/engine/engine_test_util.h"

namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(EngineExports, HeaderDefAndLibraryAgree) {
    std::string header = readFile(TESSOID_SOURCE_DIR "/engine/engine_api.h");
    std::string def = readFile(TESSOID_SOURCE_DIR "/engine/Glintor2.def");
    ASSERT_FALSE(header.empty());
    ASSERT_FALSE(def.empty());

    std::set<std::string> declared, listed;
    std::regex decl(R"(ENGINE_EXPORT \w+ ENGINE_CALL (\w+)\()");
    for (auto it = std::sregex_iterator(header.begin(), header.end(), decl);
         it != std::sregex_iterator(); ++it)
        declared.insert((*it)[1]);
    std::istringstream lines(def.substr(def.find("EXPORTS") + 7));
    for (std::string name; lines >> name;)
        listed.insert(name);

    EXPECT_EQ(declared.size(), 49u);
    EXPECT_EQ(declared, listed);
    EXPECT_NE(def.find("LIBRARY Glintor2.dll"), std::string::npos);
    for (const std::string& name : declared)
        EXPECT_NE(dlsym(RTLD_DEFAULT, name.c_str()), nullptr) << name;
}

} // namespace
