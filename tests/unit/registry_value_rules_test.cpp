#include <gtest/gtest.h>

#include "core/registry_value_rules.h"

namespace {

TEST(RegistryValueRead, ValuesThatFitTheFirstQuery) {
    struct Case {
        uint32_t type, size;
        ValueReadPlan::Step step;
        int32_t textLength;
    } cases[] = {
        {RegTypeText, 6, ValueReadPlan::Text, 5},        // terminator dropped
        {RegTypeText, 1, ValueReadPlan::Text, 0},
        {RegTypeText, 0, ValueReadPlan::Text, 0},        // never below 0
        {RegTypeExpandText, 6, ValueReadPlan::Text, 6},  // every byte kept
        {RegTypeBinary, 3, ValueReadPlan::Text, 3},
        {RegTypeMultiText, 8, ValueReadPlan::Text, 8},
        {RegTypeNumber, 4, ValueReadPlan::Integer, 0},
        {RegTypeNumber, 2, ValueReadPlan::Fail, 0},
        {11, 8, ValueReadPlan::Fail, 0},                 // a 64-bit number
        {0, 0, ValueReadPlan::Fail, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.type << " size " << c.size);
        ValueReadPlan plan = planValueRead(c.type, c.size, false);
        EXPECT_EQ(plan.step, c.step);
        if (c.step == ValueReadPlan::Text) EXPECT_EQ(plan.textLength, c.textLength);
    }
}

TEST(RegistryValueRead, LargerValuesBecomeTextsReadAgain) {
    struct Case {
        uint32_t type, size;
        ValueReadPlan::Step step;
        int32_t textLength;
    } cases[] = {
        {RegTypeText, 100, ValueReadPlan::SecondQuery, 99},
        {RegTypeMultiText, 100, ValueReadPlan::SecondQuery, 99},
        {RegTypeExpandText, 100, ValueReadPlan::SecondQuery, 100},
        {RegTypeBinary, 33, ValueReadPlan::SecondQuery, 33},
        {9, 40, ValueReadPlan::SecondQuery, 40},  // any type, taken as text
        {RegTypeText, 1, ValueReadPlan::Text, 0},  // nothing left after the terminator
        {RegTypeBinary, 0, ValueReadPlan::Text, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.type << " size " << c.size);
        ValueReadPlan plan = planValueRead(c.type, c.size, true);
        EXPECT_EQ(plan.step, c.step);
        EXPECT_EQ(plan.textLength, c.textLength);
    }
}

}  // namespace
