#include "fakes/fake_archiver.h"

#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "fakes/fake_protocol.h"

namespace quorvex6::testing {

QvEntryInfo MakeEntryInfo(const EntryRecord& r) {
    QvEntryInfo info{};
    info.original_size = r.originalSize;
    info.compressed_size = r.compressedSize;
    info.crc = r.crc;
    info.ratio_per_mille = r.ratio;
    info.dos_date = r.date;
    info.dos_time = r.time;
    std::strncpy(info.name, r.name.c_str(), sizeof info.name - 1);
    std::strncpy(info.attribute, r.attribute.c_str(), sizeof info.attribute - 1);
    std::strncpy(info.method, r.method.c_str(), sizeof info.method - 1);
    return info;
}

FakeArchiver::FakeArchiver() {
    std::string pattern = (std::filesystem::temp_directory_path() / "qvfake-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot make the fake's folder");
    folder_ = pattern;
    if (const char* old = getenv("QV_FAKE_DIR")) {
        previous_ = old;
        hadPrevious_ = true;
    }
    setenv("QV_FAKE_DIR", folder_.c_str(), 1);
}

FakeArchiver::~FakeArchiver() {
    if (hadPrevious_)
        setenv("QV_FAKE_DIR", previous_.c_str(), 1);
    else
        unsetenv("QV_FAKE_DIR");
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

void FakeArchiver::AddLine(const std::string& line) {
    std::ofstream(folder_ + "/script", std::ios::app) << line << '\n';
}

void FakeArchiver::Return(const std::string& entry, int32_t value) {
    AddLine("return " + entry + " " + std::to_string(value));
}

void FakeArchiver::Print(const std::string& entry, const std::string& bytes) {
    AddLine("print " + entry + " " + fake::Hex(bytes));
}

void FakeArchiver::Queue(const std::string& prefix, const QvEntryInfo& info) {
    QueueRaw(prefix, std::string(reinterpret_cast<const char*>(&info), sizeof info));
}

void FakeArchiver::QueueRaw(const std::string& prefix, const std::string& bytes) {
    AddLine("entry " + prefix + " " + fake::Hex(bytes));
}

std::vector<FakeCall> FakeArchiver::Calls() const {
    std::vector<FakeCall> calls;
    std::ifstream in(folder_ + "/calls.log");
    std::string line;
    while (std::getline(in, line)) {
        FakeCall call;
        std::istringstream fields(line);
        std::string field;
        while (fields >> field) {
            const size_t eq = field.find('=');
            const std::string key = field.substr(0, eq);
            const std::string value = fake::Unhex(field.substr(eq + 1));
            if (key == "entry")
                call.entry = value;
            else if (key == "hwnd")
                call.hwnd = static_cast<uint32_t>(std::stoul(value));
            else if (key == "command")
                call.command = value;
            else if (key == "size")
                call.size = static_cast<uint32_t>(std::stoul(value));
            else if (key == "mode")
                call.mode = static_cast<int32_t>(std::stol(value));
            else if (key == "pattern")
                call.pattern = value;
            else if (key == "cwd")
                call.cwd = value;
            else if (key == "list")
                call.lists.push_back(value);
        }
        calls.push_back(std::move(call));
    }
    return calls;
}

std::vector<FakeCall> FakeArchiver::Calls(const std::string& entry) const {
    std::vector<FakeCall> matching;
    for (auto& call : Calls()) {
        if (call.entry == entry) matching.push_back(std::move(call));
    }
    return matching;
}

void FakeArchiver::ClearCalls() { std::filesystem::remove(folder_ + "/calls.log"); }

}  // namespace quorvex6::testing
