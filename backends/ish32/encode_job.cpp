#include "ish32/encode_job.h"

#include <cstdint>

#include "codecs/ish/ish.h"
#include "common/file_sink.h"
#include "common/replacement_file.h"
#include "common/result.h"
#include "ish32/file_source.h"
#include "ish32/ish_names.h"
#include "ish32/ish_times.h"

namespace quorvex6::backend::ish32 {

namespace ish = codecs::ish;

std::string EncodeFile(const std::string& file, const std::string& folder, ish::Variant variant) {
    std::optional<FileStat> stat = StatPath(file);
    if (!stat || stat->kind != FileKind::kRegular)
        throw Failure(result::kFileNotFound, "no such file: " + file);
    if (stat->size > UINT32_MAX)
        throw Failure(result::kUnknownType, "too large for an ISH text: " + file);
    ish::FileInfo info;
    size_t slash = file.find_last_of('/');
    info.name = slash == std::string::npos ? file : file.substr(slash + 1);
    info.size = static_cast<uint32_t>(stat->size);
    info.os = ish::kOsUnix;
    info.variant = variant;
    StampTime(stat->mtime, info);

    std::string target = InFolder(folder, TextNameFor(info.name));
    ReplacementFile text(target);
    FileSource source(file);
    FileSink<OutputFile> sink(text.file());
    codecs::Status status = ish::MakeEncoder(info)->encode(source, sink, UINT64_MAX);
    source.Rethrow();
    sink.Rethrow();
    if (status != codecs::Status::kOk)
        throw Failure(result::kReadError, "the file changed while it was read: " + file);
    text.Commit();
    return target;
}

}  // namespace quorvex6::backend::ish32
