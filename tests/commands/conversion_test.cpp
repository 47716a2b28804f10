// ToInteger, ToText, ToByteSet, BitOr and the byte-set commands.
#include "tests/commands/command_test_support.h"

namespace velmora::testing {
namespace {

int32_t ToInt(ValueRecord value) { return Int(Call(CmdToInteger, value)); }
std::string ToTextOf(ValueRecord value) { return TakeText(Call(CmdToText, value)); }

TEST(ToInteger, TextsWithFullWidthFormsSignsAndGarbage) {
    EXPECT_EQ(ToInt(T("\xA3\xB1\xA3\xB2\xA3\xB3")), 123);
    EXPECT_EQ(ToInt(T("  -42abc")), -42);
    EXPECT_EQ(ToInt(T("\xA1\xA1\xA3\xAD\xA3\xB5")), -5) << "full-width space, minus and five";
    EXPECT_EQ(ToInt(T("\t\r\n+7")), 7);
    EXPECT_EQ(ToInt(T("abc")), 0);
    EXPECT_EQ(ToInt(T("")), 0);
    EXPECT_EQ(ToInt(T("4294967297")), 1) << "accumulates in 32 bits";
    EXPECT_EQ(ToInt(T("12\xA3")), 12);
}

TEST(ToInteger, NumbersByType) {
    EXPECT_EQ(ToInt(D(-2.9)), -2);
    EXPECT_EQ(ToInt(D(2.9)), 2);
    EXPECT_EQ(ToInt({0x1FF, 0, Type::Byte}), 255);
    EXPECT_EQ(ToInt({0xFFFF, 0, Type::Short}), -1);
    EXPECT_EQ(ToInt({5, 9, Type::Long}), 5);
    float f = -3.5f;
    ValueRecord single{0, 0, Type::Float};
    std::memcpy(&single.low, &f, 4);
    EXPECT_EQ(ToInt(single), -3);
    EXPECT_EQ(ToInt({1, 0, Type::Logical}), 1);
    EXPECT_EQ(ToInt({1, 0, Type::DateTime}), 0);
    EXPECT_EQ(ToInt(None()), 0);
}

TEST(ToText, NumbersLogicalsAndTexts) {
    EXPECT_EQ(ToTextOf(I(-5)), "-5");
    EXPECT_EQ(ToTextOf(I(0)), "0");
    EXPECT_EQ(ToTextOf({200, 0, Type::Byte}), "200");
    EXPECT_EQ(ToTextOf({0x8000, 0, Type::Short}), "-32768");
    int64_t big = -9000000000LL;
    ValueRecord wide{0, 0, Type::Long};
    std::memcpy(&wide.low, &big, 8);
    EXPECT_EQ(ToTextOf(wide), "-9000000000");
    EXPECT_EQ(ToTextOf(D(0.1)), "0.1");
    EXPECT_EQ(ToTextOf(D(1.0 / 3)), "0.3333333333333");
    float f = 0.1f;
    ValueRecord single{0, 0, Type::Float};
    std::memcpy(&single.low, &f, 4);
    EXPECT_EQ(ToTextOf(single), "0.1");
    EXPECT_EQ(ToTextOf(L(true)), "真");
    EXPECT_EQ(ToTextOf({7, 0, Type::Logical}), "真");
    EXPECT_EQ(ToTextOf(L(false)), "假");
    EXPECT_EQ(ToTextOf(T("文字")), "文字");
    EXPECT_EQ(ToTextOf(T("")), "(null)");
    EXPECT_EQ(ToTextOf(None()), "(null)");
}

ValueRecord Date(double days) {
    ValueRecord record = D(days);
    record.type = Type::DateTime;
    return record;
}

TEST(ToText, DateTimesDownToTheirLastNonZeroPart) {
    EXPECT_EQ(ToTextOf(Date(0)), "1899年12月30日");
    EXPECT_EQ(ToTextOf(Date(45000.5)), "2023年3月15日12时");
    EXPECT_EQ(ToTextOf(Date(45000.0 + (8 * 60 + 5) / 1440.0)), "2023年3月15日8时5分");
    EXPECT_EQ(ToTextOf(Date(45000.0 + 7.0 / 86400)), "2023年3月15日0时0分7秒");
    EXPECT_EQ(ToTextOf(Date(-1.25)), "1899年12月29日6时");
    EXPECT_EQ(ToTextOf(Date(1e9)), "9999年12月31日");
    EXPECT_EQ(ToTextOf(Date(-1e9)), "100年1月1日");
}

TEST(ToText, ByteSetsAndNumericArraysStopAtTheFirstZero) {
    EXPECT_EQ(ToTextOf(B(std::string("ab\0cd", 5))), "ab");
    EXPECT_EQ(ToTextOf(B("xyz")), "xyz");
    EXPECT_EQ(ToTextOf(B("")), "(null)");
    EXPECT_EQ(ToTextOf(Block(Type::Integer | Type::ArrayBit, {1, 2, 0x64636261, 0x00000065})), "abcde");
    EXPECT_EQ(ToTextOf(Block(Type::Text | Type::ArrayBit, {1, 0})), "(null)");
}

TEST(ToByteSet, RawBytesOfEveryType) {
    EXPECT_EQ(TakeBytes(Call(CmdToByteSet, T("abc"))), "abc");
    EXPECT_EQ(TakeBytes(Call(CmdToByteSet, T(""))), "(null)");
    EXPECT_EQ(TakeBytes(Call(CmdToByteSet, I(0x64636261))), "abcd");
    EXPECT_EQ(TakeBytes(Call(CmdToByteSet, D(0))).size(), 8u);
    EXPECT_EQ(TakeBytes(Call(CmdToByteSet, ValueRecord{0x41, 0, Type::Byte})), "A");
    EXPECT_EQ(TakeBytes(Call(CmdToByteSet, B(std::string("q\0r", 3)))), std::string("q\0r", 3));
    EXPECT_EQ(TakeBytes(Call(CmdToByteSet, Block(Type::Short | Type::ArrayBit, {1, 3, 0x00420041, 0x43}))),
              std::string("A\0B\0C\0", 6));
    EXPECT_EQ(TakeBytes(Call(CmdToByteSet, Block(Type::Text | Type::ArrayBit, {1, 0}))), "(null)");
    EXPECT_EQ(TakeBytes(Call(CmdToByteSet, ValueRecord{5, 0, 0x00010005})), "(null)");
    // Every dimension's elements in order; an array of no dimension has none (its block is one word).
    EXPECT_EQ(TakeBytes(Call(CmdToByteSet, Block(Type::Byte | Type::ArrayBit, {2, 2, 2, 0x44434241}))), "ABCD");
    EXPECT_EQ(TakeBytes(Call(CmdToByteSet, Block(Type::Integer | Type::ArrayBit, {0}))), "(null)");
    EXPECT_EQ(TakeBytes(Call(CmdToByteSet, Block(Type::Integer | Type::ArrayBit, {2, 0x10000, 0x10001, 0}))), "(null)")
        << "dimensions whose product wraps in 32 bits claim no small block";
}

TEST(BitOr, AnyNumberOfArguments) {
    EXPECT_EQ(static_cast<uint32_t>(Int(Call(CmdBitOr, I(static_cast<int32_t>(0x80000000)), I(0x10)))), 0x80000010u);
    EXPECT_EQ(Int(Call(CmdBitOr, I(1), I(2), I(4), I(0x200000))), 0x200007);
    EXPECT_EQ(Int(Call(CmdBitOr, I(0x4000))), 0x4000);
}

TEST(ByteSets, LengthBlankLeftAndFind) {
    EXPECT_EQ(Int(Call(CmdByteSetLength, B("abc"))), 3);
    EXPECT_EQ(Int(Call(CmdByteSetLength, None())), 0);
    EXPECT_EQ(TakeBytes(Call(CmdBlankByteSet, I(3))), std::string(3, '\0'));
    EXPECT_EQ(TakeBytes(Call(CmdBlankByteSet, I(0))), "(null)");
    EXPECT_EQ(TakeBytes(Call(CmdLeftBytes, B("abc"), I(10))), "abc");
    EXPECT_EQ(TakeBytes(Call(CmdLeftBytes, B("abc"), I(2))), "ab");
    EXPECT_EQ(TakeBytes(Call(CmdLeftBytes, B("abc"), I(-1))), "(null)");
    EXPECT_EQ(TakeBytes(Call(CmdLeftBytes, B(""), I(3))), "(null)");
}

TEST(FindBytes, PositionsAndTheEmptySought) {
    EXPECT_EQ(Int(Call(CmdFindBytes, B("abcabc"), B(""), None())), -1);
    EXPECT_EQ(Int(Call(CmdFindBytes, B("abcabc"), B("a"), I(3))), 4);
    EXPECT_EQ(Int(Call(CmdFindBytes, B("abcabc"), B("a"), None())), 1);
    EXPECT_EQ(Int(Call(CmdFindBytes, B("abcabc"), B("a"), I(-9))), 1);
    EXPECT_EQ(Int(Call(CmdFindBytes, B("abcabc"), B("a"), I(7))), -1);
    EXPECT_EQ(Int(Call(CmdFindBytes, B("abcabc"), B("bcd"), None())), -1);
    EXPECT_EQ(Int(Call(CmdFindBytes, B(std::string("x\0charset=utf-8", 15)), B("charset=utf-8"), None())), 3);
    EXPECT_EQ(Int(Call(CmdFindBytes, B(""), B("a"), None())), -1);
}

}  // namespace
}  // namespace velmora::testing
