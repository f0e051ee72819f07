#include "formats/cab/cab_quantum_stream.h"

#include <algorithm>
#include <span>

#include "formats/cab/cab_format.h"
#include "formats/cab/cab_methods.h"
#include "io/fault.h"

namespace quorvex6::backend::cab {

std::uint64_t QuantumLaneBytes(unsigned window_bits, std::uint64_t folder_input) {
    return EncoderFootprint(static_cast<std::uint16_t>(kMethodQuantum | window_bits << 8)) +
           2 * folder_input;
}

unsigned LanesWithin(unsigned processors, std::uint64_t lane_bytes, std::uint64_t budget) {
    std::uint64_t fit = lane_bytes == 0 ? processors : budget / lane_bytes;
    return static_cast<unsigned>(
        std::max<std::uint64_t>(1, std::min<std::uint64_t>(processors, fit)));
}

QuantumStream::QuantumStream(std::uint16_t type, unsigned processors, Limits limits)
    : type_(type), limits_(limits) {
    // The open folder and a file being read are held besides what the lanes hold.
    std::uint64_t held = 2 * limits.folder_input;
    unsigned lanes =
        LanesWithin(processors, QuantumLaneBytes(WindowBitsOf(type), limits.folder_input),
                    limits.budget > held ? limits.budget - held : 0);
    for (unsigned i = 0; i < lanes; ++i) encoders_.push_back(MakeFrameEncoder(type, 0));
    lanes_ = lanes;
}

QuantumStream::~QuantumStream() {
    for (Job& job : jobs_)
        if (job.thread.joinable()) job.thread.join();
}

QuantumStream::Place QuantumStream::Append(io::RandomInput& data, std::uint64_t size,
                                           io::RandomOutput& out, std::uint64_t base,
                                           std::uint64_t* read) {
    // What a failure takes back: the blocks written since, and a folder opened for the file.
    const std::size_t folders = folders_.size();
    const std::uint64_t out_at = out.position();
    try {
        WriteDone(out, base, false);
        Place place;
        if (size > limits_.folder_input) {
            *read = EncodeAlone(data, size, out, base);
            place.folder = static_cast<std::uint16_t>(folders_.size() - 1);
        } else {
            scratch_.resize(static_cast<std::size_t>(size));
            std::size_t got = 0;
            while (got < scratch_.size()) {
                std::ptrdiff_t n = data.read_at(got, scratch_.data() + got, scratch_.size() - got);
                if (n < 0) throw io::Error(io::Fault::kRead, "cannot read the file");
                if (n == 0) break;
                got += static_cast<std::size_t>(n);
            }
            // Nothing below fails: the file is whole and joins the stream.
            if (open_ && gathering_.size() + got > limits_.folder_input) Launch();
            if (!open_ && (got != 0 || folders_.empty())) OpenFolder();
            place.folder = static_cast<std::uint16_t>(folders_.size() - 1);
            if (open_) place.offset = static_cast<std::uint32_t>(gathering_.size());
            gathering_.insert(gathering_.end(), scratch_.begin(), scratch_.begin() + got);
            if (gathering_.size() >= limits_.folder_input) Launch();
            *read = got;
        }
        DropWritten();
        return place;
    } catch (...) {
        for (Job& job : jobs_) job.written = false;
        folders_.resize(folders);
        out.seek(out_at);
        throw;
    }
}

void QuantumStream::Finish(io::RandomOutput& out, std::uint64_t base) {
    if (folders_.empty()) OpenFolder();
    Launch();
    WriteDone(out, base, true);
    DropWritten();
}

std::uint16_t QuantumStream::OpenFolder() {
    // Gathering never passes a folder's input: held exactly, it is not doubled as it grows.
    if (gathering_.capacity() == 0) gathering_.reserve(limits_.folder_input);
    folders_.push_back({0, 0, type_});
    open_ = true;
    return static_cast<std::uint16_t>(folders_.size() - 1);
}

void QuantumStream::Launch() {
    if (!open_) return;
    open_ = false;
    std::unique_ptr<codecs::FrameEncoder> encoder;
    if (!gathering_.empty()) encoder = TakeEncoder();
    Job& job = jobs_.emplace_back();
    job.folder = static_cast<std::uint16_t>(folders_.size() - 1);
    job.input.swap(gathering_);
    gathering_.clear();
    if (!encoder) return;
    job.encoder = std::move(encoder);
    job.thread = std::thread([&job] {
        try {
            job.encoder->Reset();
            std::span<const std::uint8_t> input(job.input);
            for (std::size_t at = 0; at < input.size(); at += kMaxBlockData)
                job.encoder->Encode(input.subspan(at, std::min(kMaxBlockData, input.size() - at)),
                                    job.blocks);
            job.encoder->Finish(job.blocks);
        } catch (...) {
            job.failure = std::current_exception();
        }
        std::vector<std::uint8_t>().swap(job.input);
        job.finished = true;
    });
}

void QuantumStream::Join(Job& job) {
    if (job.thread.joinable()) job.thread.join();
    if (job.encoder) encoders_.push_back(std::move(job.encoder));
}

std::unique_ptr<codecs::FrameEncoder> QuantumStream::TakeEncoder() {
    // Every lane busy: the oldest folder is the first due, so it is the one waited for.
    for (auto job = jobs_.begin(); encoders_.empty() && job != jobs_.end(); ++job) Join(*job);
    auto encoder = std::move(encoders_.back());
    encoders_.pop_back();
    return encoder;
}

void QuantumStream::WriteDone(io::RandomOutput& out, std::uint64_t base, bool wait) {
    for (Job& job : jobs_) {
        if (job.written) continue;
        if (!wait && job.encoder && !job.finished) return;
        WriteJob(job, out, base);
    }
}

void QuantumStream::WriteJob(Job& job, io::RandomOutput& out, std::uint64_t base) {
    Join(job);
    if (job.failure) std::rethrow_exception(job.failure);
    WrittenFolder& folder = folders_[job.folder];
    folder.offset = base + out.position();
    for (const codecs::PackedFrame& block : job.blocks)
        WriteDataBlock(block.bytes, block.size, out);
    folder.blocks = static_cast<std::uint16_t>(job.blocks.size());
    job.written = true;
}

void QuantumStream::DropWritten() {
    while (!jobs_.empty() && jobs_.front().written) jobs_.pop_front();
}

void QuantumStream::WriteFrames(WrittenFolder& folder, io::RandomOutput& out) {
    for (const codecs::PackedFrame& frame : frames_) WriteDataBlock(frame.bytes, frame.size, out);
    folder.blocks = static_cast<std::uint16_t>(folder.blocks + frames_.size());
    frames_.clear();
}

std::uint64_t QuantumStream::EncodeAlone(io::RandomInput& data, std::uint64_t size,
                                         io::RandomOutput& out, std::uint64_t base) {
    if (size > kMaxFolderData)
        throw io::Error(io::Fault::kBrokenData, "a cabinet's folder holds at most 2 GiB");
    Launch();
    WriteDone(out, base, true);
    auto encoder = TakeEncoder();
    struct Return {
        QuantumStream& stream;
        std::unique_ptr<codecs::FrameEncoder>& encoder;
        ~Return() { stream.encoders_.push_back(std::move(encoder)); }
    } give_back{*this, encoder};
    WrittenFolder& folder = folders_[OpenFolder()];
    open_ = false;
    folder.offset = base + out.position();
    encoder->Reset();
    frames_.clear();  // left by a file that failed
    scratch_.resize(kMaxBlockData);
    std::uint64_t at = 0;
    while (at < size) {
        auto want = static_cast<std::size_t>(std::min<std::uint64_t>(kMaxBlockData, size - at));
        std::ptrdiff_t got = data.read_at(at, scratch_.data(), want);
        if (got < 0) throw io::Error(io::Fault::kRead, "cannot read the file");
        if (got == 0) break;
        std::span<const std::uint8_t> frame(scratch_.data(), static_cast<std::size_t>(got));
        encoder->Encode(frame, frames_);
        WriteFrames(folder, out);
        at += frame.size();
        if (frame.size() < want) break;  // only a folder's last frame may be short
    }
    encoder->Finish(frames_);
    WriteFrames(folder, out);
    return at;
}

}  // namespace quorvex6::backend::cab
