// Reads arbitrary bytes as a rich-text log: the reader must end, refuse
// nothing that starts like RTF unless it nests too deep, hand back lines
// whose runs are non-empty, valid UTF-8 and differ in colour from their
// neighbours, and whatever it read must survive a write and a second read
// unchanged.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "output/rich_text.h"

namespace {

bool ValidUtf8(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        const unsigned char lead = static_cast<unsigned char>(text[pos]);
        const int length = lead < 0x80 ? 1 : (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3
                                         : (lead & 0xF8) == 0xF0 ? 4 : 0;
        if (length == 0 || pos + length > text.size()) return false;
        for (int k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[pos + k]) & 0xC0) != 0x80) return false;
        pos += length;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantrel;
    if (size > fuzz::MaxInputBytes) return 0;
    // Half the inputs get the RTF opening, so the reader proper is reached.
    std::string bytes(reinterpret_cast<const char*>(data), size);
    if (size > 0 && (data[0] & 1)) bytes = "{\\rtf1 " + bytes.substr(1);

    std::vector<RichTextLine> lines;
    const bool read = ReadRichText(bytes, lines);
    // Only nesting deeper than the limit makes rich text unreadable.
    if (IsRichText(bytes) && !read) {
        std::size_t opened = 0;
        for (char c : bytes) opened += c == '{';
        if (opened <= static_cast<std::size_t>(MaxRichTextDepth)) std::abort();
    }
    if (!read && !lines.empty()) std::abort();
    for (const RichTextLine& line : lines) {
        for (std::size_t k = 0; k < line.Runs.size(); ++k) {
            if (line.Runs[k].Text.empty() || !ValidUtf8(line.Runs[k].Text)) std::abort();
            if (k > 0 && line.Runs[k].Colour == line.Runs[k - 1].Colour) std::abort();
        }
    }
    if (!read) return 0;

    std::vector<RichTextLine> again;
    if (!ReadRichText(WriteRichText(lines), again) || again != lines) std::abort();
    return 0;
}
