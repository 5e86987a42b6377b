// The hook library's report as the recorder reads it.
#include "recorder/ActionRecord.h"
#include <gtest/gtest.h>

using recorder::ActionRecord;

namespace {

ActionRecord FromWire(const std::wstring& wire) { return ActionRecord::Parse(wire.data(), wire.size()); }

TEST(ActionRecordTest, ReadsKeysAndValuesInTurn) {
    const ActionRecord record = FromWire(std::wstring(L"kind\0push\0pid\0" L"42\0ctlTitle\0\0", 27));
    EXPECT_EQ(L"push", record.kind());
    EXPECT_EQ(42, record.number(L"pid"));
    EXPECT_TRUE(record.has(L"ctlTitle"));
    EXPECT_EQ(L"", record.text(L"ctlTitle"));
}

TEST(ActionRecordTest, KeyWithoutValueAndMissingOrBadNumbersGiveNothing) {
    const ActionRecord record = FromWire(std::wstring(L"pid\0x12\0top\0-5\0dangling", 23));
    EXPECT_EQ(0, record.number(L"pid"));  // not a number
    EXPECT_EQ(-5, record.number(L"top"));
    EXPECT_FALSE(record.has(L"dangling"));
    EXPECT_EQ(0, record.number(L"missing"));
    EXPECT_EQ(L"", record.text(L"missing"));
}

TEST(ActionRecordTest, EmptyDataIsAnEmptyRecord) {
    const ActionRecord record = ActionRecord::Parse(nullptr, 0);
    EXPECT_EQ(L"", record.kind());
}

} // namespace
