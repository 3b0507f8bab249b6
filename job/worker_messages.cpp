#include "job/worker_messages.h"

#include <cstring>

namespace vantrel {

namespace {

template <typename T>
void Put(std::string& out, const T& value) {
    char bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof(T));
    out.append(bytes, sizeof(T));
}

template <typename T>
T Take(std::string_view& bytes) {
    T value;
    std::memcpy(&value, bytes.data(), sizeof(T));
    bytes.remove_prefix(sizeof(T));
    return value;
}

// Everything but the text, and the text's length.
constexpr std::size_t FixedBytes = 1 + 4 + 3 + 3 + 3 * 8 + 2 * 8 * (1 + SharedStreamCount) + 4;

}  // namespace

void EncodeWorkerMessage(const WorkerMessage& m, std::string& out) {
    Put(out, static_cast<std::uint32_t>(FixedBytes + m.Text.size()));
    Put(out, static_cast<std::uint8_t>(m.Kind));
    Put(out, m.Number);
    Put(out, m.Colour.Red);
    Put(out, m.Colour.Green);
    Put(out, m.Colour.Blue);
    Put(out, static_cast<std::uint8_t>(m.ContinueJob));
    Put(out, static_cast<std::uint8_t>(m.AbortNow));
    Put(out, static_cast<std::uint8_t>(m.Failed));
    for (double v : m.Values) Put(out, v);
    Put(out, m.Initial.Begin);
    Put(out, m.Initial.End);
    for (const ByteRange& r : m.Streams) {
        Put(out, r.Begin);
        Put(out, r.End);
    }
    Put(out, static_cast<std::uint32_t>(m.Text.size()));
    out.append(m.Text);
}

std::size_t DecodeWorkerMessage(std::string_view bytes, WorkerMessage& m) {
    if (bytes.size() < 4) return 0;
    std::string_view rest = bytes;
    const auto length = Take<std::uint32_t>(rest);
    if (rest.size() < length) return 0;
    rest = rest.substr(0, length);
    m.Kind = static_cast<WorkerMessageKind>(Take<std::uint8_t>(rest));
    m.Number = Take<std::int32_t>(rest);
    m.Colour.Red = Take<std::uint8_t>(rest);
    m.Colour.Green = Take<std::uint8_t>(rest);
    m.Colour.Blue = Take<std::uint8_t>(rest);
    m.ContinueJob = Take<std::uint8_t>(rest) != 0;
    m.AbortNow = Take<std::uint8_t>(rest) != 0;
    m.Failed = Take<std::uint8_t>(rest) != 0;
    for (double& v : m.Values) v = Take<double>(rest);
    m.Initial.Begin = Take<std::int64_t>(rest);
    m.Initial.End = Take<std::int64_t>(rest);
    for (ByteRange& r : m.Streams) {
        r.Begin = Take<std::int64_t>(rest);
        r.End = Take<std::int64_t>(rest);
    }
    const auto textLength = Take<std::uint32_t>(rest);
    m.Text.assign(rest.data(), textLength);
    return 4 + length;
}

}  // namespace vantrel
