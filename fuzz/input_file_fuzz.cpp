// Drives the input-file primitives with arbitrary bytes and an arbitrary
// sequence of reads: no read may crash, run past the data or loop forever,
// and once a read has failed every later read yields zero.
#include <cstdint>
#include <cstdlib>

#include "fuzz/fuzz_support.h"
#include "io/input_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantrel;
    if (size < 1 || size > fuzz::MaxInputBytes) return 0;
    // The first byte chooses the order of operations; the rest is the file.
    const std::uint8_t program = data[0];
    const std::string path = fuzz::WriteScratchFile(data + 1, size - 1, ".txt");
    InputFile in(path);
    unsigned op = program;
    // Every pass consumes at least one byte or ends the file, so this ends.
    for (std::size_t step = 0; step < 4 * size + 8 && !in.AtEnd(); ++step) {
        const bool failedBefore = in.Failed();
        switch (op % 5) {
            case 0: {
                const std::int32_t v = in.ReadInteger();
                if (failedBefore && v != 0) std::abort();
                break;
            }
            case 1: {
                const double v = in.ReadReal();
                if (failedBefore && v != 0.0) std::abort();
                break;
            }
            case 2: in.ReadChar(); break;
            case 3: {
                const std::string s = in.ReadString(op % 300);
                if (s.size() > op % 300) std::abort();
                break;
            }
            default: in.SkipLine(); break;
        }
        if (in.Failed()) break;
        op = op * 1103515245u + 12345u;
        op >>= 3;
    }
    in.Close();
    std::remove(path.c_str());
    return 0;
}
