// The stream writer: little-endian items, texts cut to what a reader takes back, and components
// numbered in the order their definitions are written, depth-first.
#include "core/stream_save.h"

#include "core/component.h"
#include "core/component_type.h"
#include "core/expression.h"
#include "core/field.h"
#include "core/file.h"
#include "core/log_manager.h"

#include <algorithm>

namespace qelt
{

// ---- items --------------------------------------------------------------------------------------

// The scalar part first, then x, y, z.
cStream& cStreamSave::io(cQuaternionf& value)
{
    file_.writeFloat(value.w);
    file_.writeFloat(value.x);
    file_.writeFloat(value.y);
    file_.writeFloat(value.z);
    return *this;
}

// Red, green, blue, alpha: the byte order of a colour on disk, not of the number in memory.
cStream& cStreamSave::io(cColouri& value)
{
    const uint8_t bytes[4] = {value.red(), value.green(), value.blue(), value.alpha()};
    if (!file_.write(bytes, sizeof bytes))
        throw cFileException{cFileException::Write, 4};
    return *this;
}

cStream& cStreamSave::io(cBox3f& value)
{
    file_.writeVector3f(value.minimum);
    file_.writeVector3f(value.maximum);
    return *this;
}

// Matrices go column by column; the file's matrix writes already do that.
cStream& cStreamSave::io(cMatrix4f& value)
{
    file_.writeMatrix4f(value);
    return *this;
}

cStream& cStreamSave::io(cMatrix3f& value)
{
    file_.writeMatrix3f(value);
    return *this;
}

cStream& cStreamSave::io(cMatrix2f& value)
{
    file_.writeMatrix2f(value);
    return *this;
}

cStream& cStreamSave::io(cVector4f& value)
{
    file_.writeVector4f(value);
    return *this;
}

cStream& cStreamSave::io(cVector3f& value)
{
    file_.writeVector3f(value);
    return *this;
}

cStream& cStreamSave::io(cVector2f& value)
{
    file_.writeVector2f(value);
    return *this;
}

cStream& cStreamSave::io(float& value)
{
    file_.writeFloat(value);
    return *this;
}

cStream& cStreamSave::io(uint32_t& value)
{
    file_.writeUint32(value);
    return *this;
}

cStream& cStreamSave::io(int32_t& value)
{
    file_.writeUint32(static_cast<uint32_t>(value));
    return *this;
}

cStream& cStreamSave::io(uint16_t& value)
{
    file_.writeUint16(value);
    return *this;
}

cStream& cStreamSave::io(int16_t& value)
{
    file_.writeUint16(static_cast<uint16_t>(value));
    return *this;
}

cStream& cStreamSave::io(uint8_t& value)
{
    file_.writeUint8(value);
    return *this;
}

cStream& cStreamSave::io(int8_t& value)
{
    file_.writeUint8(static_cast<uint8_t>(value));
    return *this;
}

cStream& cStreamSave::io(bool& value)
{
    file_.writeBool(value);
    return *this;
}

cStream& cStreamSave::io(std::string& value)
{
    writeText(value);
    return *this;
}

// A reader stops at 0 or 0xFF and keeps at most 512 bytes, so anything past those would be read
// as the items that follow: the text is cut where the reader would cut it.
void cStreamSave::writeText(const std::string& text)
{
    std::size_t length = 0;
    const std::size_t limit = std::min(text.size(), kStreamTextMax);
    while (length < limit && text[length] != '\0' && static_cast<uint8_t>(text[length]) != 0xFF)
        ++length;
    if (length < text.size())
        debugf("Stream text cut to %zu of %zu bytes\n", length, text.size());
    if (!file_.write(text.data(), length))
        throw cFileException{cFileException::Write, static_cast<int>(length)};
    file_.writeUint8(0);
}

void cStreamSave::writeCount(uint32_t count)
{
    file_.writeUint32(count);
}

// ---- references ---------------------------------------------------------------------------------

// The entry's dotted path; a null name or a missing shell writes an empty path, which reads back
// as null.
void cStreamSave::writeShellName(cShellName* name)
{
    const cStreamShellLink& link = streamShellLink();
    writeText(name != nullptr && link.namePath ? link.namePath(*name) : std::string());
}

void cStreamSave::writeExpression(cExpression* expression)
{
    writeComponent(expression);
}

// The number is entered before anything is written, so the body's references back to the
// component (itself or one it is nested in) are plain numbers.
void cStreamSave::writeComponent(cComponent* component)
{
    if (component == nullptr)
    {
        file_.writeUint32(0);
        return;
    }
    const auto [found, isNew] = numbers_.try_emplace(component, next_);
    if (!isNew)
    {
        file_.writeUint32(found->second);
        return;
    }
    const uint32_t number = next_++;
    file_.writeUint32(number | 0x80000000u);
    writeText(component->getType().fullName());
    writeText(component->name());
    component->serialise(*this);
}

void cStreamSave::writeFieldValue(const cFieldValue* value)
{
    writeComponent(value != nullptr ? value->owner() : nullptr);
    writeText(value != nullptr ? std::string(value->description().nameView()) : std::string());
}

std::unique_ptr<cFieldValue> cStreamSave::readFieldValue()
{
    return nullptr;
}

uint32_t cStreamSave::numberOf(const cComponent* component) const
{
    const auto found = numbers_.find(component);
    return found == numbers_.end() ? 0 : found->second;
}

} // namespace qelt
