// Scene streams: the byte encoding of every item, the component record with its numbers, the
// references by shell name, expression and field, and damaged streams.
#include "core/stream.h"

#include "core/stream_load.h"
#include "core/stream_save.h"
#include "tests/core/shapes.h"
#include "tests/core/stream_probe.h"
#include "tests/support/log_capture.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <functional>

namespace qelt
{
namespace
{

using testing::cFileBuffer;
using testing::cStreamLeaf;
using testing::cStreamNumber;
using testing::cStreamProbe;
using Bytes = std::vector<uint8_t>;

// Builds expected and hand-made streams.
struct cBytes
{
    Bytes b;
    cBytes& u8(uint8_t v)
    {
        b.push_back(v);
        return *this;
    }
    cBytes& u32(uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            b.push_back(static_cast<uint8_t>(v >> (8 * i)));
        return *this;
    }
    cBytes& f32(std::initializer_list<float> values)
    {
        for (float v : values)
            u32(std::bit_cast<uint32_t>(v));
        return *this;
    }
    cBytes& text(const std::string& t)
    {
        b.insert(b.end(), t.begin(), t.end());
        b.push_back(0);
        return *this;
    }
    // A definition's head: the number with the top bit, the type, the instance name.
    cBytes& define(uint32_t number, const std::string& type, const std::string& name)
    {
        return u32(number | 0x80000000u).text(type).text(name);
    }
    // The component body of an unconnected component.
    cBytes& plainBody(bool enabled = false) { return u8(enabled ? 1 : 0).u32(0); }
};

class StreamTest : public ::testing::Test
{
  protected:
    static void SetUpTestSuite()
    {
        testing::registerStreamProbes();
        testing::brokenType();
    }
    void TearDown() override { setStreamShellLink({}); }

    // What a writer makes of write.
    static Bytes save(const std::function<void(cStream&)>& write)
    {
        cFileBuffer file;
        std::unique_ptr<cStream> stream = createStream(0, file);
        write(*stream);
        return file.bytes;
    }
};

// ---- items --------------------------------------------------------------------------------------

struct ItemCase
{
    const char* name;
    std::function<void(cStream&)> write; // writes the item from a fixed value
    Bytes expected;
    std::function<void(cStream&)> readAndCheck; // reads it back and checks the value
};

cMatrix4f translation(float x, float y, float z)
{
    cMatrix4f m = cMatrix4f::identity();
    m.m[12] = x;
    m.m[13] = y;
    m.m[14] = z;
    return m;
}

std::vector<ItemCase> itemCases()
{
    auto item = [](auto value) { return [value](cStream& s) mutable { s.io(value); }; };
    auto check = [](auto expected)
    {
        return [expected](cStream& s)
        {
            decltype(expected) got{};
            s.io(got);
            EXPECT_EQ(got, expected);
        };
    };
    cMatrix3f m3;
    for (int i = 0; i < 9; ++i)
        m3.m[i] = float(i + 1);
    const cMatrix2f m2{{1, 2, 3, 4}};
    const cMatrix4f moved = translation(-22.0018f, 3.1254f, 0);
    return {
        {"bool_true", item(true), {1}, check(true)},
        {"bool_false", item(false), {0}, check(false)},
        {"u8", item(uint8_t{0xAB}), {0xAB}, check(uint8_t{0xAB})},
        {"i8", item(int8_t{-2}), {0xFE}, check(int8_t{-2})},
        {"u16", item(uint16_t{0x1234}), {0x34, 0x12}, check(uint16_t{0x1234})},
        {"i16", item(int16_t{-2}), {0xFE, 0xFF}, check(int16_t{-2})},
        {"u32", item(uint32_t{0x12345678}), cBytes().u32(0x12345678).b,
         check(uint32_t{0x12345678})},
        {"i32", item(int32_t{-2}), {0xFE, 0xFF, 0xFF, 0xFF}, check(int32_t{-2})},
        {"float", item(1.0f), {0, 0, 0x80, 0x3F}, check(1.0f)},
        {"text", item(std::string("ab")), {'a', 'b', 0}, check(std::string("ab"))},
        {"text_empty", item(std::string()), {0}, check(std::string())},
        {"text_511", item(std::string(511, 'x')), cBytes().text(std::string(511, 'x')).b,
         check(std::string(511, 'x'))},
        {"text_cut_to_511", item(std::string(600, 'y')), cBytes().text(std::string(511, 'y')).b,
         check(std::string(511, 'y'))},
        {"text_cut_at_ff",
         item(std::string("ab\xFF"
                          "cd")),
         {'a', 'b', 0},
         check(std::string("ab"))},
        {"vector2", item(cVector2f{1, 2}), cBytes().f32({1, 2}).b, check(cVector2f{1, 2})},
        {"vector3", item(cVector3f{1, 2, 3}), cBytes().f32({1, 2, 3}).b, check(cVector3f{1, 2, 3})},
        {"vector4", item(cVector4f{1, 2, 3, 4}), cBytes().f32({1, 2, 3, 4}).b,
         check(cVector4f{1, 2, 3, 4})},
        {"quaternion_w_first", item(cQuaternionf{1, 2, 3, 4}), cBytes().f32({4, 1, 2, 3}).b,
         check(cQuaternionf{1, 2, 3, 4})},
        {"colour_rgba",
         item(cColouri::fromBytes(0xFF, 0x20, 0x10, 0x80)),
         {0xFF, 0x20, 0x10, 0x80},
         check(cColouri::fromBytes(0xFF, 0x20, 0x10, 0x80))},
        {"box", item(cBox3f{{1, 2, 3}, {4, 5, 6}}), cBytes().f32({1, 2, 3, 4, 5, 6}).b,
         check(cBox3f{{1, 2, 3}, {4, 5, 6}})},
        {"matrix4_translation_at_3_7_11", item(moved),
         cBytes().f32({1, 0, 0, -22.0018f, 0, 1, 0, 3.1254f, 0, 0, 1, 0, 0, 0, 0, 1}).b,
         check(moved)},
        {"matrix3_by_column", item(m3), cBytes().f32({1, 4, 7, 2, 5, 8, 3, 6, 9}).b, check(m3)},
        {"matrix2_by_column", item(m2), cBytes().f32({1, 3, 2, 4}).b, check(m2)},
        {"count_and_element",
         [](cStream& s)
         {
             s.writeCount(1);
             uint8_t element = 9;
             s.io(element);
         },
         cBytes().u32(1).u8(9).b,
         [](cStream& s)
         {
             EXPECT_EQ(s.readCount(), 1u);
             uint8_t element = 0;
             s.io(element);
             EXPECT_EQ(element, 9);
         }},
    };
}

void PrintTo(const ItemCase& c, std::ostream* out)
{
    *out << c.name;
}

class StreamItemTest : public StreamTest, public ::testing::WithParamInterface<ItemCase>
{
};

TEST_P(StreamItemTest, WritesItsBytesAndReadsThemBack)
{
    const ItemCase& c = GetParam();
    const Bytes bytes = save(c.write);
    EXPECT_EQ(bytes, c.expected);

    cFileBuffer file(bytes);
    cStreamLoad load(file);
    c.readAndCheck(load);
    EXPECT_FALSE(load.failed()) << load.error();
    EXPECT_EQ(file.tell(), static_cast<int64_t>(bytes.size())) << "item not read to its end";
}

INSTANTIATE_TEST_SUITE_P(Items, StreamItemTest, ::testing::ValuesIn(itemCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(StreamTest, ReadingTextsFollowsTheReaderRules)
{
    // Any non-zero byte is true; 0xFF ends a text and what follows is the next item; 512 bytes
    // without a terminator are taken whole and the next item starts right after them.
    const Bytes bytes = cBytes()
                            .u8(7)
                            .text("ab\xFF"
                                  "cd")
                            .text(std::string(512, 'z') + "tail")
                            .b;
    cFileBuffer file(bytes);
    cStreamLoad load(file);
    bool flag = false;
    std::string first, second, third, fourth;
    load.io(flag).io(first).io(second).io(third).io(fourth);
    EXPECT_TRUE(flag);
    EXPECT_EQ(first, "ab");
    EXPECT_EQ(second, "cd");
    EXPECT_EQ(third, std::string(512, 'z'));
    EXPECT_EQ(fourth, "tail");
    EXPECT_FALSE(load.failed());
}

// A file that cannot move back, as a network file may be.
class cFileForwardOnly final : public cFileBuffer
{
  public:
    using cFileBuffer::cFileBuffer;
    bool seek(int64_t, Origin) override { return false; }
};

TEST_F(StreamTest, TextsReadTheSameFromAFileThatCannotSeek)
{
    const Bytes bytes = cBytes()
                            .text("ab\xFF"
                                  "cd")
                            .text(std::string(512, 'z') + "tail")
                            .b;
    cFileForwardOnly file(bytes);
    cStreamLoad load(file);
    std::string first, second, third, fourth;
    load.io(first).io(second).io(third).io(fourth);
    EXPECT_EQ(first, "ab");
    EXPECT_EQ(second, "cd");
    EXPECT_EQ(third, std::string(512, 'z'));
    EXPECT_EQ(fourth, "tail");
    EXPECT_THROW(load.io(first), cFileException);
}

TEST_F(StreamTest, CreateStreamByMode)
{
    cFileBuffer file;
    const std::unique_ptr<cStream> writer = createStream(0, file);
    const std::unique_ptr<cStream> reader = createStream(1, file);
    ASSERT_NE(writer, nullptr);
    ASSERT_NE(reader, nullptr);
    EXPECT_FALSE(writer->isLoading());
    EXPECT_TRUE(reader->isLoading());
    EXPECT_EQ(createStream(2, file), nullptr);
    EXPECT_EQ(createStream(-1, file), nullptr);
    // The writer's reads and the reader's writes take and give no bytes.
    EXPECT_EQ(writer->readCount(), 0u);
    EXPECT_EQ(writer->readComponent(nullptr), nullptr);
    reader->writeCount(3);
    reader->writeComponent(nullptr);
    EXPECT_TRUE(file.bytes.empty());
}

// ---- the component record -----------------------------------------------------------------------

TEST_F(StreamTest, NullReferenceIsFourZeroBytesAndClearsTheVariable)
{
    cRef<cComponent> none;
    EXPECT_EQ(save([&](cStream& s) { ioComponent(s, none); }), Bytes(4, 0));

    cFileBuffer file(Bytes(4, 0));
    cStreamLoad load(file);
    cRef<cComponent> variable = new cStreamLeaf("old");
    ioComponent(load, variable);
    EXPECT_EQ(variable, nullptr);
    EXPECT_FALSE(load.failed());
}

TEST_F(StreamTest, DefinitionCarriesNumberTypeNameAndBody)
{
    cRef<cComponent> leaf = new cStreamLeaf("leaf");
    leaf->setEnabled(true);
    const Bytes expected = cBytes().define(1, "Component.StreamLeaf", "leaf").plainBody(true).b;
    EXPECT_EQ(save([&](cStream& s) { ioComponent(s, leaf); }), expected);

    cFileBuffer file(expected);
    cStreamLoad load(file);
    cRef<cComponent> read;
    ASSERT_TRUE(load.readRoot(read)) << load.error();
    ASSERT_NE(dynamic_cast<cStreamLeaf*>(read.get()), nullptr);
    EXPECT_EQ(read->name(), "leaf");
    EXPECT_TRUE(read->isEnabled());
    EXPECT_EQ(load.component(1), read.get());
}

TEST_F(StreamTest, EveryProbeItemRoundTrips)
{
    cRef<cStreamProbe> probe = new cStreamProbe("probe");
    probe->quaternion = {0.5f, -1, 2, 0.25f};
    probe->colour = cColouri::fromBytes(1, 2, 3, 4);
    probe->box = {{-1, -2, -3}, {1, 2, 3}};
    probe->matrix4 = translation(7, 8, 9);
    probe->matrix3.m[5] = 6;
    probe->matrix2.m[1] = -2;
    probe->vector4 = {1, 2, 3, 4};
    probe->vector3 = {5, 6, 7};
    probe->vector2 = {8, 9};
    probe->real = 3.5f;
    probe->unsigned32 = 0xFFFFFFF0u;
    probe->number = -123456;
    probe->unsigned16 = 65000;
    probe->signed16 = -300;
    probe->unsigned8 = 200;
    probe->signed8 = -100;
    probe->flag = true;
    probe->text = "text with spaces";

    cFileBuffer file;
    cStreamSave save(file);
    cRef<cStreamProbe> written = probe;
    ioComponent(save, written);

    file.seek(0, cFile::Begin);
    cStreamLoad load(file);
    cRef<cComponent> root;
    ASSERT_TRUE(load.readRoot(root)) << load.error();
    const auto* read = dynamic_cast<cStreamProbe*>(root.get());
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->quaternion, probe->quaternion);
    EXPECT_EQ(read->colour, probe->colour);
    EXPECT_EQ(read->box, probe->box);
    EXPECT_EQ(read->matrix4, probe->matrix4);
    EXPECT_EQ(read->matrix3, probe->matrix3);
    EXPECT_EQ(read->matrix2, probe->matrix2);
    EXPECT_EQ(read->vector4, probe->vector4);
    EXPECT_EQ(read->vector3, probe->vector3);
    EXPECT_EQ(read->vector2, probe->vector2);
    EXPECT_EQ(read->real, probe->real);
    EXPECT_EQ(read->unsigned32, probe->unsigned32);
    EXPECT_EQ(read->number, probe->number);
    EXPECT_EQ(read->unsigned16, probe->unsigned16);
    EXPECT_EQ(read->signed16, probe->signed16);
    EXPECT_EQ(read->unsigned8, probe->unsigned8);
    EXPECT_EQ(read->signed8, probe->signed8);
    EXPECT_TRUE(read->flag);
    EXPECT_EQ(read->text, probe->text);
    EXPECT_EQ(file.tell(), static_cast<int64_t>(file.bytes.size()));
}

TEST_F(StreamTest, SharedComponentIsDefinedOnceAndReadAsOneObject)
{
    cRef<cStreamProbe> probe = new cStreamProbe("probe");
    cRef<cComponent> leaf = new cStreamLeaf("shared");
    probe->children = {leaf, leaf};
    probe->other = leaf;

    cFileBuffer file;
    cStreamSave save(file);
    save.writeComponent(probe.get());
    EXPECT_EQ(save.numberOf(probe.get()), 1u);
    EXPECT_EQ(save.numberOf(leaf.get()), 2u);

    // The leaf's definition is written once; the later references are its number alone.
    const Bytes definition = cBytes().define(2, "Component.StreamLeaf", "shared").b;
    const auto at =
        std::search(file.bytes.begin(), file.bytes.end(), definition.begin(), definition.end());
    ASSERT_NE(at, file.bytes.end());
    EXPECT_EQ(std::search(at + 1, file.bytes.end(), definition.begin(), definition.end()),
              file.bytes.end());

    file.seek(0, cFile::Begin);
    cStreamLoad load(file);
    cRef<cComponent> root;
    ASSERT_TRUE(load.readRoot(root)) << load.error();
    const auto* read = dynamic_cast<cStreamProbe*>(root.get());
    ASSERT_NE(read, nullptr);
    ASSERT_EQ(read->children.size(), 2u);
    EXPECT_NE(read->children[0], nullptr);
    EXPECT_EQ(read->children[0], read->children[1]);
    EXPECT_EQ(read->other, read->children[0]);
    EXPECT_EQ(read->other->name(), "shared");
}

TEST_F(StreamTest, SelfAndCircularReferencesRoundTrip)
{
    cRef<cStreamProbe> a = new cStreamProbe("a");
    cRef<cStreamProbe> b = new cStreamProbe("b");
    a->other = a; // itself
    a->children = {b};
    b->other = a; // back through another
    b->attachTo(*a);

    cFileBuffer file;
    cStreamSave save(file);
    save.writeComponent(a.get());
    a->other = nullptr; // the cycles are not broken by counting
    b->other = nullptr;
    a->setListeners({});

    file.seek(0, cFile::Begin);
    cRef<cComponent> root;
    {
        cStreamLoad load(file);
        ASSERT_TRUE(load.readRoot(root)) << load.error();
    }
    auto* readA = dynamic_cast<cStreamProbe*>(root.get());
    ASSERT_NE(readA, nullptr);
    EXPECT_EQ(readA->other, readA);
    ASSERT_EQ(readA->children.size(), 1u);
    auto* readB = dynamic_cast<cStreamProbe*>(readA->children[0].get());
    ASSERT_NE(readB, nullptr);
    EXPECT_EQ(readB->other, readA);
    ASSERT_EQ(readA->listeners(0).size(), 1u);
    EXPECT_EQ(readA->listeners(0)[0], readB);
    readA->other = nullptr;
    readB->other = nullptr;
    readA->setListeners({});
}

TEST_F(StreamTest, ListenerListsKeepChannelsAndOrder)
{
    cRef<cStreamLeaf> source = new cStreamLeaf("source");
    cRef<cStreamLeaf> first = new cStreamLeaf("first");
    cRef<cStreamLeaf> second = new cStreamLeaf("second");
    source->setListeners({{}, {first, second, first}});

    const Bytes bytes = save([&](cStream& s) { s.writeComponent(source.get()); });
    cBytes expected;
    expected.define(1, "Component.StreamLeaf", "source").u8(0).u32(2).u32(0).u32(3);
    expected.define(2, "Component.StreamLeaf", "first").plainBody();
    expected.define(3, "Component.StreamLeaf", "second").plainBody();
    expected.u32(2);
    EXPECT_EQ(bytes, expected.b);

    cFileBuffer file(bytes);
    cStreamLoad load(file);
    cRef<cComponent> root;
    ASSERT_TRUE(load.readRoot(root)) << load.error();
    ASSERT_EQ(root->channelCount(), 2);
    EXPECT_TRUE(root->listeners(0).empty());
    const auto& list = root->listeners(1);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0]->name(), "first");
    EXPECT_EQ(list[1]->name(), "second");
    EXPECT_EQ(list[0], list[2]);
}

TEST_F(StreamTest, CandidateKeepsItsIdentityAndNameAndReadsTheBody)
{
    const Bytes bytes = cBytes().define(1, "Component.StreamLeaf", "from-stream").plainBody(true).b;
    cFileBuffer file(bytes);
    cStreamLoad load(file);
    cRef<cComponent> existing = new cStreamLeaf("mine");
    cComponent* const before = existing.get();
    ioComponent(load, existing);
    EXPECT_FALSE(load.failed()) << load.error();
    EXPECT_EQ(existing.get(), before);
    EXPECT_EQ(existing->name(), "mine");
    EXPECT_TRUE(existing->isEnabled());
}

TEST_F(StreamTest, DuplicateNumberKeepsTheFirstDefinition)
{
    testing::cLogCapture log;
    cBytes bytes;
    bytes.define(1, "Component.StreamLeaf", "first").u8(0).u32(1).u32(2);
    bytes.define(1, "Component.StreamLeaf", "second").plainBody();
    bytes.u32(1);
    cFileBuffer file(bytes.b);
    cStreamLoad load(file);
    cRef<cComponent> root;
    ASSERT_TRUE(load.readRoot(root)) << load.error();
    const auto& list = root->listeners(0);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0]->name(), "second");
    EXPECT_EQ(list[1], root);
    EXPECT_EQ(load.component(1), root.get());
    root->setListeners({});
}

TEST_F(StreamTest, ReaderKeepsWhatItReadAliveUntilDestroyed)
{
    const Bytes bytes = cBytes().define(1, "Component.StreamLeaf", "leaf").plainBody().b;
    cFileBuffer file(bytes);
    cRef<cComponent> kept;
    {
        auto load = createStream(1, file);
        kept = load->readComponent(nullptr);
        ASSERT_TRUE(kept);
        EXPECT_EQ(kept->refCount(), 2);
    }
    EXPECT_EQ(kept->refCount(), 1);
}

TEST_F(StreamTest, ComponentOfAnotherClassReadsAsNull)
{
    const Bytes bytes = cBytes().define(1, "Component.StreamLeaf", "leaf").plainBody().b;
    cFileBuffer file(bytes);
    cStreamLoad load(file);
    cRef<cStreamProbe> probe;
    ioComponent(load, probe);
    EXPECT_FALSE(load.failed());
    EXPECT_EQ(probe, nullptr);
    EXPECT_NE(load.component(1), nullptr);
}

// ---- other references ---------------------------------------------------------------------------

// A shell of two names for the hook.
struct FakeShell
{
    alignas(8) char names[2] = {};
    cShellName* name(int i) { return reinterpret_cast<cShellName*>(&names[i]); }
    cStreamShellLink link()
    {
        return {[this](const std::string& path) -> cShellName*
                {
                    if (path == "scene.play")
                        return name(0);
                    if (path == "ui.update")
                        return name(1);
                    return nullptr;
                },
                [this](const cShellName& n) -> std::string
                { return &n == name(0) ? "scene.play" : "ui.update"; }};
    }
};

TEST_F(StreamTest, ShellNamesTravelAsTheirPaths)
{
    FakeShell shell;
    setStreamShellLink(shell.link());
    const Bytes bytes = save(
        [&](cStream& s)
        {
            s.writeShellName(shell.name(1));
            s.writeShellName(nullptr);
        });
    EXPECT_EQ(bytes, cBytes().text("ui.update").text("").b);

    cFileBuffer file(cBytes().text("ui.update").text("").text("no.such").text("scene.play").b);
    cStreamLoad load(file);
    EXPECT_EQ(load.readShellName(), shell.name(1));
    EXPECT_EQ(load.readShellName(), nullptr);
    EXPECT_EQ(load.readShellName(), nullptr);
    setStreamShellLink({});
    EXPECT_EQ(load.readShellName(), nullptr) << "no shell, no names";
    EXPECT_FALSE(load.failed());
    EXPECT_TRUE(file.eof());
}

TEST_F(StreamTest, ShellNameWithoutAShellWritesAnEmptyPath)
{
    FakeShell shell;
    EXPECT_EQ(save([&](cStream& s) { s.writeShellName(shell.name(0)); }), Bytes{0});
}

TEST_F(StreamTest, ExpressionReferencesNarrowToExpressions)
{
    cRef<cStreamNumber> number = new cStreamNumber;
    number->value = 42;
    cRef<cComponent> leaf = new cStreamLeaf("leaf");
    const Bytes bytes = save(
        [&](cStream& s)
        {
            s.writeExpression(number.get());
            s.writeComponent(leaf.get());
            s.writeExpression(nullptr);
        });
    EXPECT_EQ(bytes, cBytes()
                         .define(1, "Component.Expression.StreamNumber", "-")
                         .plainBody()
                         .u32(42)
                         .define(2, "Component.StreamLeaf", "leaf")
                         .plainBody()
                         .u32(0)
                         .b);

    cFileBuffer file(cBytes(bytes).u32(2).b);
    cStreamLoad load(file);
    cExpression* read = load.readExpression(nullptr);
    ASSERT_NE(read, nullptr);
    int32_t value = 0;
    EXPECT_TRUE(read->getInt(value));
    EXPECT_EQ(value, 42);
    EXPECT_NE(load.readComponent(nullptr), nullptr);
    EXPECT_EQ(load.readExpression(nullptr), nullptr);
    EXPECT_EQ(load.readExpression(nullptr), nullptr) << "a leaf is no expression";
    EXPECT_FALSE(load.failed());
}

TEST_F(StreamTest, FieldValuesTravelAsOwnerAndFieldName)
{
    cRef<cStreamProbe> owner = new cStreamProbe("owner");
    owner->number = 7;
    std::unique_ptr<cFieldValue> field = owner->fieldValue("number");
    ASSERT_NE(field, nullptr);
    const Bytes bytes = save(
        [&](cStream& s)
        {
            s.writeFieldValue(field.get());
            s.writeFieldValue(nullptr);
        });
    ASSERT_GT(bytes.size(), 16u);
    EXPECT_EQ(Bytes(bytes.end() - 12, bytes.end()), cBytes().text("number").u32(0).text("").b);

    cBytes more(bytes);
    more.u32(1).text("nothing"); // the known owner, an unknown field
    cFileBuffer file(more.b);
    cStreamLoad load(file);
    std::unique_ptr<cFieldValue> read = load.readFieldValue();
    ASSERT_NE(read, nullptr);
    int32_t value = 0;
    EXPECT_TRUE(read->getInt(value));
    EXPECT_EQ(value, 7);
    EXPECT_EQ(read->owner()->name(), "owner");
    EXPECT_EQ(load.readFieldValue(), nullptr);
    EXPECT_EQ(load.readFieldValue(), nullptr);
    EXPECT_FALSE(load.failed());
    EXPECT_TRUE(file.eof());
}

// ---- damaged streams ----------------------------------------------------------------------------

// A small stream with items and references of each kind.
Bytes smallStream()
{
    cRef<cStreamProbe> probe = new cStreamProbe("probe");
    cRef<cStreamNumber> number = new cStreamNumber;
    probe->text = "some text";
    probe->children = {new cStreamLeaf("leaf"), nullptr};
    probe->other = probe->children[0];
    probe->expression = number;
    probe->field = probe->fieldValue("number");
    cFileBuffer file;
    cStreamSave save(file);
    save.writeComponent(probe.get());
    return file.bytes;
}

TEST_F(StreamTest, TruncatedAtEveryOffsetEndsWithAClearError)
{
    const Bytes whole = smallStream();
    for (std::size_t length = 0; length < whole.size(); ++length)
    {
        cFileBuffer file(Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length)));
        cStreamLoad load(file);
        cRef<cComponent> root;
        EXPECT_FALSE(load.readRoot(root)) << "length " << length;
        // Cut inside a container, the count is what gives the truncation away.
        const std::string& error = load.error();
        EXPECT_TRUE(error.starts_with("Stream load abandoned at offset ") &&
                    (error.ends_with(": the stream ends early") ||
                     error.find("bytes left") != std::string::npos))
            << "length " << length << ": " << error;
    }
    cFileBuffer file(whole);
    cStreamLoad load(file);
    cRef<cComponent> root;
    EXPECT_TRUE(load.readRoot(root)) << load.error();
}

struct DamageCase
{
    const char* name;
    Bytes bytes;
    std::string error; // what error() says
    int64_t stopsAt;   // where reading stopped
};

std::string abandonedAt(int64_t offset, const std::string& reason)
{
    return "Stream load abandoned at offset " + std::to_string(offset) + ": " + reason;
}

std::vector<DamageCase> damageCases()
{
    // The inner definition's type is unknown: nothing after its instance name is read.
    cBytes unknownInBody;
    unknownInBody.define(1, "Component.StreamLeaf", "outer").u8(1).u32(1).u32(2);
    const auto innerAt = static_cast<int64_t>(unknownInBody.b.size());
    unknownInBody.define(2, "Component.Nothing", "inner");
    const auto innerEnd = static_cast<int64_t>(unknownInBody.b.size());
    unknownInBody.u32(0x80000003).text("more");

    cBytes undefined;
    undefined.define(1, "Component.StreamLeaf", "outer").u8(0).u32(1).u32(1);
    const auto undefinedAt = static_cast<int64_t>(undefined.b.size());
    undefined.u32(7).u32(0);

    cBytes hugeCount;
    hugeCount.define(1, "Component.StreamLeaf", "outer").u8(0);
    const auto countAt = static_cast<int64_t>(hugeCount.b.size());
    hugeCount.u32(0xFFFFFFF0u).u32(0);

    return {
        {"unknown_type", cBytes().define(1, "Component.Nothing", "x").u32(0).b,
         abandonedAt(0, "Could not create x (Component.Nothing)"), 4 + 18 + 2},
        {"abstract_type", cBytes().define(1, "Component", "x").u32(0).b,
         abandonedAt(0, "Could not create x (Component)"), 4 + 10 + 2},
        {"create_fails", cBytes().define(1, "Component.Broken", "x").u32(0).b,
         abandonedAt(0, "Could not create x (Component.Broken)"), 4 + 17 + 2},
        {"unknown_type_in_a_body", unknownInBody.b,
         abandonedAt(innerAt, "Could not create inner (Component.Nothing)"), innerEnd},
        {"undefined_number", undefined.b,
         abandonedAt(undefinedAt, "component number 7 was never defined"), undefinedAt + 4},
        {"huge_count", hugeCount.b,
         abandonedAt(countAt, "count 4294967280 is larger than the 4 bytes left"), countAt + 4},
    };
}

TEST_F(StreamTest, DamagedStreamsAbandonTheLoadNamingTheCauseAndOffset)
{
    for (const DamageCase& c : damageCases())
    {
        SCOPED_TRACE(c.name);
        testing::cLogCapture log;
        cFileBuffer file(c.bytes);
        cStreamLoad load(file);
        load.setShowMessageBox(false);
        cRef<cComponent> root;
        EXPECT_FALSE(load.readRoot(root));
        EXPECT_EQ(load.error(), c.error);
        EXPECT_EQ(file.tell(), c.stopsAt) << "read on after the damage";
        const std::vector<std::string> texts = log.texts();
        EXPECT_NE(std::find(texts.begin(), texts.end(), c.error + "\n"), texts.end());
    }
}

TEST_F(StreamTest, AbandonedLoadTakesNoMoreBytes)
{
    cFileBuffer file(cBytes().u32(5).u32(1).text("rest").b);
    cStreamLoad load(file);
    EXPECT_EQ(load.readComponent(nullptr), nullptr);
    ASSERT_TRUE(load.failed());
    const int64_t at = file.tell();
    int32_t number = -1;
    std::string text = "kept";
    load.io(number).io(text);
    EXPECT_EQ(load.readCount(), 0u);
    EXPECT_EQ(load.readComponent(nullptr), nullptr);
    EXPECT_EQ(load.readFieldValue(), nullptr);
    EXPECT_EQ(number, -1);
    EXPECT_EQ(text, "kept");
    EXPECT_EQ(file.tell(), at);
    EXPECT_EQ(load.error(),
              "Stream load abandoned at offset 0: component number 5 was never defined");
}

TEST_F(StreamTest, DeepNestingIsRefused)
{
    cBytes bytes;
    for (int i = 1; i <= cStreamLoad::kMaxDepth + 1; ++i)
        bytes.define(i, "Component.StreamLeaf", "").u8(0).u32(1).u32(1);
    cFileBuffer file(bytes.b);
    cStreamLoad load(file);
    cRef<cComponent> root;
    EXPECT_FALSE(load.readRoot(root));
    EXPECT_NE(load.error().find("nest deeper than 1024"), std::string::npos) << load.error();
}

} // namespace
} // namespace qelt
