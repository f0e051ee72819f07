#include <cstdint>

#include "codecs/ish/batch.h"
#include "codecs/ish/encode_lanes.h"
#include "codecs/ish/first_line.h"
#include "codecs/ish/ish.h"
#include "codecs/ish/line_text.h"
#include "codecs/ish/payload.h"
#include "codecs/ish/text_out.h"

namespace quorvex6::backend::codecs::ish {

namespace {

class IshEncoder final : public Encoder {
  public:
    explicit IshEncoder(const FileInfo& info) : info_(info) {}

    Status encode(Source& in, Sink& out, std::uint64_t limit) override {
        const Layout& l = LayoutOf(info_.variant);
        TextOut text(out, limit, info_);
        if (!text.line(FirstLine(info_, AnnouncedLines(info_)))) return text.status();
        HeaderRecord header = MakeHeader(info_);
        for (int copy = 0; copy < 3; ++copy) {
            EncodeLine(l.header, header.data(), text.line_room(LayoutOf(l.header).text));
            if (!text.end_line()) return text.status();
        }
        Payload payload(in, info_.size);
        const std::uint64_t lines = (std::uint64_t{info_.size} + 2 + l.payload() - 1) / l.payload();
        EncodeWork work{l, info_.variant, payload, text, lines};
        // A file of one batch has nothing to share with a second thread.
        if (!EncodeBlocks(work, lines > Batch::kBlocks * l.payload()))
            return payload.status() != Status::kOk ? payload.status() : text.status();
        return text.finish() ? Status::kOk : text.status();
    }

  private:
    FileInfo info_;
};

}  // namespace

std::unique_ptr<Encoder> MakeEncoder(const FileInfo& info) {
    return std::make_unique<IshEncoder>(info);
}

}  // namespace quorvex6::backend::codecs::ish
