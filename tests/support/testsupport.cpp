#include "testsupport.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <sys/mount.h>
#include <unistd.h>

std::vector<std::uint8_t> HexBytes(std::string_view hex) {
    std::vector<std::uint8_t> bytes;
    int high = -1;
    for (char c : hex) {
        if (std::isspace(static_cast<unsigned char>(c)))
            continue;
        const int digit = std::isdigit(static_cast<unsigned char>(c))
                              ? c - '0'
                              : std::tolower(static_cast<unsigned char>(c)) - 'a' + 10;
        if (digit < 0 || digit > 15)
            throw std::invalid_argument("bad hex digit");
        if (high < 0) {
            high = digit;
        } else {
            bytes.push_back(static_cast<std::uint8_t>(high * 16 + digit));
            high = -1;
        }
    }
    if (high >= 0)
        throw std::invalid_argument("odd number of hex digits");
    return bytes;
}

std::string ToHex(const std::vector<std::uint8_t>& bytes, std::size_t limit) {
    static const char* digits = "0123456789ABCDEF";
    std::string text;
    for (std::size_t i = 0; i < bytes.size() && i < limit; ++i) {
        if (i)
            text += ' ';
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 15];
    }
    if (bytes.size() > limit)
        text += " ...";
    return text;
}

std::string TestDataPath(std::string_view relative) {
    return std::string(VELVANE_TEST_DATA_DIR) + "/" + std::string(relative);
}

std::vector<std::uint8_t> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot open " + path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string ReadFileText(const std::string& path) {
    const auto bytes = ReadFileBytes(path);
    return {bytes.begin(), bytes.end()};
}

SmallTmpfs::SmallTmpfs(std::size_t bytes) {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "velvane-tmpfs-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        m_problem = std::string("cannot make a folder: ") + std::strerror(errno);
        return;
    }
    m_path = pattern;
    const std::string options = "size=" + std::to_string(bytes) + ",mode=0755";
    if (::mount("tmpfs", m_path.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) != 0) {
        m_problem = std::string("mounting a tmpfs is not allowed here (") + std::strerror(errno) +
                    "); the full-disk test needs root";
        return;
    }
    m_mounted = true;
}

SmallTmpfs::~SmallTmpfs() {
    if (m_mounted)
        ::umount2(m_path.c_str(), MNT_DETACH);
    if (!m_path.empty())
        std::filesystem::remove_all(m_path);
}

bool SmallTmpfs::MakeReadOnly() {
    return m_mounted && ::mount("tmpfs", m_path.c_str(), "tmpfs",
                                MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NODEV, nullptr) == 0;
}

void SmallTmpfs::Fill(std::size_t leave) {
    const std::string filler = m_path + "/filler";
    const int fd = ::open(filler.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        throw std::runtime_error("cannot create " + filler);
    const std::vector<char> block(4096, 'f');
    std::size_t written = 0;
    for (;;) {
        const ssize_t n = ::write(fd, block.data(), block.size());
        if (n <= 0)
            break;
        written += static_cast<std::size_t>(n);
    }
    if (leave > 0 &&
        ::ftruncate(fd, static_cast<off_t>(written > leave ? written - leave : 0)) != 0)
        throw std::runtime_error("cannot shrink " + filler);
    ::close(fd);
}
