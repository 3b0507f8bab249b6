#include "fuzz/fuzz_support.h"

#include <cstdio>
#include <unistd.h>

namespace vantrel::fuzz {

std::string WriteScratchFile(const std::uint8_t* data, std::size_t size, const char* suffix) {
    const std::string path =
        "/tmp/vantrel-fuzz-" + std::to_string(::getpid()) + std::string(suffix);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file) {
        std::fwrite(data, 1, size, file);
        std::fclose(file);
    }
    return path;
}

}  // namespace vantrel::fuzz
