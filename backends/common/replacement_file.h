// Writing an archive that may already exist: the new archive is written without a name (else
// under a work name beside it) and takes the old one's place only when complete (after a sync),
// so a failure, a full disk or a signal leaves the old one and nothing else.
#pragma once
#include <optional>
#include <string>

#include "common/file_system.h"

namespace quorvex6::backend {

class ReplacementFile {
  public:
    // Begin it before reading the old archive: the commit checks that what it replaces is still
    // what was there now. Throws 0x8027 when the archive is write-protected, 0x8030 when its
    // folder is.
    explicit ReplacementFile(std::string target);
    ~ReplacementFile();  // nothing of an unfinished file stays
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    OutputFile& file() { return file_; }
    // A new archive gets the default permissions, a replaced one keeps the old one's. Throws
    // 0x802C, changing nothing, when another writer replaced, changed or made the archive
    // meanwhile (its work would be lost).
    void Commit();
    // Finishes the file and lets go of its descriptors until Commit (which this makes cheap),
    // so that the many cabinets of a set wait for their commit without running out of them.
    // The file may not be written after.
    void Park();

  private:
    void Finish();  // the mode it is to have, and on disk

    std::string target_;
    std::optional<FileStat> original_;  // what was at the target when begun
    OpenFolder folder_;
    std::string name_;  // in that folder
    OutputFile file_;
    bool parked_ = false;
};

}  // namespace quorvex6::backend
