#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

/// Why decompression stopped.
enum class InflateStatus {
    Ok,        ///< the stream ended properly (and, for zlib, its Adler-32 matched)
    Truncated, ///< the input ended before the stream did
    Damaged,   ///< a bad header, block type, Huffman code, distance or checksum
    TooLarge,  ///< the stream holds more data than the output may take
};

struct InflateResult {
    InflateStatus status = InflateStatus::Ok;
    /// Bytes written to the output, also when decompression failed part way.
    std::size_t outputSize = 0;
    /// Bytes of input taken by the stream (its trailer included); what follows is not looked at.
    std::size_t inputUsed = 0;

    explicit operator bool() const { return status == InflateStatus::Ok; }
};

/// Decompresses a zlib stream (2-byte header, DEFLATE data, Adler-32) into `output`. The output
/// span is the limit: a stream that holds more is TooLarge. Streams that need a preset
/// dictionary are refused as Damaged, since none can be given.
InflateResult InflateZlib(std::span<const std::uint8_t> input, std::span<std::uint8_t> output);

/// Decompresses a zlib stream into `output` (replacing its contents), growing it as needed up to
/// `maxOutput` bytes; a stream that holds more is TooLarge. On failure `output` keeps what was
/// decoded before the fault.
InflateResult InflateZlib(std::span<const std::uint8_t> input, std::vector<std::uint8_t>& output,
                          std::size_t maxOutput);

/// Decompresses raw DEFLATE data (no header, no checksum) into `output`, which is the limit.
InflateResult InflateRaw(std::span<const std::uint8_t> input, std::span<std::uint8_t> output);

/// Decompresses raw DEFLATE data into `output`, growing it up to `maxOutput` bytes.
InflateResult InflateRaw(std::span<const std::uint8_t> input, std::vector<std::uint8_t>& output,
                         std::size_t maxOutput);

/// The Adler-32 checksum of `data`, continuing from `adler` (1 for a fresh start).
std::uint32_t Adler32(std::span<const std::uint8_t> data, std::uint32_t adler = 1);
