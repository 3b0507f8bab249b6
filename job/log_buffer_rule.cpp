#include "job/log_buffer_rule.h"

namespace vantrel {

LogAppendPlan PlanLogAppend(std::size_t linesHeld, std::int32_t logBufferLines) {
    LogAppendPlan plan;
    // A negative limit (only from a hand-edited configuration) acts like 0.
    const long long limit = logBufferLines < 0 ? 0 : logBufferLines;
    plan.ClearFirst = static_cast<long long>(linesHeld) > limit;
    plan.InsertAtEnd = logBufferLines > 500;
    return plan;
}

}  // namespace vantrel
