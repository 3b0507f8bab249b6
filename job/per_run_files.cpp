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

}  // namespace vantrel
