#include "formats/rar/rar5_extra.h"

#include <algorithm>

#include "formats/rar/field_reader.h"
#include "io/text.h"

namespace quorvex6::backend::rar {

namespace {

constexpr std::uint64_t kFiletimeUnitsPerSecond = 10000000;
constexpr std::int64_t kFiletimeToUnix = 11644473600;  // seconds from 1601 to 1970
constexpr std::uint32_t kNanosecondsPerSecond = 1000000000;

Time FromFiletime(std::uint64_t filetime) {
    return {static_cast<std::int64_t>(filetime / kFiletimeUnitsPerSecond) - kFiletimeToUnix,
            static_cast<std::uint32_t>(filetime % kFiletimeUnitsPerSecond) * 100};
}

void ReadTimes(FieldReader& r, Entry& e) {
    std::uint64_t flags = r.Vint();
    bool unix = (flags & kTimeUnix) != 0;
    const std::uint64_t bits[] = {kTimeMtime, kTimeCtime, kTimeAtime};
    std::optional<Time> times[3];
    for (int i = 0; i < 3; ++i) {
        if ((flags & bits[i]) == 0) continue;
        times[i] = unix ? Time{static_cast<std::int64_t>(r.U32()), 0} : FromFiletime(r.U64());
    }
    if (unix && (flags & kTimeNanoseconds)) {
        for (auto& t : times)
            if (t) t->nanoseconds = std::min(r.U32(), kNanosecondsPerSecond - 1);
    }
    if (times[0]) e.mtime = *times[0];
    if (times[1]) e.ctime = times[1];
    if (times[2]) e.atime = times[2];
}

void ReadRedirection(FieldReader& r, Entry& e) {
    std::uint64_t type = r.Vint();
    r.Vint();  // flags: "the target is a folder" changes nothing here
    std::uint64_t length = r.Vint();
    if (length > kMaxNameSize) r.Fail("a link target past the limit");
    e.link_target = r.Text(length);
    if (!io::IsValidUtf8(e.link_target)) r.Fail("a link target that is not UTF-8");
    switch (type) {
        case 1:
            e.redirection = Redirection::kUnixSymlink;
            break;
        case 2:
            e.redirection = Redirection::kWindowsSymlink;
            break;
        case 3:
            e.redirection = Redirection::kJunction;
            break;
        case 4:
            e.redirection = Redirection::kHardLink;
            break;
        case 5:
            e.redirection = Redirection::kFileCopy;
            break;
        default:
            r.Fail("an unknown redirection " + std::to_string(type));
    }
}

void ReadOwner(FieldReader& r) {
    std::uint64_t flags = r.Vint();
    for (std::uint64_t bit : {kOwnerUserName, kOwnerGroupName}) {
        if ((flags & bit) == 0) continue;
        std::uint64_t length = r.Vint();
        if (length > kMaxNameSize) r.Fail("an owner name past the limit");
        r.Skip(length);
    }
    if (flags & kOwnerUid) r.Vint();
    if (flags & kOwnerGid) r.Vint();
}

}  // namespace

void ReadExtraArea(std::span<const std::uint8_t> area, Entry& e, const std::string& where) {
    FieldReader records(area, where + ", its extra area");
    while (records.left() > 0) {
        std::uint64_t size = records.Vint();
        if (size == 0 || size > records.left()) records.Fail("a record past the area's end");
        FieldReader r(records.Bytes(size), where + ", an extra record");
        std::uint64_t type = r.Vint();
        switch (type) {
            case kExtraEncryption:
                e.encrypted = true;
                break;
            case kExtraHash:
                if (r.Vint() == kHashBlake2sp) {
                    auto digest = r.Bytes(io::kBlake2spSize);
                    e.blake2sp.emplace();
                    std::copy(digest.begin(), digest.end(), e.blake2sp->begin());
                }
                break;
            case kExtraTime:
                ReadTimes(r, e);
                break;
            case kExtraVersion:
                r.Vint();
                e.file_version = r.Vint();
                break;
            case kExtraRedirection:
                ReadRedirection(r, e);
                break;
            case kExtraOwner:
                ReadOwner(r);
                break;
            default:
                break;
        }
    }
}

}  // namespace quorvex6::backend::rar
