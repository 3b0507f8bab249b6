// Reading particle record files (*.vsk) back, for exporting them: whole
// 40-byte records (particle_sample.h) in file order, a piece at a time so
// that a file larger than memory can be read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/file_handle.h"
#include "output/particle_sample.h"

namespace vantrel {

enum class RecordFileStatus : std::uint8_t {
    Ok,
    CannotOpen,  // missing, unreadable, or a folder
    ReadFailed,  // the file ended or failed before the records it had announced
};

class RecordFileReader {
public:
    // Opens the file and measures it: Records() whole records, then
    // TrailingBytes() of a record cut short (a job stopped mid-write).
    explicit RecordFileReader(const std::string& path);

    RecordFileStatus Status() const { return status_; }
    std::uint64_t Records() const { return records_; }
    std::uint64_t TrailingBytes() const { return trailingBytes_; }

    // Replaces out with records first .. first + count - 1 (cut to the
    // whole records there are).
    RecordFileStatus Read(std::uint64_t first, std::uint64_t count,
                          std::vector<ParticleSample>& out);

private:
    FileHandle file_;
    RecordFileStatus status_ = RecordFileStatus::CannotOpen;
    std::uint64_t records_ = 0;
    std::uint64_t trailingBytes_ = 0;
    std::vector<std::uint8_t> bytes_;
};

}  // namespace vantrel
