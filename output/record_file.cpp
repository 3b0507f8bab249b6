#include "output/record_file.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace vantrel {

RecordFileReader::RecordFileReader(const std::string& path) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) return;
    file_.reset(std::fopen(path.c_str(), "rb"));
    if (!file_ || std::fseek(file_.get(), 0, SEEK_END) != 0) return;
    const long size = std::ftell(file_.get());
    if (size < 0) return;
    records_ = static_cast<std::uint64_t>(size) / SampleRecordSize;
    trailingBytes_ = static_cast<std::uint64_t>(size) % SampleRecordSize;
    status_ = RecordFileStatus::Ok;
}

RecordFileStatus RecordFileReader::Read(std::uint64_t first, std::uint64_t count,
                                        std::vector<ParticleSample>& out) {
    out.clear();
    if (status_ != RecordFileStatus::Ok) return status_;
    if (first >= records_) return RecordFileStatus::Ok;
    count = std::min(count, records_ - first);
    bytes_.resize(count * SampleRecordSize);
    if (std::fseek(file_.get(), static_cast<long>(first * SampleRecordSize), SEEK_SET) != 0 ||
        std::fread(bytes_.data(), 1, bytes_.size(), file_.get()) != bytes_.size())
        return RecordFileStatus::ReadFailed;
    out.reserve(count);
    SampleRecord record;
    for (std::uint64_t k = 0; k < count; ++k) {
        std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(k * SampleRecordSize),
                    SampleRecordSize, record.begin());
        out.push_back(DecodeSample(record));
    }
    return RecordFileStatus::Ok;
}

}  // namespace vantrel
