// Test support for our archiver libraries: the real .so through the real loader, scratch
// folders, and trees read back as {relative path -> content} for byte-for-byte comparisons.
#pragma once
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "quorvex6/archiver_api.h"

namespace quorvex6::testing {

namespace fs = std::filesystem;

class BackendLibrary {
  public:
    explicit BackendLibrary(const std::string& name) {
        const char* dir = std::getenv("QV_LIB_DIR");
        std::string path = std::string(dir ? dir : ".") + "/lib" + name + ".so";
        handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (handle_ == nullptr) ADD_FAILURE() << dlerror();
    }
    ~BackendLibrary() {
        if (handle_) dlclose(handle_);
    }
    BackendLibrary(const BackendLibrary&) = delete;
    BackendLibrary& operator=(const BackendLibrary&) = delete;

    template <class Fn>
    Fn Get(const char* name) const {
        void* symbol = handle_ ? dlsym(handle_, name) : nullptr;
        // Thrown, so the test stops here instead of calling through a null address.
        if (symbol == nullptr) throw std::runtime_error(std::string("no entry point ") + name);
        return reinterpret_cast<Fn>(symbol);
    }

    // The command entry point with a 20800-byte output buffer, as the control calls it.
    int32_t Command(const char* entry, const std::string& line, std::string* log = nullptr) const {
        std::vector<char> out(20800, '\0');
        int32_t code =
            Get<QvCommandFn>(entry)(0, line.c_str(), out.data(), static_cast<uint32_t>(out.size()));
        if (log) *log = out.data();
        return code;
    }

  private:
    void* handle_ = nullptr;
};

inline fs::path TestData(const std::string& relative) {
    const char* dir = std::getenv("QV_TEST_DATA");
    return fs::path(dir ? dir : "tests/data") / relative;
}

inline std::string Quote(const fs::path& p) { return "\"" + p.string() + "\""; }
inline std::string QuoteFolder(const fs::path& p) { return "\"" + p.string() + "/\""; }

inline std::string ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteAll(const fs::path& p, const std::string& text) {
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << text;
}

// Files by content, links as "-> target", folders as "<folder>".
inline std::map<std::string, std::string> ReadTree(const fs::path& root) {
    std::map<std::string, std::string> tree;
    if (!fs::exists(root)) return tree;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
         ++it) {
        std::string rel = it->path().lexically_relative(root).string();
        if (it->is_symlink())
            tree[rel] = "-> " + fs::read_symlink(it->path()).string();
        else if (it->is_directory())
            tree[rel] = "<folder>";
        else
            tree[rel] = ReadAll(it->path());
    }
    return tree;
}

// A tree the test-data scripts packed, as the archives hold it: git keeps no empty folders, so
// the scripts' "empty-folder" is named here rather than read from the checkout.
inline std::map<std::string, std::string> ReadPackedTree(const fs::path& root) {
    auto tree = ReadTree(root);
    tree["empty-folder"] = "<folder>";
    return tree;
}

inline int RunTool(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str());
}

class ScratchTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string(info->test_suite_name()) + "_" + info->name();
        for (char& c : name)
            if (c == '/') c = '_';
        // The process id keeps two runs of the suites at once (a build and its sanitised twin)
        // out of each other's folders.
        root_ = fs::temp_directory_path() / ("qv_backend_" + name + "_" + std::to_string(getpid()));
        fs::remove_all(root_);
        fs::create_directories(root_);
    }
    void TearDown() override { fs::remove_all(root_); }
    fs::path root_;
};

}  // namespace quorvex6::testing
