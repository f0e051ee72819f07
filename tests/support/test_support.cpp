#include "support/test_support.h"

#include <stdlib.h>

#include <fstream>
#include <stdexcept>

#include "platform/codepage.h"

namespace quorvex6::testing {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "qvtest-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make a temp folder");
    path_ = std::filesystem::canonical(pattern);
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::filesystem::path TempDir::Write(const std::string& relative, const std::string& bytes) const {
    const auto file = path_ / relative;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
    return file;
}

std::filesystem::path TempDir::Folder(const std::string& relative) const {
    const auto folder = path_ / relative;
    std::filesystem::create_directories(folder);
    return folder;
}

struct CapturedMessages::Sink : MessageSink {
    void ShowModal(const std::u16string& text) override { messages.push_back(text); }
    std::vector<std::u16string> messages;
};

CapturedMessages::CapturedMessages() : sink_(std::make_shared<Sink>()) { SetMessageSink(sink_); }
CapturedMessages::~CapturedMessages() { SetMessageSink(nullptr); }
const std::vector<std::u16string>& CapturedMessages::messages() const { return sink_->messages; }

ScopedTempFolder::ScopedTempFolder(const std::filesystem::path& folder) {
    if (const char* old = getenv("TMPDIR")) previous_ = old, had_ = true;
    setenv("TMPDIR", folder.c_str(), 1);
}

ScopedTempFolder::~ScopedTempFolder() {
    if (had_)
        setenv("TMPDIR", previous_.c_str(), 1);
    else
        unsetenv("TMPDIR");
}

std::u16string U16(const std::string& utf8) { return platform::FromSystem(utf8); }
std::string U8(const std::u16string& text) { return platform::ToSystem(text); }

}  // namespace quorvex6::testing
