// Files' data as Quantum folders whose one stream (models and window) runs on from file to
// file, so that small files are coded with what earlier ones taught the models. Small files
// are gathered into folders of a few MiB that are encoded side by side, one encoder a folder;
// a large file is a folder of its own. The stream is Quantum's, which cannot be taken back:
// a file is read whole before it joins a folder, so a file that fails part-way leaves nothing.
#pragma once
#include <atomic>
#include <cstdint>
#include <deque>
#include <exception>
#include <memory>
#include <thread>
#include <vector>

#include "codecs/frame_codec.h"
#include "formats/cab/cab_writer.h"
#include "io/random_access.h"

namespace quorvex6::backend::cab {

// What one encoder of `window_bits` holds while a folder of `folder_input` bytes is in flight
// (its input and, at worst, as much output).
std::uint64_t QuantumLaneBytes(unsigned window_bits, std::uint64_t folder_input);

// How many folders are encoded at once: one a processor, as many as `budget` bytes hold, at
// least one.
unsigned LanesWithin(unsigned processors, std::uint64_t lane_bytes, std::uint64_t budget);

class QuantumStream {
  public:
    struct Limits {
        std::uint64_t folder_input = std::uint64_t{4} << 20;  // a folder of small files
        std::uint64_t budget = std::uint64_t{64} << 20;       // for all lanes together
    };
    // `type` kMethodQuantum with its window and level.
    QuantumStream(std::uint16_t type, unsigned processors, Limits limits);
    ~QuantumStream();
    QuantumStream(const QuantumStream&) = delete;
    QuantumStream& operator=(const QuantumStream&) = delete;

    struct Place {
        std::uint16_t folder = 0;
        std::uint32_t offset = 0;
    };
    // The file `data` (`size` bytes, `*read` set to those there were) joins the stream; the
    // folders encoded by now go out at `out`, which lies at `base` in the cabinet. A file that
    // cannot be read (kRead) or written (kWrite, kBrokenData past 2 GiB) changes nothing.
    Place Append(io::RandomInput& data, std::uint64_t size, io::RandomOutput& out,
                 std::uint64_t base, std::uint64_t* read);
    // The last folder encoded and every folder written.
    void Finish(io::RandomOutput& out, std::uint64_t base);
    // Where each folder lies in the cabinet; when no file had data, one without blocks.
    const std::vector<WrittenFolder>& folders() const { return folders_; }
    unsigned lanes() const { return lanes_; }

  private:
    // A folder of gathered files, encoded on a thread of its own.
    struct Job {
        std::uint16_t folder = 0;
        std::vector<std::uint8_t> input;
        std::unique_ptr<codecs::FrameEncoder> encoder;
        std::vector<codecs::PackedFrame> blocks;
        std::exception_ptr failure;
        std::thread thread;
        std::atomic<bool> finished = false;  // by its thread
        bool written = false;                // by the Append under way, which may yet fail
    };

    void Launch();  // the gathered folder, to an encoder of its own
    void Join(Job& job);
    std::unique_ptr<codecs::FrameEncoder> TakeEncoder();
    void WriteDone(io::RandomOutput& out, std::uint64_t base, bool wait);
    void WriteJob(Job& job, io::RandomOutput& out, std::uint64_t base);
    // A file too large to gather: a folder of its own, encoded here as it is read.
    std::uint64_t EncodeAlone(io::RandomInput& data, std::uint64_t size, io::RandomOutput& out,
                              std::uint64_t base);
    // The frames handed out so far, as `folder`'s next blocks.
    void WriteFrames(WrittenFolder& folder, io::RandomOutput& out);
    std::uint16_t OpenFolder();
    void DropWritten();

    std::uint16_t type_;
    Limits limits_;
    unsigned lanes_ = 0;
    std::vector<std::unique_ptr<codecs::FrameEncoder>> encoders_;  // free ones
    std::deque<Job> jobs_;                                         // in folder order
    std::vector<std::uint8_t> gathering_;                          // the open folder's input
    bool open_ = false;  // whether the last folder still takes files
    std::vector<std::uint8_t> scratch_;
    std::vector<codecs::PackedFrame> frames_;
    std::vector<WrittenFolder> folders_;
};

}  // namespace quorvex6::backend::cab
