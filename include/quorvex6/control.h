// The Quorvex6 archive control: one object whose properties describe an archive job and whose
// operations Pack, Extract, OpenFile and SFX hand one command line to the archiver library of
// the current kind. The typed members below and Invoke (dispatch by id or name) reach the same
// code. Property calls and list methods fail with AutomationError; operations never throw once
// they have reached their library section and record one result code in Error instead.
#pragma once
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "quorvex6/container_site.h"
#include "quorvex6/export.h"
#include "quorvex6/property_bag.h"
#include "quorvex6/variant.h"

namespace quorvex6 {

struct ControlState;

enum class InvokeKind { Get, Put, Method };

class QUORVEX6_API Quorvex6 {
  public:
    // A created control holds zeros until the container runs InitNew or Load.
    Quorvex6();
    ~Quorvex6();
    Quorvex6(const Quorvex6&) = delete;
    Quorvex6& operator=(const Quorvex6&) = delete;

    // A newly placed control: created, then initialised as new.
    static std::unique_ptr<Quorvex6> CreateNew(ContainerSite* site = nullptr);

    void SetSite(ContainerSite* site);

    // Persistence entry points the container calls.
    void InitNew();
    void Load(PropertyBag& bag);
    void Save(PropertyBag& bag) const;

    // Container events.
    void OnResize();
    void OnShow();
    bool ImageVisible() const;
    bool BorderFixedSingle() const;

    // Dispatch by id or by name, with variant arguments (the index first for indexed
    // properties, the value last for puts).
    Variant Invoke(int32_t dispid, InvokeKind kind, std::span<const Variant> args);
    Variant Invoke(std::u16string_view name, InvokeKind kind, std::span<const Variant> args);
    static int32_t IdOfName(std::u16string_view name);  // AutomationError 438 when unknown

    // Properties.
    int32_t get_Error() const;
    std::u16string get_Errorstring() const;
    void put_Errorstring(const std::u16string& value);
    int32_t get_hwnd() const;
    void put_hwnd(int32_t value);
    int32_t get_ArcMode() const;
    void put_ArcMode(int32_t value);
    std::u16string get_pArcFileName() const;
    void put_pArcFileName(const std::u16string& value);
    std::u16string get_eArcFileName() const;
    void put_eArcFileName(const std::u16string& value);
    std::u16string get_oArcFileName() const;
    void put_oArcFileName(const std::u16string& value);
    std::u16string get_eFilesList(int16_t i) const;
    void put_eFilesList(int16_t i, const std::u16string& value);
    int16_t get_eFilesCount() const;
    void put_eFilesCount(int16_t value);
    std::u16string get_eFolder() const;
    void put_eFolder(const std::u16string& value);
    int16_t get_oFilesCount() const;
    std::u16string get_oFilesList(int16_t i) const;
    std::u16string get_oPath(int16_t i) const;
    std::u16string get_oOrgSize(int16_t i) const;
    std::u16string get_oPackedSize(int16_t i) const;
    std::u16string get_oRatio(int16_t i) const;
    std::u16string get_oType(int16_t i) const;
    std::u16string get_oDate(int16_t i) const;
    std::u16string get_oTime(int16_t i) const;
    std::u16string get_oCRC(int16_t i) const;
    std::u16string get_oAttr(int16_t i) const;
    // Every listing property is read-only; the put always fails with 383.
    void put_ListingProperty(int16_t i, const std::u16string& value);
    std::u16string get_swCommand() const;
    void put_swCommand(const std::u16string& value);
    int16_t get_swUnderFolder() const;
    void put_swUnderFolder(int16_t value);
    int16_t get_swDialog() const;
    void put_swDialog(int16_t value);
    int16_t get_swGaugeProgress() const;
    void put_swGaugeProgress(int16_t value);
    int32_t get_pTypeOfArc() const;
    void put_pTypeOfArc(int32_t value);
    int32_t get_pTypeOfCab() const;
    void put_pTypeOfCab(int32_t value);
    int32_t get_pTypeOfIsh() const;
    void put_pTypeOfIsh(int32_t value);
    int16_t get_swFolderName() const;
    void put_swFolderName(int16_t value);
    int16_t get_swAttribute() const;
    void put_swAttribute(int16_t value);
    int16_t get_swCheckTimeStamp() const;
    void put_swCheckTimeStamp(int16_t value);
    int16_t get_swDiskSpace() const;
    void put_swDiskSpace(int16_t value);
    int32_t get_sfxType() const;
    void put_sfxType(int32_t value);
    std::u16string get_pFilesList(int16_t i) const;
    void put_pFilesList(int16_t i, const std::u16string& value);
    std::u16string get_pBaseFolder() const;
    void put_pBaseFolder(const std::u16string& value);
    int16_t get_pFilesCount() const;
    void put_pFilesCount(int16_t value);
    std::u16string get_sfxFolder() const;
    void put_sfxFolder(const std::u16string& value);
    std::u16string get_sfxArcFileName() const;
    void put_sfxArcFileName(const std::u16string& value);
    std::u16string get_sfxCommand() const;
    void put_sfxCommand(const std::u16string& value);
    int32_t get_cabMultiVolume() const;
    void put_cabMultiVolume(int32_t value);
    int16_t get_LevelLZX() const;
    void put_LevelLZX(int16_t value);
    int16_t get_LevelQUANTUM() const;
    void put_LevelQUANTUM(int16_t value);
    int32_t get_Version() const;
    int32_t get_VersionZipJ() const;
    int16_t get_Running() const;
    int16_t get_RunningZipJ() const;
    std::u16string get_oBaseFolder() const;
    void put_oBaseFolder(const std::u16string& value);

    // List methods.
    void pFilesClear();
    void pAddFile(const std::u16string& strFile);
    void eFilesClear();
    void eAddFile(const std::u16string& strFile);

    // Operations.
    void Pack();
    void Extract();
    void OpenFile();
    void SFX();
    void AboutBox();

    // The text the archiver library left in its output buffer during the last Pack, Extract or
    // SFX: its log, which names each entry it refused or could not handle and why. Empty after
    // OpenFile and when the operation called no library. Not part of the dispatch interface.
    std::u16string LibraryOutput() const;

    // For the rooms inside the library (operations, listing, persistence).
    ControlState& state() { return *state_; }
    const ControlState& state() const { return *state_; }

  private:
    void Notify(int32_t dispid);
    std::unique_ptr<ControlState> state_;
};

}  // namespace quorvex6
