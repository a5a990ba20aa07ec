#include "firmware/intel_hex_file.h"

#include <cerrno>
#include <cstdio>
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

// Characters of a record before its data: ':', byte count, address, type.
constexpr std::size_t kHeaderLength = 9;
constexpr std::size_t kChecksumLength = 2;

const char* recordTypeName(std::uint32_t type) {
    switch (type) {
    case 3: return "start segment address";
    case 5: return "start linear address";
    default: return nullptr;
    }
}

std::string hexByteText(std::uint32_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", static_cast<unsigned>(value & 0xFF));
    return text;
}

bool refuse(std::string* why, std::string text) {
    if (why)
        *why = std::move(text);
    return false;
}

// A character as it can be shown in a message: printable ASCII quoted, any
// other byte by its code.
std::string characterText(char c) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 0x20 && u < 0x7F)
        return std::string("'") + c + "'";
    char text[16];
    std::snprintf(text, sizeof text, "byte 0x%02X", u);
    return text;
}

class FieldReader {
public:
    FieldReader(std::string_view line, std::string* why) : line_(line), why_(why) {}

    // Reads `digits` hexadecimal digits; false (and why) when the line ends
    // first or a character is not a digit. `needed` is the length the whole
    // record needs, 0 while the byte count is not known.
    bool read(int digits, std::uint32_t& value, std::size_t needed) {
        value = 0;
        for (int i = 0; i < digits; ++i, ++pos_) {
            if (pos_ >= line_.size())
                return shortRecord(needed);
            const int d = hexDigit(line_[pos_]);
            if (d < 0)
                return refuse(why_, characterText(line_[pos_]) + " in column " +
                                        std::to_string(pos_ + 1) + " is not a hexadecimal digit");
            value = value * 16 + static_cast<std::uint32_t>(d);
        }
        return true;
    }

private:
    bool shortRecord(std::size_t needed) {
        const std::string length = std::to_string(line_.size()) + " characters";
        if (needed == 0)
            return refuse(why_, "short record: " + length + ", a record has at least " +
                                    std::to_string(kHeaderLength + kChecksumLength));
        return refuse(why_, "short record: " + length + " where its byte count needs " +
                                std::to_string(needed));
    }

    std::string_view line_;
    std::string* why_;
    std::size_t pos_ = 1;
};

}  // namespace

bool parseHexRecord(std::string_view line, HexRecord& record, std::string* why) {
    record.valid = false;
    record.byteCount = 0;
    record.address = 0;
    record.recordType = 0;
    record.checksum = 0;
    record.data.fill(0);
    if (line.empty())
        return refuse(why, "empty line where a record was expected");
    if (line[0] != ':')
        return refuse(why, "does not begin with ':'");
    FieldReader field(line, why);
    std::uint32_t count = 0;
    std::uint32_t address = 0;
    std::uint32_t type = 0;
    if (!field.read(2, count, 0))
        return false;
    const std::size_t needed = kHeaderLength + 2 * count + kChecksumLength;
    if (!field.read(4, address, needed) || !field.read(2, type, needed))
        return false;
    record.byteCount = count;
    record.address = address;
    record.recordType = type;
    std::uint32_t sum = count + (address >> 8) + (address & 0xFF) + type;
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint32_t byte = 0;
        if (!field.read(2, byte, needed))
            return false;
        record.data[i] = static_cast<std::uint8_t>(byte);
        sum += byte;
    }
    std::uint32_t checksum = 0;
    if (!field.read(2, checksum, needed))
        return false;
    record.checksum = checksum;
    const std::uint32_t expected = (256 - (sum & 0xFF)) & 0xFF;
    record.valid = expected == checksum;
    if (!record.valid)
        return refuse(why, "checksum " + hexByteText(checksum) + ", expected " + hexByteText(expected));
    return true;
}

IntelHexFile::~IntelHexFile() { close(); }

void IntelHexFile::close() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    bufferPos_ = bufferLen_ = 0;
    ended_ = false;
    recordCount_ = 0;
    lineNumber_ = 0;
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
    ++lineNumber_;
    if (!text.empty() && text.back() == '\r')
        text.pop_back();
    return true;
}

bool IntelHexFile::readRecord(HexRecord& record) {
    std::string line;
    recordProblem_.clear();
    if (!readLine(line)) {
        parseHexRecord({}, record);
        recordProblem_ = error_.empty() ? "end of file" : "read error: " + error_;
        return false;
    }
    return parseHexRecord(line, record, &recordProblem_);
}

void IntelHexFile::rewind() {
    if (fd_ < 0)
        return;
    bufferPos_ = bufferLen_ = 0;
    lineNumber_ = 0;
    ended_ = ::lseek(fd_, 0, SEEK_SET) != 0;
}

bool IntelHexFile::scan(std::uint32_t& start, std::uint32_t& end, bool& hasConfig) {
    start = 0;
    end = 0;
    hasConfig = false;
    scanError_.clear();
    bool dataSeen = false;
    bool endSeen = false;
    std::uint32_t upperStart = 0, upperEnd = 0, lowStart = 0, lowEnd = 0;
    auto fail = [this](const std::string& why) {
        scanError_ = "line " + std::to_string(lineNumber_) + ": " + why;
    };
    HexRecord record;
    while (!endSeen && scanError_.empty()) {
        const int before = lineNumber_;
        if (!readRecord(record) || !record.valid) {
            if (lineNumber_ > before && error_.empty())
                fail(recordProblem_);
            else if (!error_.empty())
                fail("read error: " + error_);
            else if (before == 0)
                scanError_ = fd_ < 0 ? "the file is not open" : "the file is empty";
            else
                scanError_ = "no end-of-file record (:00000001FF) after line " +
                             std::to_string(before);
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
            if (const char* name = recordTypeName(record.recordType))
                fail("record type " + std::to_string(record.recordType) + " (" + name +
                     ") is not supported");
            else
                fail("unknown record type " + hexByteText(record.recordType));
            break;
        }
    }
    rewind();
    if (!endSeen || !scanError_.empty())
        return false;
    start = upperStart * 65536 + lowStart;
    end = upperEnd * 65536 + lowEnd;
    return true;
}
