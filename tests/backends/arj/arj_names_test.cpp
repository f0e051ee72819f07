// Names as arj stores them: the file system's bytes. Shift_JIS names from a Japanese system are
// read as the Japanese names they are, UTF-8 ones as they are.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "common/archive_input.h"
#include "formats/arj/arj_reader.h"

namespace quorvex6::backend::arj {
namespace {

namespace fs = std::filesystem;

TEST(ArjNames, ArjsShiftJisAndUtf8NamesReadAsTheirText) {
    const fs::path root = fs::temp_directory_path() / ("qv_arj_names_" + std::to_string(getpid()));
    fs::remove_all(root);
    fs::create_directories(root / "src");
    const std::pair<std::string, std::string> names[] = {
        {"\x93\xfa\x96\x7b\x8c\xea.txt", "日本語.txt"},  // Shift_JIS
        {"ü日本.txt", "ü日本.txt"},
    };
    std::string args;
    for (const auto& [bytes, text] : names) {
        std::ofstream(root / "src" / bytes) << text;
        args += " '" + bytes + "'";
    }
    const std::string command = "cd '" + (root / "src").string() +
                                "' && timeout 60 arj a -y ../names.arj" + args + " >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
    ArchiveInput in((root / "names.arj").string());
    const Reader reader(in);
    ASSERT_EQ(reader.entries().size(), 2u);
    EXPECT_EQ(reader.entries()[0].name, names[0].second);
    EXPECT_EQ(reader.entries()[1].name, names[1].second);
    fs::remove_all(root);
}

}  // namespace
}  // namespace quorvex6::backend::arj
