// Reads an Intel HEX text file one record at a time, counts its records and
// scans it for the program range and configuration data.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "firmware/hex_record.h"

// Parses one record line (":" byte count, address, type, data, checksum).
// False when the line does not begin with ":", ends before a field is
// complete or holds a character that is not a hexadecimal digit inside a
// field; otherwise the record's `valid` flag. Characters after the checksum
// are ignored. When the record is refused or invalid and `why` is given, it
// says why for people ("checksum 0x3A, expected 0x3B").
bool parseHexRecord(std::string_view line, HexRecord& record, std::string* why = nullptr);

class IntelHexFile {
public:
    static constexpr int kModeRead = 0;

    IntelHexFile() = default;
    virtual ~IntelHexFile();
    IntelHexFile(const IntelHexFile&) = delete;
    IntelHexFile& operator=(const IntelHexFile&) = delete;

    // Closes an open file, opens `path` for reading and counts the lines
    // that begin with ":" up to the first one that does not; then rewinds.
    // A file that cannot be opened, or is not a regular file (a directory,
    // a named pipe, a device), counts no records; false then and error()
    // says why. A read error ends the file where it happened.
    bool open(const std::string& path, int mode = kModeRead);
    void close();

    virtual bool isValid() const { return recordCount_ > 0; }
    // The next line without its line end (line feed or CR LF).
    virtual bool readLine(std::string& text);
    virtual bool readRecord(HexRecord& record);
    virtual int count() const { return recordCount_; }
    virtual void rewind();
    // Reads every record from the current position up to the end-of-file
    // record, then rewinds. True when the file can be downloaded: `start` and
    // `end` are the program range and `hasConfig` tells whether an address
    // of 0x300000 or above was set.
    virtual bool scan(std::uint32_t& start, std::uint32_t& end, bool& hasConfig);

    // Why the last open failed or reading stopped early; empty otherwise.
    const std::string& error() const { return error_; }
    // Why the last scan failed, with the line where it did ("line 12:
    // checksum 0x3A, expected 0x3B", "no end-of-file record after line
    // 40"); empty after a scan that succeeded.
    const std::string& scanError() const { return scanError_; }
    // Lines read since the last rewind: the number of the line readLine or
    // readRecord returned last.
    int lineNumber() const { return lineNumber_; }

private:
    int nextByte();   // -1 at the end of the file or on a read error

    int fd_ = -1;
    char buffer_[4096];
    std::size_t bufferPos_ = 0;
    std::size_t bufferLen_ = 0;
    bool ended_ = false;
    int recordCount_ = 0;
    int lineNumber_ = 0;
    std::string error_;
    std::string recordProblem_;   // why the last readRecord refused its line
    std::string scanError_;
};
