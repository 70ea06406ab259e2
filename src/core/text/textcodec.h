#pragma once

#include <optional>
#include <string>
#include <string_view>

/// Conversions between the program's UTF-8 strings and the encodings found in stored files:
/// the 8-bit Windows-1252 code page and UTF-16 (little-endian on disk).

/// Decodes UTF-8 into code points; malformed sequences become U+FFFD.
std::u32string DecodeUtf8(std::string_view utf8);
/// Encodes code points as UTF-8; surrogates and values above U+10FFFF become U+FFFD.
std::string EncodeUtf8(std::u32string_view codePoints);

/// The Windows-1252 form of a UTF-8 text, or nothing when a character has no place in it.
/// The five bytes the code page leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the
/// C1 control characters of the same value, as on Windows, so every byte string round-trips.
std::optional<std::string> Utf8ToWindows1252(std::string_view utf8);
std::string Windows1252ToUtf8(std::string_view bytes);

/// The first `maxCharacters` characters of a UTF-8 text, followed by "\u2026" when more
/// followed; the text itself when it is no longer. A text of megabytes is cut without being
/// decoded, for lists and labels that show it.
std::string ShortenedUtf8(std::string_view utf8, std::size_t maxCharacters);

std::u16string Utf8ToUtf16(std::string_view utf8);
/// Unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view utf16);
