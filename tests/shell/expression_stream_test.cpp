// Expressions through scene streams: each expression class's body after the component body, and
// whole trees written and read back.
#include "core/file.h"
#include "core/stream_load.h"
#include "core/stream_save.h"
#include "shell/expression_block.h"
#include "shell/expression_factory.h"
#include "shell/expression_function.h"
#include "shell/expression_holder.h"
#include "shell/expression_pool_name.h"
#include "tests/support/file_buffer.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <functional>
#include <ostream>

namespace qelt
{
namespace
{

using cBuffer = testing::cFileBuffer;

std::vector<uint8_t> head(const std::string& type)
{
    std::vector<uint8_t> b = {0x01, 0x00, 0x00, 0x80};
    const std::string full = "Component.Expression." + type;
    b.insert(b.end(), full.begin(), full.end());
    b.insert(b.end(), {0, '-', 0, 0, 0, 0, 0, 0}); // name "-", not enabled, no listener lists
    return b;
}

std::vector<uint8_t> floats(std::initializer_list<float> values)
{
    std::vector<uint8_t> b;
    for (float v : values)
        for (int i = 0; i < 4; ++i)
            b.push_back(static_cast<uint8_t>(std::bit_cast<uint32_t>(v) >> (8 * i)));
    return b;
}

struct HolderCase
{
    const char* name;
    cRef<cExpression> expression;
    const char* type;
    std::vector<uint8_t> body; // after the component body
    const char* printed;       // the value read back, printed
};

void PrintTo(const HolderCase& row, std::ostream* out)
{
    *out << row.name;
}

template <typename T, int Kind> cRef<cExpression> held(T value)
{
    return new cExpressionHolder<T, Kind>(value);
}

std::vector<HolderCase> holderCases()
{
    return {
        {"bool", held<bool, eValueBool>(true), "Holder<bool, eValueBool>", {1}, "true"},
        {"int",
         held<int32_t, eValueNumber>(-2),
         "Holder<int, eValueNumber>",
         {0xFE, 0xFF, 0xFF, 0xFF},
         "-2"},
        {"float", held<float, eValueReal>(1.5f), "Holder<float, eValueReal>", floats({1.5f}),
         "1.5"},
        {"string",
         held<std::string, eValueString>("hi"),
         "Holder<std::string, eValueString>",
         {'h', 'i', 0},
         "\"hi\""},
        {"identifier",
         held<std::string, eValueIdentifier>("id"),
         "Holder<std::string, eValueIdentifier>",
         {'i', 'd', 0},
         "id"},
        {"vector3", held<cVector3f, eValueVector3>({1, 2, 3}), "Holder<cVector3f, eValueVector3>",
         floats({1, 2, 3}), "[1,2,3]"},
        {"quaternion", held<cQuaternionf, eValueQuaternion>({0, 0, 0, 1}),
         "Holder<cQuaternionf, eValueQuaternion>", floats({1, 0, 0, 0}), "[1,0,0,0]"},
        {"matrix2", held<cMatrix2f, eValueMatrix2>(cMatrix2f{{1, 2, 3, 4}}),
         "Holder<cMatrix2f, eValueMatrix2>", floats({1, 3, 2, 4}), "[[1,2][3,4]]"},
        {"pool_name",
         new cExpressionPoolName("pool", "entry"),
         "PoolName",
         {'p', 'o', 'o', 'l', 0, 'e', 'n', 't', 'r', 'y', 0},
         "\"entry\""},
    };
}

class ExpressionStreamHolders : public ::testing::TestWithParam<HolderCase>
{
};

TEST_P(ExpressionStreamHolders, BodyIsTheHeldItem)
{
    const HolderCase& row = GetParam();
    cBuffer file;
    {
        cStreamSave save(file);
        save.writeExpression(row.expression.get());
    }
    std::vector<uint8_t> expected = head(row.type);
    expected.insert(expected.end(), row.body.begin(), row.body.end());
    EXPECT_EQ(file.bytes, expected);

    file.seek(0, cFile::Begin);
    cStreamLoad load(file);
    cRef<cExpression> read = load.readExpression(nullptr);
    ASSERT_TRUE(read) << load.error();
    EXPECT_EQ(read->kind(), row.expression->kind());
    EXPECT_EQ(read->toString(), row.printed);
    EXPECT_TRUE(file.eof());
}

INSTANTIATE_TEST_SUITE_P(Holders, ExpressionStreamHolders, ::testing::ValuesIn(holderCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ExpressionStream, CallsBlocksAndReferenceHoldersRoundTrip)
{
    cRef<cComponent> target = new cExpressionPoolName("pool", "target");
    cRef<cExpression> number = held<int32_t, eValueNumber>(7);
    cRef<cExpression> call =
        newCall(newPoolName("group", "callee").get(), {number, newRefHolder(target.get()), number});
    cRef<cExpression> block = newBlock({call, nullptr, newVoidExpression()});

    cBuffer file;
    {
        cStreamSave save(file);
        save.writeExpression(block.get());
    }
    file.seek(0, cFile::Begin);
    cStreamLoad load(file);
    cRef<cExpression> read = load.readExpression(nullptr);
    ASSERT_TRUE(load.failed() == false) << load.error();
    auto* readBlock = dynamic_cast<cExpressionBlock*>(read.get());
    ASSERT_NE(readBlock, nullptr);
    ASSERT_EQ(readBlock->statements().size(), 3u);
    EXPECT_EQ(readBlock->statements()[1], nullptr);
    EXPECT_EQ(readBlock->statements()[2]->kind(), eValueVoid);

    auto* readCall = dynamic_cast<cExpressionFunction*>(readBlock->statements()[0].get());
    ASSERT_NE(readCall, nullptr);
    ASSERT_NE(readCall->callee(), nullptr);
    EXPECT_EQ(readCall->callee()->toString(), "\"callee\"");
    ASSERT_EQ(readCall->arguments().size(), 3u);
    EXPECT_EQ(readCall->arguments()[0], readCall->arguments()[2]) << "one shared argument";
    EXPECT_EQ(readCall->arguments()[0]->toString(), "7");
    cComponent* held = nullptr;
    ASSERT_TRUE(readCall->arguments()[1]->getComponent(held));
    ASSERT_NE(held, nullptr);
    EXPECT_NE(held, target.get());
    EXPECT_EQ(dynamic_cast<cExpressionPoolName*>(held)->entryName(), "target");
    EXPECT_TRUE(file.eof());
}

TEST(ExpressionStream, ShellNameHolderUsesTheShellLink)
{
    alignas(8) static char storage[8];
    cShellName* const name = reinterpret_cast<cShellName*>(storage);
    setStreamShellLink({[&](const std::string& path) { return path == "a.b" ? name : nullptr; },
                        [](const cShellName&) { return std::string("a.b"); }});
    cRef<cExpression> holder = held<cShellName*, eValueShellName>(name);
    cBuffer file;
    {
        cStreamSave save(file);
        save.writeExpression(holder.get());
    }
    std::vector<uint8_t> expected = head("Holder<cShellName*, eValueShellName>");
    expected.insert(expected.end(), {'a', '.', 'b', 0});
    EXPECT_EQ(file.bytes, expected);

    file.seek(0, cFile::Begin);
    cStreamLoad load(file);
    cRef<cExpression> read = load.readExpression(nullptr);
    setStreamShellLink({});
    ASSERT_TRUE(read);
    cShellName* readName = nullptr;
    EXPECT_TRUE(read->getShellName(readName));
    EXPECT_EQ(readName, name);
}

} // namespace
} // namespace qelt
