#include <span>

#include "control/member_table.h"
#include "quorvex6/automation_error.h"
#include "quorvex6/control.h"

namespace quorvex6 {
namespace {

char16_t FoldCase(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
}

bool SameName(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldCase(a[i]) != FoldCase(b[i])) return false;
    }
    return true;
}

void RequireArgs(std::span<const Variant> args, size_t count) {
    if (args.size() != count) throw AutomationError(automation::kWrongArgumentCount);
}

}  // namespace

const Member* FindMember(int32_t dispid) {
    for (const auto& member : kMembers) {
        if (member.dispid == dispid) return &member;
    }
    return nullptr;
}

const Member* FindMember(std::u16string_view name) {
    for (const auto& member : kMembers) {
        if (SameName(member.name, name)) return &member;
    }
    return nullptr;
}

int32_t Quorvex6::IdOfName(std::u16string_view name) {
    const Member* member = FindMember(name);
    if (member == nullptr) throw AutomationError(automation::kNoSuchMember);
    return member->dispid;
}

Variant Quorvex6::Invoke(std::u16string_view name, InvokeKind kind, std::span<const Variant> args) {
    return Invoke(IdOfName(name), kind, args);
}

Variant Quorvex6::Invoke(int32_t dispid, InvokeKind kind, std::span<const Variant> args) {
    const Member* member = FindMember(dispid);
    if (member == nullptr) throw AutomationError(automation::kNoSuchMember);
    const size_t indexArgs = member->indexed ? 1 : 0;
    // Script hosts call methods with either flag, and read properties with either flag too.
    if (member->call != nullptr && kind != InvokeKind::Put) {
        RequireArgs(args, static_cast<size_t>(member->argCount));
        member->call(*this, args.data());
        return {};
    }
    if (kind == InvokeKind::Put) {
        if (member->put == nullptr) throw AutomationError(automation::kNoSuchMember);
        RequireArgs(args, indexArgs + 1);
        const int16_t index = member->indexed ? args[0].ToI2() : int16_t{0};
        member->put(*this, index, args.back());
        return {};
    }
    if (member->get == nullptr) throw AutomationError(automation::kNoSuchMember);
    RequireArgs(args, indexArgs);
    const int16_t index = member->indexed ? args[0].ToI2() : int16_t{0};
    return member->get(*this, index);
}

}  // namespace quorvex6
