#include "job/per_run_files.h"

namespace vantrel {

std::string_view TakeHeader(std::string_view& part, int headerLines, bool& jobHasHeader) {
    std::size_t end = 0;
    for (int line = 0; line < headerLines; ++line) {
        const std::size_t at = part.find('\n', end);
        if (at == std::string_view::npos) return {};
        end = at + 1;
    }
    const std::string_view header = part.substr(0, end);
    part.remove_prefix(end);
    if (jobHasHeader) return {};
    jobHasHeader = true;
    return header;
}

std::vector<std::string> WholeLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t from = 0;
    for (std::size_t at = text.find('\n'); at != std::string::npos;
         from = at + 1, at = text.find('\n', from))
        lines.push_back(text.substr(from, at - from));
    return lines;
}

}  // namespace vantrel
