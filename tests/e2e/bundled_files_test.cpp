// The real-world files bundled with the project are copies of the full set's files, and
// their table rows are the full set's rows: tests that pass on one set hold for the other.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>

#include "tests/real_files.h"

namespace {

const std::filesystem::path BUNDLED = TESSOID_BUNDLED_TESTDATA_DIR;

std::string contents(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The rows of a table that name one of the given files, in order, comments left out.
std::string rowsFor(const std::filesystem::path& table, const std::set<std::string>& files) {
    std::istringstream in(contents(table));
    std::string line, rows;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        const size_t first = line.find('\t');
        const std::string file = line.substr(first + 1, line.find('\t', first + 1) - first - 1);
        if (files.count(file))
            rows += line + "\n";
    }
    return rows;
}

} // namespace

TEST(BundledRealFiles, AreTheFullSetsFilesWithTheirSourcesNamed) {
    const std::string sources = contents(BUNDLED / "SOURCES.md");
    std::set<std::string> threeDs;
    size_t files = 0;
    for (const char* kind : {"3ds", "obj"}) {
        for (const auto& entry : std::filesystem::directory_iterator(BUNDLED / kind)) {
            const std::string name = entry.path().filename().string();
            SCOPED_TRACE(name);
            ++files;
            EXPECT_NE(sources.find("| " + name + " |"), std::string::npos) << "no source row";
            if (std::string(kind) == "3ds")
                threeDs.insert(name);
            if (realfiles::fullSet()) {
                EXPECT_EQ(contents(entry.path()), contents(realfiles::path(kind, name)))
                    << "differs from the full set's copy";
            }
        }
    }
    EXPECT_GE(files, 30u);
    const std::string rows = rowsFor(BUNDLED / "EXPECTED.tsv", threeDs);
    EXPECT_FALSE(rows.empty());
    if (realfiles::fullSet()) {
        EXPECT_EQ(rows,
                  rowsFor(std::filesystem::path(realfiles::dataDir()) / "EXPECTED.tsv", threeDs));
    }
}
