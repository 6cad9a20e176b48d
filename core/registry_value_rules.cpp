#include "core/registry_value_rules.h"

static ValueReadPlan plan(ValueReadPlan::Step step, int64_t textLength) {
    ValueReadPlan result;
    result.step = step;
    result.textLength = textLength < 1 ? 0 : (textLength > 0x7FFFFFFF ? 0x7FFFFFFF : int32_t(textLength));
    return result;
}

ValueReadPlan planValueRead(uint32_t type, uint32_t size, bool moreData) {
    bool dropsTerminator = type == RegTypeText || type == RegTypeMultiText;
    if (moreData) {
        int64_t length = int64_t(size) - (dropsTerminator ? 1 : 0);
        return plan(length < 1 ? ValueReadPlan::Text : ValueReadPlan::SecondQuery, length);
    }
    switch (type) {
    case RegTypeText: return plan(ValueReadPlan::Text, int64_t(size) - 1);
    case RegTypeExpandText:
    case RegTypeBinary:
    case RegTypeMultiText: return plan(ValueReadPlan::Text, size);
    case RegTypeNumber: return plan(size == 4 ? ValueReadPlan::Integer : ValueReadPlan::Fail, 0);
    default: return plan(ValueReadPlan::Fail, 0);
    }
}
