#include "tests/support/file_texts.h"

#include <cstring>

#include "tests/support/temp_dir.h"

namespace vantrel::testing {

std::vector<ParticleSample> ReadRecords(const std::string& path) {
    const std::string bytes = ReadFileBytes(path);
    std::vector<ParticleSample> records;
    for (std::size_t at = 0; at + SampleRecordSize <= bytes.size(); at += SampleRecordSize) {
        SampleRecord raw;
        std::memcpy(raw.data(), bytes.data() + at, SampleRecordSize);
        records.push_back(DecodeSample(raw));
    }
    return records;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return lines;
}

int Occurrences(const std::string& text, const std::string& what) {
    int n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

}  // namespace vantrel::testing
