#include "quorvex6/file_property_bag.h"

#include "control/persisted_properties.h"
#include "persistence/property_text.h"
#include "platform/filesystem.h"

namespace quorvex6 {

PropertyFileError::PropertyFileError(size_t line, const std::string& reason)
    : std::runtime_error("line " + std::to_string(line) + ": " + reason), line_(line) {}

FilePropertyBag::FilePropertyBag(std::u16string path) : path_(std::move(path)) {
    const std::optional<std::string> bytes = platform::ReadFile(path_, kMaxFileBytes);
    text_ = std::make_unique<persistence::PropertyText>(
        bytes ? persistence::PropertyText::Parse(*bytes) : persistence::PropertyText());
}

FilePropertyBag::~FilePropertyBag() = default;
FilePropertyBag::FilePropertyBag(FilePropertyBag&&) noexcept = default;
FilePropertyBag& FilePropertyBag::operator=(FilePropertyBag&&) noexcept = default;

Variant FilePropertyBag::Read(const std::u16string& key, const Variant& def) {
    const Variant* stored = text_->Find(key);
    return stored != nullptr ? *stored : def;
}

void FilePropertyBag::Write(const std::u16string& key, const Variant& value, const Variant& def) {
    if (SameValue(value, def)) {
        text_->Erase(key);
        return;
    }
    text_->Set(key, value);
}

void FilePropertyBag::Commit() const { platform::ReplaceFileAtomically(path_, text_->Format()); }

}  // namespace quorvex6
