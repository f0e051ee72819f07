// The control's face and about box. The face is a fixed square; the container decides, by its
// ambient user mode, whether the design-time image and border show.
#include "control/state.h"
#include "platform/message_box.h"
#include "quorvex6/control.h"
#include "quorvex6/version.h"

namespace quorvex6 {
namespace {

constexpr int32_t kFaceTwips = 495;

std::u16string Decimal(int value) {
    std::u16string text;
    for (char c : std::to_string(value)) text.push_back(static_cast<char16_t>(c));
    return text;
}

}  // namespace

void Quorvex6::OnResize() {
    if (state_->site == nullptr) return;
    state_->site->SetWidth(kFaceTwips);
    state_->site->SetHeight(kFaceTwips);
}

void Quorvex6::OnShow() {
    const bool runMode = state_->site == nullptr || state_->site->AmbientUserMode();
    state_->imageVisible = !runMode;
    state_->borderFixedSingle = !runMode;
}

bool Quorvex6::ImageVisible() const { return state_->imageVisible; }
bool Quorvex6::BorderFixedSingle() const { return state_->borderFixedSingle; }

void Quorvex6::AboutBox() {
    const std::u16string text = std::u16string(version::kTitle) + u"\r\n" + u"Version " +
                                Decimal(version::kMajor) + u"." + Decimal(version::kMinor) + u"." +
                                Decimal(version::kRevision) + u"\r\n" +
                                u"Archives of seven kinds through one control.";
    platform::ShowModalMessage(text);
}

}  // namespace quorvex6
