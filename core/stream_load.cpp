// The stream reader: items from their little-endian encodings, components from numbered inline
// definitions, and abandoning a load at the first damage the file cannot see.
#include "core/stream_load.h"

#include "core/component.h"
#include "core/component_type.h"
#include "core/expression.h"
#include "core/field.h"
#include "core/file.h"
#include "core/log_manager.h"
#include "platform/message_box.h"

#include <bit>
#include <cinttypes>
#include <cstdio>

namespace qelt
{
namespace
{

uint32_t fromLittleEndian(const uint8_t* b)
{
    return uint32_t(b[0]) | (uint32_t(b[1]) << 8) | (uint32_t(b[2]) << 16) | (uint32_t(b[3]) << 24);
}

} // namespace

cStreamLoad::cStreamLoad(cFile& file) : file_(file)
{
    size_ = file_.size();
    seekable_ = file_.seek(0, cFile::Current);
}

cStreamLoad::~cStreamLoad() = default;

// ---- failure ------------------------------------------------------------------------------------

void cStreamLoad::fail(int64_t offset, const std::string& reason)
{
    if (failed())
        return;
    char text[640];
    std::snprintf(text, sizeof text, "Stream load abandoned at offset %" PRId64 ": %s", offset,
                  reason.c_str());
    error_ = text;
    messagef("%s\n", text);
}

void cStreamLoad::readBytes(void* buffer, std::size_t n)
{
    if (file_.read(buffer, n) != n)
        throw cFileException{cFileException::Read, static_cast<int>(n)};
}

// ---- items --------------------------------------------------------------------------------------

// Stored w, x, y, z; held x, y, z, w.
cStream& cStreamLoad::io(cQuaternionf& value)
{
    if (failed()) // an abandoned load takes no more bytes
        return *this;
    uint8_t b[16];
    readBytes(b, sizeof b);
    value.w = std::bit_cast<float>(fromLittleEndian(b));
    value.x = std::bit_cast<float>(fromLittleEndian(b + 4));
    value.y = std::bit_cast<float>(fromLittleEndian(b + 8));
    value.z = std::bit_cast<float>(fromLittleEndian(b + 12));
    return *this;
}

// Stored red, green, blue, alpha.
cStream& cStreamLoad::io(cColouri& value)
{
    if (failed()) // an abandoned load takes no more bytes
        return *this;
    uint8_t b[4];
    readBytes(b, sizeof b);
    value = cColouri::fromBytes(b[0], b[1], b[2], b[3]);
    return *this;
}

namespace
{

// n floats of a stream in one read, in stored order.
template <std::size_t N> void readFloatArray(cFile& file, float (&out)[N])
{
    uint8_t b[N * 4];
    if (file.read(b, sizeof b) != sizeof b)
        throw cFileException{cFileException::Read, static_cast<int>(sizeof b)};
    for (std::size_t i = 0; i < N; ++i)
        out[i] = std::bit_cast<float>(fromLittleEndian(b + 4 * i));
}

// Stored column by column.
template <int N> void readMatrix(cFile& file, cMatrixNf<N>& value)
{
    float stored[N * N];
    readFloatArray(file, stored);
    for (int column = 0; column < N; ++column)
        for (int row = 0; row < N; ++row)
            value(row, column) = stored[column * N + row];
}

} // namespace

cStream& cStreamLoad::io(cBox3f& value)
{
    if (failed()) // an abandoned load takes no more bytes
        return *this;
    float f[6];
    readFloatArray(file_, f);
    value.minimum = {f[0], f[1], f[2]};
    value.maximum = {f[3], f[4], f[5]};
    return *this;
}

cStream& cStreamLoad::io(cMatrix4f& value)
{
    if (failed()) // an abandoned load takes no more bytes
        return *this;
    readMatrix(file_, value);
    return *this;
}

cStream& cStreamLoad::io(cMatrix3f& value)
{
    if (failed()) // an abandoned load takes no more bytes
        return *this;
    readMatrix(file_, value);
    return *this;
}

cStream& cStreamLoad::io(cMatrix2f& value)
{
    if (failed()) // an abandoned load takes no more bytes
        return *this;
    readMatrix(file_, value);
    return *this;
}

cStream& cStreamLoad::io(cVector4f& value)
{
    if (failed()) // an abandoned load takes no more bytes
        return *this;
    float f[4];
    readFloatArray(file_, f);
    value = {f[0], f[1], f[2], f[3]};
    return *this;
}

cStream& cStreamLoad::io(cVector3f& value)
{
    if (failed()) // an abandoned load takes no more bytes
        return *this;
    float f[3];
    readFloatArray(file_, f);
    value = {f[0], f[1], f[2]};
    return *this;
}

cStream& cStreamLoad::io(cVector2f& value)
{
    if (failed()) // an abandoned load takes no more bytes
        return *this;
    float f[2];
    readFloatArray(file_, f);
    value = {f[0], f[1]};
    return *this;
}

cStream& cStreamLoad::io(float& value)
{
    if (failed()) // an abandoned load takes no more bytes
        return *this;
    value = file_.readFloat();
    return *this;
}

cStream& cStreamLoad::io(uint32_t& value)
{
    if (failed()) // an abandoned load takes no more bytes
        return *this;
    value = file_.readUint32();
    return *this;
}

cStream& cStreamLoad::io(int32_t& value)
{
    if (failed()) // an abandoned load takes no more bytes
        return *this;
    value = static_cast<int32_t>(file_.readUint32());
    return *this;
}

cStream& cStreamLoad::io(uint16_t& value)
{
    if (failed()) // an abandoned load takes no more bytes
        return *this;
    value = file_.readUint16();
    return *this;
}

cStream& cStreamLoad::io(int16_t& value)
{
    if (failed()) // an abandoned load takes no more bytes
        return *this;
    value = static_cast<int16_t>(file_.readUint16());
    return *this;
}

cStream& cStreamLoad::io(uint8_t& value)
{
    if (failed()) // an abandoned load takes no more bytes
        return *this;
    value = file_.readUint8();
    return *this;
}

cStream& cStreamLoad::io(int8_t& value)
{
    if (failed()) // an abandoned load takes no more bytes
        return *this;
    value = static_cast<int8_t>(file_.readUint8());
    return *this;
}

cStream& cStreamLoad::io(bool& value)
{
    if (failed()) // an abandoned load takes no more bytes
        return *this;
    value = file_.readUint8() != 0;
    return *this;
}

cStream& cStreamLoad::io(std::string& value)
{
    if (failed()) // an abandoned load takes no more bytes
        return *this;
    value = readText();
    return *this;
}

// Takes up to 512 bytes in one read and gives back what follows the terminator, so long texts do
// not cost a call per byte. Unlike the file's own text read, data that ends before a terminator is
// an early end: the stream cannot know where the next item would start.
std::string cStreamLoad::readText()
{
    if (!seekable_)
        return readTextByBytes();
    char buffer[kFileTextLimit];
    const std::size_t got = file_.read(buffer, sizeof buffer);
    std::size_t length = 0;
    while (length < got && buffer[length] != '\0' && static_cast<uint8_t>(buffer[length]) != 0xFF)
        ++length;
    if (length == got && got < sizeof buffer)
        throw cFileException{cFileException::Read, 1};
    // Past the terminator when there is one; 512 taken without one is all the text there is.
    const std::size_t taken = length < got ? length + 1 : got;
    if (taken < got &&
        !file_.seek(static_cast<int64_t>(taken) - static_cast<int64_t>(got), cFile::Current))
        throw cFileException{cFileException::Read, 1};
    return std::string(buffer, length);
}

// The same for a file that cannot move back: a byte at a time.
std::string cStreamLoad::readTextByBytes()
{
    std::string text;
    while (text.size() < kFileTextLimit)
    {
        uint8_t byte = 0;
        readBytes(&byte, 1);
        if (byte == 0 || byte == 0xFF)
            break;
        text.push_back(static_cast<char>(byte));
    }
    return text;
}

// A container's elements take at least a byte each, so a count beyond the bytes left is damage;
// refusing it here keeps every reserve the classes make within the size of the file.
uint32_t cStreamLoad::readCount()
{
    if (failed())
        return 0;
    const int64_t offset = file_.tell();
    const uint32_t count = file_.readUint32();
    if (size_ >= 0 && count > size_ - file_.tell())
    {
        fail(offset, "count " + std::to_string(count) + " is larger than the " +
                         std::to_string(size_ - file_.tell()) + " bytes left");
        return 0;
    }
    return count;
}

// ---- references ---------------------------------------------------------------------------------

cShellName* cStreamLoad::readShellName()
{
    if (failed())
        return nullptr;
    const std::string path = readText();
    const cStreamShellLink& link = streamShellLink();
    if (path.empty() || !link.findName)
        return nullptr;
    return link.findName(path);
}

cExpression* cStreamLoad::readExpression(cExpression* candidate)
{
    return dynamic_cast<cExpression*>(readComponent(candidate));
}

cComponent* cStreamLoad::readComponent(cComponent* candidate)
{
    if (failed())
        return nullptr;
    const int64_t offset = file_.tell();
    const uint32_t value = file_.readUint32();
    if (value == 0)
        return nullptr;
    const uint32_t number = value & 0x7FFFFFFFu;
    if ((value & 0x80000000u) == 0)
    {
        cComponent* known = component(number);
        if (known == nullptr)
            fail(offset, "component number " + std::to_string(number) + " was never defined");
        return known;
    }

    const std::string typeName = readText();
    const std::string instanceName = readText();
    if (depth_ >= kMaxDepth)
    {
        fail(offset, "definitions nest deeper than " + std::to_string(kMaxDepth) + " at \"" +
                         typeName + "\"");
        return nullptr;
    }
    cRef<cComponent> target = candidate;
    if (!target)
    {
        target = create(typeName, instanceName);
        if (!target)
        {
            // The format stores no lengths, so the body cannot be skipped: the load ends here.
            const std::string shown = "Could not create " + instanceName + " (" + typeName + ")";
            if (showMessageBox_)
                platform::messageBox("QELT", shown);
            fail(offset, shown);
            return nullptr;
        }
    }
    const auto [entry, isNew] = components_.try_emplace(number, target);
    if (!isNew)
        debugf("Seen ID %d before - %s %s\n", static_cast<int>(number), typeName.c_str(),
               instanceName.c_str());

    // Entered before the body, so the body may refer to the component itself.
    ++depth_;
    try
    {
        target->serialise(*this);
    }
    catch (...)
    {
        --depth_;
        throw;
    }
    --depth_;
    // A second definition of a number is not entered, but the stream still keeps it alive.
    if (!isNew)
        duplicates_.push_back(target);
    return target.get();
}

// createComponent walks the registry building every full name; a stream meets the same few types
// again and again, so it keeps their create functions. Misses go to createComponent, which says
// why the type cannot be made.
cComponent* cStreamLoad::create(const std::string& typeName, const std::string& instanceName)
{
    auto known = creators_.find(typeName);
    if (known == creators_.end())
    {
        const cComponentType* type = findComponentType(typeName);
        if (type == nullptr || type->createFunction() == nullptr)
            return createComponent(typeName, instanceName);
        known = creators_.emplace(typeName, type->createFunction()).first;
    }
    cComponent* component = known->second(instanceName);
    if (component == nullptr)
        debugf("Cannot create component type %s\n", typeName.c_str());
    return component;
}

std::unique_ptr<cFieldValue> cStreamLoad::readFieldValue()
{
    if (failed())
        return nullptr;
    cComponent* owner = readComponent(nullptr);
    if (failed())
        return nullptr;
    const std::string name = readText();
    return owner != nullptr ? owner->fieldValue(name) : nullptr;
}

bool cStreamLoad::readRoot(cRef<cComponent>& root)
{
    try
    {
        ioComponent(*this, root);
    }
    catch (const cFileException&)
    {
        fail(file_.tell(), "the stream ends early");
    }
    return !failed();
}

cComponent* cStreamLoad::component(uint32_t number) const
{
    const auto found = components_.find(number);
    return found == components_.end() ? nullptr : found->second.get();
}

std::vector<cComponent*> cStreamLoad::components() const
{
    std::vector<cComponent*> all;
    all.reserve(components_.size() + duplicates_.size());
    for (const auto& [number, component] : components_)
        all.push_back(component.get());
    for (const cRef<cComponent>& component : duplicates_)
        all.push_back(component.get());
    return all;
}

} // namespace qelt
