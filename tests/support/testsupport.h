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

/// A small tmpfs mounted on a new folder of its own, for tests of a full disk; unmounted and
/// removed again when destroyed. Mounting needs root (as in CI); where it is not allowed,
/// Mounted() is false and Problem() says why, for the test to skip with.
class SmallTmpfs {
public:
    explicit SmallTmpfs(std::size_t bytes);
    ~SmallTmpfs();
    SmallTmpfs(const SmallTmpfs&) = delete;
    SmallTmpfs& operator=(const SmallTmpfs&) = delete;

    bool Mounted() const { return m_mounted; }
    const std::string& Problem() const { return m_problem; }
    /// The mounted folder.
    const std::string& Path() const { return m_path; }
    /// Fills the filesystem with a file "filler" until no byte is left, then frees `leave`
    /// bytes of it again (whole pages, as the filesystem counts them).
    void Fill(std::size_t leave = 0);
    /// Mounts the filesystem again, read-only: nothing in it can be written or made any more,
    /// by root neither. False when that is refused.
    bool MakeReadOnly();

private:
    std::string m_path;
    std::string m_problem;
    bool m_mounted = false;
};
