#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

/// Bytes from a hex text such as "01 00 00" (blanks and line breaks ignored).
std::vector<std::uint8_t> HexBytes(std::string_view hex);
/// Hex text of bytes, two digits each, separated by blanks: for readable failure messages.
std::string ToHex(const std::vector<std::uint8_t>& bytes, std::size_t limit = 256);
/// The path of a file under tests/data.
std::string TestDataPath(std::string_view relative);
std::vector<std::uint8_t> ReadFileBytes(const std::string& path);
std::string ReadFileText(const std::string& path);
