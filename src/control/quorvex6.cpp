// The property surface: every getter and setter of the control with its exact rule. A setter
// stores and then notifies; a rejected value is neither stored nor notified.
#include <vector>

#include "control/member_table.h"
#include "control/module_state.h"
#include "control/state.h"
#include "quorvex6/automation_error.h"
#include "quorvex6/control.h"

namespace quorvex6 {
namespace {

constexpr int16_t kMaxListEntries = 32767;

[[noreturn]] void Fail(int32_t number) { throw AutomationError(number); }

// The bound rule of every indexed property: the array's bounds, never the count.
template <class Array>
auto& At(Array& entries, int16_t i) {
    if (!entries || i < 0 || static_cast<size_t>(i) >= entries->size()) {
        Fail(automation::kSubscriptOutOfRange);
    }
    return (*entries)[static_cast<size_t>(i)];
}

std::u16string TrimSpaces(const std::u16string& text) {
    const size_t first = text.find_first_not_of(u' ');
    if (first == std::u16string::npos) return {};
    const size_t last = text.find_last_not_of(u' ');
    return text.substr(first, last - first + 1);
}

void Append(FileList& list, std::u16string entry) {
    if (list.count == kMaxListEntries) Fail(automation::kOverflow);
    // Growing to count + 1 keeps entries 0 .. count-1 and drops whatever lay beyond them.
    if (!list.entries) list.entries.emplace();
    auto& entries = *list.entries;
    entries.resize(static_cast<size_t>(list.count));
    entries.push_back(std::move(entry));
    ++list.count;
}

void Clear(FileList& list) {
    list.entries = std::vector<std::u16string>(1);
    list.count = 0;
}

const ListingEntry& ListingAt(int16_t i) { return At(Module().ListingArrays, i); }

}  // namespace

void ApplyNewControlValues(ControlState& s) {
    s.switches = SwitchSet{};
    s.LevelLZX = 15;
    s.LevelQUANTUM = 1;
    s.cabMultiVolume = 0;
    s.ArcMode = 0;
    s.pArcFileName.clear();
    s.pFiles = FileList{};
    s.pBaseFolder.clear();
    s.pTypeOfArc = 2;
    s.pTypeOfCab = 0;
    s.pTypeOfIsh = 1;
    s.eArcFileName.clear();
    s.eFolder.clear();
    s.eFiles = FileList{};
    s.sfxType = 2;
    s.sfxCommand.clear();
    s.sfxArcFileName.clear();
    s.sfxFolder.clear();
    s.swCommand.clear();
    s.swUnderFolder = -1;
    s.swFolderName = -1;
    s.swAttribute = -1;
    s.swCheckTimeStamp = -1;
    s.swDiskSpace = -1;
    s.swDialog = -1;
    s.swGaugeProgress = 0;
    s.Error = 0;
    s.Errorstring.clear();
    s.oBaseFolder.clear();
    s.oArcFileName.clear();
    s.oFilesCount = 0;
}

Quorvex6::Quorvex6() : state_(std::make_unique<ControlState>()) {}
Quorvex6::~Quorvex6() = default;

std::unique_ptr<Quorvex6> Quorvex6::CreateNew(ContainerSite* site) {
    auto control = std::make_unique<Quorvex6>();
    control->SetSite(site);
    control->InitNew();
    return control;
}

void Quorvex6::SetSite(ContainerSite* site) { state_->site = site; }

void Quorvex6::InitNew() {
    ApplyNewControlValues(*state_);
    Module().CurrentArcMode = 0;
    Module().OwnerWindow = 0;
}

void Quorvex6::Notify(int32_t dispid) {
    if (state_->site != nullptr) state_->site->OnPropertyChanged(dispid);
}

int32_t Quorvex6::get_Error() const { return state_->Error; }
std::u16string Quorvex6::get_Errorstring() const { return state_->Errorstring; }
void Quorvex6::put_Errorstring(const std::u16string&) { Fail(automation::kReadOnlyProperty); }
std::u16string Quorvex6::LibraryOutput() const { return state_->libraryOutput; }

int32_t Quorvex6::get_hwnd() const { return Module().OwnerWindow; }
void Quorvex6::put_hwnd(int32_t value) {
    Module().OwnerWindow = value;
    Notify(DispidOf(u"hwnd"));
}

int32_t Quorvex6::get_ArcMode() const { return state_->ArcMode; }
void Quorvex6::put_ArcMode(int32_t value) {
    state_->ArcMode = value;
    Module().CurrentArcMode = value;
    Notify(DispidOf(u"ArcMode"));
}

#define QV_PLAIN_PROPERTY(Type, Name)                          \
    Type Quorvex6::get_##Name() const { return state_->Name; } \
    void Quorvex6::put_##Name(QV_PARAM_##Type value) {         \
        state_->Name = value;                                  \
        Notify(DispidOf(u## #Name));                           \
    }
#define QV_PARAM_string const std::u16string&
#define QV_PARAM_int16_t int16_t
#define QV_PARAM_int32_t int32_t
using string = std::u16string;

QV_PLAIN_PROPERTY(string, pArcFileName)
QV_PLAIN_PROPERTY(string, eArcFileName)
QV_PLAIN_PROPERTY(string, oArcFileName)
QV_PLAIN_PROPERTY(string, eFolder)
QV_PLAIN_PROPERTY(int16_t, swUnderFolder)
QV_PLAIN_PROPERTY(int16_t, swDialog)
QV_PLAIN_PROPERTY(int16_t, swGaugeProgress)
QV_PLAIN_PROPERTY(int32_t, pTypeOfArc)
QV_PLAIN_PROPERTY(int32_t, pTypeOfCab)
QV_PLAIN_PROPERTY(int32_t, pTypeOfIsh)
QV_PLAIN_PROPERTY(int16_t, swFolderName)
QV_PLAIN_PROPERTY(int16_t, swAttribute)
QV_PLAIN_PROPERTY(int16_t, swCheckTimeStamp)
QV_PLAIN_PROPERTY(int16_t, swDiskSpace)
QV_PLAIN_PROPERTY(int32_t, sfxType)
QV_PLAIN_PROPERTY(string, pBaseFolder)
QV_PLAIN_PROPERTY(string, sfxFolder)
QV_PLAIN_PROPERTY(string, sfxArcFileName)
QV_PLAIN_PROPERTY(string, sfxCommand)
QV_PLAIN_PROPERTY(string, oBaseFolder)

#undef QV_PLAIN_PROPERTY
#undef QV_PARAM_string
#undef QV_PARAM_int16_t
#undef QV_PARAM_int32_t

std::u16string Quorvex6::get_eFilesList(int16_t i) const { return At(state_->eFiles.entries, i); }
void Quorvex6::put_eFilesList(int16_t i, const std::u16string& value) {
    At(state_->eFiles.entries, i) = value;
    Notify(DispidOf(u"eFilesList"));
}
int16_t Quorvex6::get_eFilesCount() const { return state_->eFiles.count; }
void Quorvex6::put_eFilesCount(int16_t) { Fail(automation::kReadOnlyProperty); }

std::u16string Quorvex6::get_pFilesList(int16_t i) const { return At(state_->pFiles.entries, i); }
void Quorvex6::put_pFilesList(int16_t i, const std::u16string& value) {
    At(state_->pFiles.entries, i) = value;
    Notify(DispidOf(u"pFilesList"));
}
int16_t Quorvex6::get_pFilesCount() const { return state_->pFiles.count; }
void Quorvex6::put_pFilesCount(int16_t) { Fail(automation::kReadOnlyProperty); }

int16_t Quorvex6::get_oFilesCount() const { return state_->oFilesCount; }
std::u16string Quorvex6::get_oFilesList(int16_t i) const { return ListingAt(i).FileName; }
std::u16string Quorvex6::get_oPath(int16_t i) const { return ListingAt(i).Path; }
std::u16string Quorvex6::get_oOrgSize(int16_t i) const { return ListingAt(i).OrgSize; }
std::u16string Quorvex6::get_oPackedSize(int16_t i) const { return ListingAt(i).PackedSize; }
std::u16string Quorvex6::get_oRatio(int16_t i) const { return ListingAt(i).Ratio; }
std::u16string Quorvex6::get_oType(int16_t i) const { return ListingAt(i).Type; }
std::u16string Quorvex6::get_oDate(int16_t i) const { return ListingAt(i).Date; }
std::u16string Quorvex6::get_oTime(int16_t i) const { return ListingAt(i).Time; }
std::u16string Quorvex6::get_oCRC(int16_t i) const { return ListingAt(i).CRC; }
std::u16string Quorvex6::get_oAttr(int16_t i) const { return ListingAt(i).Attr; }
void Quorvex6::put_ListingProperty(int16_t, const std::u16string&) {
    Fail(automation::kReadOnlyProperty);
}

std::u16string Quorvex6::get_swCommand() const { return state_->swCommand; }
void Quorvex6::put_swCommand(const std::u16string& value) {
    state_->swCommand = TrimSpaces(value);
    Notify(DispidOf(u"swCommand"));
}

int32_t Quorvex6::get_cabMultiVolume() const { return state_->cabMultiVolume; }
void Quorvex6::put_cabMultiVolume(int32_t value) {
    if (value < 0) Fail(automation::kInvalidPropertyValue);
    state_->cabMultiVolume = value;
    Notify(DispidOf(u"cabMultiVolume"));
}

int16_t Quorvex6::get_LevelLZX() const { return state_->LevelLZX; }
void Quorvex6::put_LevelLZX(int16_t value) {
    if (value < 15 || value > 21) Fail(automation::kInvalidPropertyValue);
    state_->LevelLZX = value;
    Notify(DispidOf(u"LevelLZX"));
}

int16_t Quorvex6::get_LevelQUANTUM() const { return state_->LevelQUANTUM; }
void Quorvex6::put_LevelQUANTUM(int16_t value) {
    if (value < 1 || value > 7) Fail(automation::kInvalidPropertyValue);
    state_->LevelQUANTUM = value;
    Notify(DispidOf(u"LevelQUANTUM"));
}

void Quorvex6::pFilesClear() { Clear(state_->pFiles); }
void Quorvex6::eFilesClear() { Clear(state_->eFiles); }
void Quorvex6::pAddFile(const std::u16string& strFile) {
    std::u16string trimmed = TrimSpaces(strFile);
    if (trimmed.empty()) return;
    Append(state_->pFiles, std::move(trimmed));
}
void Quorvex6::eAddFile(const std::u16string& strFile) { Append(state_->eFiles, strFile); }

}  // namespace quorvex6
