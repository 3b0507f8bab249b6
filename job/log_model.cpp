#include "job/log_model.h"

namespace vantrel {

LogModel::LogModel() { lines_.push_back({"   ", ColourBlack}); }

LogAppendPlan LogModel::Plan(std::size_t linesHeld, std::int32_t logBufferLines) {
    LogAppendPlan plan;
    // A negative limit (only from a hand-edited configuration) acts like 0.
    const long long limit = logBufferLines < 0 ? 0 : logBufferLines;
    plan.ClearFirst = static_cast<long long>(linesHeld) > limit;
    plan.InsertAtEnd = logBufferLines > 500;
    return plan;
}

LogAppendPlan LogModel::Append(const std::string& text, LogColour colour,
                               std::int32_t logBufferLines) {
    const LogAppendPlan plan = Plan(lines_.size(), logBufferLines);
    if (plan.ClearFirst) lines_.clear();
    lines_.push_back({text, colour});
    return plan;
}

void LogModel::AppendUnlimited(const std::string& text, LogColour colour) {
    lines_.push_back({text, colour});
}

void LogModel::Clear() { lines_.clear(); }

}  // namespace vantrel
