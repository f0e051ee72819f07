/* The binary contract between the control and the archiver libraries it binds by name.
 * Our own libraries under backends/ and the recording fake under tests/fakes/ export exactly
 * these shapes; the control calls nothing else. C linkage, little-endian, strings in the
 * system code page (UTF-8 on POSIX). */
#ifndef QUORVEX6_ARCHIVER_API_H
#define QUORVEX6_ARCHIVER_API_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Window handles and archive handles are opaque 32-bit values. */
typedef uint32_t QvWindow;
typedef uint32_t QvArchive;

/* One stored file as a library reports it: 558 bytes, packed; callers pass a 560-byte buffer. */
#define QV_ENTRY_NAME_SIZE 513
#define QV_ENTRY_INFO_SIZE 558
#define QV_ENTRY_BUFFER_SIZE 560
#pragma pack(push, 1)
typedef struct QvEntryInfo {
    uint32_t original_size;
    uint32_t compressed_size;
    uint32_t crc;
    uint32_t file_result;
    uint32_t os_type;
    uint16_t ratio_per_mille;
    uint16_t dos_date;
    uint16_t dos_time;
    char name[QV_ENTRY_NAME_SIZE];
    char reserved[3];
    char attribute[8];
    char method[8];
} QvEntryInfo;
#pragma pack(pop)

/* Entry-point shapes. P is the library prefix (Unlha, UnZip, Cab, Unarj, Tar, Unrar). */
typedef int32_t (*QvCommandFn)(QvWindow hwnd, const char* cmdline, char* output, uint32_t size);
typedef int32_t (*QvIshCommandFn)(QvWindow hwnd, const char* cmdline);
typedef uint16_t (*QvGetVersion16Fn)(void);
typedef int32_t (*QvGetVersion32Fn)(void);
typedef int32_t (*QvGetRunningFn)(void);
typedef int32_t (*QvCheckArchiveFn)(const char* archive, int32_t mode);
typedef QvArchive (*QvOpenArchiveFn)(QvWindow hwnd, const char* archive, uint32_t mode);
typedef int32_t (*QvFindFirstFn)(QvArchive handle, const char* pattern, QvEntryInfo* info);
typedef int32_t (*QvFindNextFn)(QvArchive handle, QvEntryInfo* info);
typedef int32_t (*QvCloseArchiveFn)(QvArchive handle);
typedef int32_t (*QvIshFileListFn)(const char* archive, char* output, uint16_t size);

#ifdef __cplusplus
}
static_assert(sizeof(QvEntryInfo) == QV_ENTRY_INFO_SIZE, "EntryInfo layout");
#endif

#endif
