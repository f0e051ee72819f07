// Small fixtures shared by the control's tests.
#pragma once
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "quorvex6/container_site.h"
#include "quorvex6/message_sink.h"

namespace quorvex6::testing {

// A fresh folder, removed with everything in it at the end.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::string str() const { return path_.string(); }
    std::filesystem::path Write(const std::string& relative, const std::string& bytes = "") const;
    std::filesystem::path Folder(const std::string& relative) const;

  private:
    std::filesystem::path path_;
};

// Collects the modal messages of the calling thread while it lives.
class CapturedMessages {
  public:
    CapturedMessages();
    ~CapturedMessages();
    const std::vector<std::u16string>& messages() const;

  private:
    struct Sink;
    std::shared_ptr<Sink> sink_;
};

// A container that records which properties were notified.
class RecordingSite : public ContainerSite {
  public:
    void OnPropertyChanged(int32_t dispid) override { notified.push_back(dispid); }
    bool AmbientUserMode() override { return userMode; }
    void SetWidth(int32_t twips) override { sizes.push_back({'w', twips}); }
    void SetHeight(int32_t twips) override { sizes.push_back({'h', twips}); }
    std::vector<int32_t> notified;
    std::vector<std::pair<char, int32_t>> sizes;
    bool userMode = true;
};

// Points TMPDIR at a folder for the test's lifetime, so that work files can be counted.
class ScopedTempFolder {
  public:
    explicit ScopedTempFolder(const std::filesystem::path& folder);
    ~ScopedTempFolder();

  private:
    std::string previous_;
    bool had_ = false;
};

std::u16string U16(const std::string& utf8);
std::string U8(const std::u16string& text);

}  // namespace quorvex6::testing
