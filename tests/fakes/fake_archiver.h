// Test-side handle on the recording fake libraries: scripts their answers and reads back what
// the control handed them. One instance owns a fresh folder named by QV_FAKE_DIR.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "quorvex6/archiver_api.h"

namespace quorvex6::testing {

struct FakeCall {
    std::string entry;    // "Unlha", "UnZipCheckArchive", ...
    uint32_t hwnd = 0;    // the window (or, for finds and close, the archive handle)
    std::string command;  // command line, or the archive name of checks, opens and lists
    uint32_t size = 0;    // output buffer size
    int32_t mode = 0;
    std::string pattern;
    std::string cwd;                 // the process's directory during the call
    std::vector<std::string> lists;  // content of each list file named, read during the call
};

struct EntryRecord {
    std::string name;
    uint32_t originalSize = 0;
    uint32_t compressedSize = 0;
    uint32_t crc = 0;
    uint16_t ratio = 0;
    uint16_t date = 0;
    uint16_t time = 0;
    std::string attribute = "----";
    std::string method = "-lh5-";
};

QvEntryInfo MakeEntryInfo(const EntryRecord& record);

class FakeArchiver {
  public:
    FakeArchiver();
    ~FakeArchiver();
    FakeArchiver(const FakeArchiver&) = delete;
    FakeArchiver& operator=(const FakeArchiver&) = delete;

    void Return(const std::string& entry, int32_t value);
    void Print(const std::string& entry, const std::string& bytes);
    void Queue(const std::string& prefix, const QvEntryInfo& info);
    void Queue(const std::string& prefix, const EntryRecord& record) {
        Queue(prefix, MakeEntryInfo(record));
    }
    // Raw record bytes, for records no well-formed QvEntryInfo can hold.
    void QueueRaw(const std::string& prefix, const std::string& bytes);

    std::vector<FakeCall> Calls() const;
    std::vector<FakeCall> Calls(const std::string& entry) const;
    void ClearCalls();
    const std::string& folder() const { return folder_; }

  private:
    void AddLine(const std::string& line);
    std::string folder_;
    std::string previous_;
    bool hadPrevious_ = false;
};

}  // namespace quorvex6::testing
