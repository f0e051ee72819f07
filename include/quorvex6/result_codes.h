// Result codes recorded in Error. Library codes run from 0x8005 to 0x8033; the control's own
// codes sit above them.
#pragma once
#include <cstdint>

namespace quorvex6::result {
inline constexpr int32_t kSuccess = 0;
inline constexpr int32_t kDiskFull = 0x8005;
inline constexpr int32_t kReadOnlyTarget = 0x8006;
inline constexpr int32_t kSkipped = 0x8007;
inline constexpr int32_t kUnknownType = 0x8008;
inline constexpr int32_t kMethod = 0x8009;
inline constexpr int32_t kPasswordFile = 0x800A;
inline constexpr int32_t kVersion = 0x800B;
inline constexpr int32_t kCrcMismatch = 0x800C;
inline constexpr int32_t kCannotOpen = 0x800D;
inline constexpr int32_t kNewerExists = 0x800E;
inline constexpr int32_t kNotInTarget = 0x800F;
inline constexpr int32_t kFileExists = 0x8010;
inline constexpr int32_t kTooManyFiles = 0x8011;
inline constexpr int32_t kCannotMakeFolder = 0x8012;
inline constexpr int32_t kWriteError = 0x8013;
inline constexpr int32_t kBrokenData = 0x8014;
inline constexpr int32_t kCommentHeader = 0x8015;
inline constexpr int32_t kHeaderCrc = 0x8016;
inline constexpr int32_t kBrokenHeader = 0x8017;
inline constexpr int32_t kCannotOpenArchive = 0x8018;
inline constexpr int32_t kNoArchiveName = 0x8019;
inline constexpr int32_t kReadError = 0x801A;
inline constexpr int32_t kNotValidArchive = 0x801B;
inline constexpr int32_t kBadCommand = 0x801C;
inline constexpr int32_t kNoHeapMemory = 0x801D;
inline constexpr int32_t kNoGlobalMemory = 0x801E;
inline constexpr int32_t kAlreadyRunning = 0x801F;
inline constexpr int32_t kCancelled = 0x8020;
inline constexpr int32_t kNotOpened = 0x8021;
inline constexpr int32_t kFindNextBeforeFirst = 0x8022;
inline constexpr int32_t kNotSupportedApi = 0x8023;
inline constexpr int32_t kBadDateTime = 0x8024;
inline constexpr int32_t kCannotMakeWorkFile = 0x8025;
inline constexpr int32_t kPathTooLong = 0x8026;
inline constexpr int32_t kReadOnlyArchive = 0x8027;
inline constexpr int32_t kSameNameStored = 0x8028;
inline constexpr int32_t kNoArchiveInFolder = 0x8029;
inline constexpr int32_t kResponseFile = 0x802A;
inline constexpr int32_t kNeedFileName = 0x802B;
inline constexpr int32_t kCannotWriteBack = 0x802C;
inline constexpr int32_t kArchiveDataMissing = 0x802D;
inline constexpr int32_t kSfxOperation = 0x802E;
inline constexpr int32_t kNoSpaceForWriteBack = 0x802F;
inline constexpr int32_t kAccessDenied = 0x8030;
inline constexpr int32_t kFileNotFound = 0x8031;
inline constexpr int32_t kLogFile = 0x8032;
inline constexpr int32_t kNoDevice = 0x8033;

inline constexpr int32_t kLibraryFirst = kDiskFull;
inline constexpr int32_t kLibraryLast = kNoDevice;

inline constexpr int32_t kTrapped = 37120;  // ERR_TRAPPED: text from TrappedErrorText
inline constexpr int32_t kNotSupported = 37121;
inline constexpr int32_t kPathMissing = 37122;
inline constexpr int32_t kBadArchivePath = 37123;
inline constexpr int32_t kProgramStartFailed = 65535;
}  // namespace quorvex6::result
