// Property files are edited by hand and may be damaged; a control loads whatever they hold.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "control/persisted_properties.h"
#include "persistence/property_text.h"
#include "quorvex6/automation_error.h"
#include "quorvex6/control.h"
#include "quorvex6/file_property_bag.h"

using namespace quorvex6;
using persistence::PropertyText;

namespace {

// The file bag's rules over parsed text, without the file.
class TextBag : public PropertyBag {
  public:
    explicit TextBag(PropertyText& text) : text_(text) {}
    Variant Read(const std::u16string& key, const Variant& def) override {
        const Variant* stored = text_.Find(key);
        return stored != nullptr ? *stored : def;
    }
    void Write(const std::u16string& key, const Variant& value, const Variant& def) override {
        if (SameValue(value, def)) {
            text_.Erase(key);
        } else {
            text_.Set(key, value);
        }
    }

  private:
    PropertyText& text_;
};

bool SameLines(const PropertyText& a, const PropertyText& b) {
    if (a.lines().size() != b.lines().size()) return false;
    for (size_t i = 0; i < a.lines().size(); ++i) {
        const auto& x = a.lines()[i];
        const auto& y = b.lines()[i];
        if (x.key != y.key || !(x.value == y.value) || x.text != y.text) return false;
    }
    return true;
}

// What is written reads back as it was, and is written again the same way.
void CheckRoundTrip(const PropertyText& text) {
    const std::string bytes = text.Format();
    const PropertyText again = PropertyText::Parse(bytes);
    if (!SameLines(text, again) || again.Format() != bytes) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PropertyText text;
    try {
        text = PropertyText::Parse(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const PropertyFileError&) {
        return 0;
    }
    CheckRoundTrip(text);
    Quorvex6 control;
    TextBag bag(text);
    try {
        control.Load(bag);
    } catch (const AutomationError&) {
    }
    control.Save(bag);
    CheckRoundTrip(text);
    return 0;
}
