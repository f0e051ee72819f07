// Binding libraries by name through the platform's dynamic loader.
#pragma once
#include <memory>
#include <stdexcept>
#include <string>

namespace quorvex6::platform {

class LoadError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class DynamicLibrary {
  public:
    // name is the library's platform-neutral name ("unlha32"); the platform maps it to its
    // file ("libunlha32.so") and searches as its loader does. Throws LoadError naming the file.
    static std::shared_ptr<DynamicLibrary> Open(const std::string& name);
    ~DynamicLibrary();
    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;

    // The entry point's address; throws LoadError naming the entry point and the file.
    void* Find(const std::string& entry) const;
    const std::string& file() const { return file_; }

    static std::string FileNameOf(const std::string& name);

  private:
    DynamicLibrary(void* handle, std::string file) : handle_(handle), file_(std::move(file)) {}
    void* handle_;
    std::string file_;
};

}  // namespace quorvex6::platform
