// The method table in parts, one static library each: a container looks its methods up in the
// one part it links, so that a library carries (and its process loads the shared libraries of)
// only the codecs it can use.
#pragma once

#include "codecs/codec.h"
#include "codecs/frame_codec.h"

namespace quorvex6::backend::codecs {

// LHA's and ARJ's methods, all of the LH family (qv_codecs_lh).
MethodTable LhMethods();

// RAR's: 1.5, 2.0, 2.9 and 5.0 (qv_codecs_rar).
MethodTable RarMethods();

// The general-purpose streams of ZIP and of compressed TAR: deflate, gzip, bzip2, LZMA and
// zstd (qv_codecs_stream).
MethodTable StreamMethods();

// CAB's frame codecs: MSZIP, LZX and Quantum (qv_codecs_frame).
FrameMethodTable FrameMethods();

}  // namespace quorvex6::backend::codecs
