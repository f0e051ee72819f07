// The LH family's parameters, one row per method: the single source for window sizes and
// table sizes used by both directions.
#pragma once

namespace quorvex6::backend::codecs::lh {

struct StaticParams {
    int dict_bits;     // history the encoder uses: 2^dict_bits bytes
    int offset_codes;  // size of the offset alphabet; distances reach 2^(offset_codes - 1)
    int offset_bits;   // bits of the offset table's count field
    // The farthest distance the encoder may use; 0 for its whole history.
    int max_distance = 0;
};

// lh4 shares lh5's decoder limits: its streams are lh5 streams with a smaller history.
inline constexpr StaticParams kLh4{12, 14, 4};
inline constexpr StaticParams kLh5{13, 14, 4};
inline constexpr StaticParams kLh6{15, 16, 5};
inline constexpr StaticParams kLh7{16, 17, 5};
// ARJ's methods 1..3 write lh7's stream from a smaller history: its decoders keep only
// kArjWindow bytes, so an encoder for them keeps its distances below that.
inline constexpr int kArjWindow = 26624;
inline constexpr StaticParams kArj{kLh7.dict_bits, kLh7.offset_codes, kLh7.offset_bits,
                                   kArjWindow - 1};

inline constexpr int kLiteralCodes = 256;
inline constexpr int kMinMatch = 3;
inline constexpr int kMaxMatch = 256;
inline constexpr int kCodeCount = kLiteralCodes + kMaxMatch - kMinMatch + 1;  // 510
inline constexpr int kCodeCountBits = 9;
inline constexpr int kLengthCodes = 19;  // code-length alphabet: runs of zeros and lengths 1..16
inline constexpr int kLengthCountBits = 5;
inline constexpr int kMaxBlockSymbols = 0xffff;

// lh1: LZSS over 4 KiB with an adaptive code for literals and lengths 3..60.
inline constexpr int kLh1DictBits = 12;
inline constexpr int kLh1MaxMatch = 60;
inline constexpr int kLh1Codes = kLiteralCodes + kLh1MaxMatch - kMinMatch + 1;  // 314

}  // namespace quorvex6::backend::codecs::lh
