#include "firmware/intel_hex_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Upper address values from this one on (0x300000) hold configuration data.
constexpr std::uint32_t kConfigUpperAddress = 0x30;
constexpr std::size_t kMaxLineLength = 1024;

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// Reads `digits` hexadecimal digits at `pos`; false when the line ends first
// or a character is not a digit.
bool readField(std::string_view line, std::size_t& pos, int digits, std::uint32_t& value) {
    if (line.size() < pos + static_cast<std::size_t>(digits))
        return false;
    value = 0;
    for (int i = 0; i < digits; ++i) {
        const int d = hexDigit(line[pos++]);
        if (d < 0)
            return false;
        value = value * 16 + static_cast<std::uint32_t>(d);
    }
    return true;
}

}  // namespace

bool parseHexRecord(std::string_view line, HexRecord& record) {
    record.valid = false;
    record.byteCount = 0;
    record.address = 0;
    record.recordType = 0;
    record.checksum = 0;
    record.data.fill(0);
    if (line.empty() || line[0] != ':')
        return false;
    std::size_t pos = 1;
    std::uint32_t count = 0;
    std::uint32_t address = 0;
    std::uint32_t type = 0;
    if (!readField(line, pos, 2, count) || !readField(line, pos, 4, address) ||
        !readField(line, pos, 2, type))
        return false;
    record.byteCount = count;
    record.address = address;
    record.recordType = type;
    std::uint32_t sum = count + (address >> 8) + (address & 0xFF) + type;
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint32_t byte = 0;
        if (!readField(line, pos, 2, byte))
            return false;
        record.data[i] = static_cast<std::uint8_t>(byte);
        sum += byte;
    }
    std::uint32_t checksum = 0;
    if (!readField(line, pos, 2, checksum))
        return false;
    record.checksum = checksum;
    record.valid = ((256 - (sum & 0xFF)) & 0xFF) == checksum;
    return record.valid;
}

IntelHexFile::~IntelHexFile() { close(); }

void IntelHexFile::close() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    bufferPos_ = bufferLen_ = 0;
    ended_ = false;
    recordCount_ = 0;
}

bool IntelHexFile::open(const std::string& path, int mode) {
    close();
    error_.clear();
    if (mode != kModeRead)
        return false;
    // Without O_NONBLOCK opening a named pipe waits for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error_ = std::strerror(errno);
        return false;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        error_ = std::strerror(errno);
        ::close(fd);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        error_ = S_ISDIR(st.st_mode) ? "it is a directory" : "not a regular file";
        ::close(fd);
        return false;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    fd_ = fd;
    std::string line;
    while (readLine(line) && !line.empty() && line[0] == ':')
        ++recordCount_;
    rewind();
    return true;
}

int IntelHexFile::nextByte() {
    if (bufferPos_ == bufferLen_) {
        if (ended_ || fd_ < 0)
            return -1;
        ssize_t n;
        do
            n = ::read(fd_, buffer_, sizeof buffer_);
        while (n < 0 && errno == EINTR);
        if (n <= 0) {
            if (n < 0)
                error_ = std::strerror(errno);
            ended_ = true;
            return -1;
        }
        bufferPos_ = 0;
        bufferLen_ = static_cast<std::size_t>(n);
    }
    return static_cast<unsigned char>(buffer_[bufferPos_++]);
}

bool IntelHexFile::readLine(std::string& text) {
    text.clear();
    // A record line has at most 521 characters; the rest of an overlong
    // line is skipped so that a damaged file cannot exhaust memory.
    bool any = false;
    for (;;) {
        const int c = nextByte();
        if (c < 0)
            break;
        any = true;
        if (c == '\n')
            break;
        if (text.size() < kMaxLineLength)
            text.push_back(static_cast<char>(c));
    }
    if (!any)
        return false;
    if (!text.empty() && text.back() == '\r')
        text.pop_back();
    return true;
}

bool IntelHexFile::readRecord(HexRecord& record) {
    std::string line;
    if (!readLine(line)) {
        parseHexRecord({}, record);
        return false;
    }
    return parseHexRecord(line, record);
}

void IntelHexFile::rewind() {
    if (fd_ < 0)
        return;
    bufferPos_ = bufferLen_ = 0;
    ended_ = ::lseek(fd_, 0, SEEK_SET) != 0;
}

bool IntelHexFile::scan(std::uint32_t& start, std::uint32_t& end, bool& hasConfig) {
    start = 0;
    end = 0;
    hasConfig = false;
    bool dataSeen = false;
    bool endSeen = false;
    bool error = false;
    std::uint32_t upperStart = 0, upperEnd = 0, lowStart = 0, lowEnd = 0;
    HexRecord record;
    while (!endSeen && !error) {
        if (!readRecord(record) || !record.valid) {
            error = true;
            break;
        }
        switch (record.recordType) {
        case kHexRecordData:
            if (hasConfig)
                break;
            if (!dataSeen)
                lowStart = record.address;
            dataSeen = true;
            lowEnd = record.address + record.byteCount;
            break;
        case kHexRecordEndOfFile:
            endSeen = true;
            break;
        case kHexRecordUpperAddress:
        case kHexRecordExtendedLinear: {
            if (hasConfig)
                break;
            const std::uint32_t upper = record.upperAddress();
            if (upper >= kConfigUpperAddress) {
                hasConfig = true;
            } else {
                upperEnd = upper;
                if (!dataSeen)
                    upperStart = upper;
            }
            break;
        }
        default:
            error = true;
            break;
        }
    }
    rewind();
    if (!endSeen || error)
        return false;
    start = upperStart * 65536 + lowStart;
    end = upperEnd * 65536 + lowEnd;
    return true;
}
