// An open C file that closes itself.
#pragma once

#include <cstdio>
#include <memory>

namespace vantrel {

struct FileCloser {
    void operator()(std::FILE* file) const {
        if (file) std::fclose(file);
    }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace vantrel
