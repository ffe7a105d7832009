// The value interface of the command language: every literal, variable, field and call result is
// read, written, converted, combined and printed through cValue.
#pragma once

#include "core/colour.h"
#include "core/matrix.h"
#include "core/quaternion.h"
#include "core/vector.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace qelt
{

class cComponent;
class cEvent;
class cExpression;
class cNamespace;
class cShellCall;
class cShellName;

// What a value holds; the numbers are part of the command language and of stored expressions.
enum eValueKind : int
{
    eValueVoid = 0,
    eValueBool = 1,
    eValueNumber = 2,
    eValueReal = 3,
    eValueString = 4,
    eValueIdentifier = 5,
    eValueVector2 = 6,
    eValueVector3 = 7,
    eValueVector4 = 8,
    eValueMatrix2 = 9,
    eValueMatrix3 = 10,
    eValueMatrix4 = 11,
    eValueQuaternion = 12,
    eValueShellName = 13,
    eValueComponent = 14,
    eValueColour = 15,
    eValueCall = 16,
    eValueBlock = 17,
    eValueGroup = 18,
    eValueExpression = 19,
};

// A value. Getters and setters return true on success and leave the caller's variable (or the
// value) unchanged on failure. The defaults here convert where the language allows and refuse
// everything else, so a class only overrides the getter and setter of what it really holds.
// Values have no lock: they are used under the lock of the shell or on the viewer thread.
class cValue
{
  public:
    virtual ~cValue() = default;

    // The eValueKind of what the value holds.
    virtual int kind() const = 0;
    // True when every setter refuses.
    virtual bool isReadOnly() const { return false; }

    // ---- getters -------------------------------------------------------------------------------
    // A pointer to the text, valid while the value lives and is not changed.
    virtual bool getCString(const char*& out) const;
    virtual bool getExpression(cExpression*& out) const;
    // The text of the value looked up as a group path in the shell.
    virtual bool getNamespace(cNamespace*& out) const;
    virtual bool getColour(cColouri& out) const;
    virtual bool getComponent(cComponent*& out) const;
    virtual bool getShellName(cShellName*& out) const;
    virtual bool getQuaternion(cQuaternionf& out) const;
    virtual bool getMatrix4(cMatrix4f& out) const;
    virtual bool getMatrix3(cMatrix3f& out) const;
    virtual bool getMatrix2(cMatrix2f& out) const;
    virtual bool getVector4(cVector4f& out) const;
    virtual bool getVector3(cVector3f& out) const;
    virtual bool getVector2(cVector2f& out) const;
    // A copy of getCString.
    virtual bool getString(std::string& out) const;
    // getFloat widened.
    virtual bool getDouble(double& out) const;
    // getInt converted; a real never turns into an int, but an int does turn into a real.
    virtual bool getFloat(float& out) const;
    // The integer views: each is getInt narrowed (two's complement, as a C cast does) except
    // getInt itself, which refuses unless overridden.
    virtual bool getUnsignedLong(uint32_t& out) const;
    virtual bool getLong(int32_t& out) const;
    virtual bool getUnsignedShort(uint16_t& out) const;
    virtual bool getShort(int16_t& out) const;
    virtual bool getUnsignedInt(uint32_t& out) const;
    virtual bool getInt(int32_t& out) const;
    virtual bool getUnsignedChar(uint8_t& out) const;
    virtual bool getChar(int8_t& out) const;
    // inout holds the current value on entry ("toggle" inverts it). Texts "t", "true", "on" and
    // "f", "false", "off" (any case) are read; without a text, a non-zero integer is true.
    virtual bool getBool(bool& inout) const;

    // ---- running -------------------------------------------------------------------------------
    // Runs the value as a statement; true when it ran to its end.
    virtual bool execute();
    // Stores other in this value through the getter and setter of this value's kind.
    virtual bool assign(const cValue& other);

    // ---- setters -------------------------------------------------------------------------------
    virtual bool setExpression(cExpression* value);
    virtual bool setColour(cColouri value);
    virtual bool setComponent(cComponent* value);
    virtual bool setShellName(cShellName* value);
    virtual bool setQuaternion(const cQuaternionf& value);
    virtual bool setMatrix4(const cMatrix4f& value);
    virtual bool setMatrix3(const cMatrix3f& value);
    virtual bool setMatrix2(const cMatrix2f& value);
    virtual bool setVector4(const cVector4f& value);
    virtual bool setVector3(const cVector3f& value);
    virtual bool setVector2(const cVector2f& value);
    virtual bool setString(const std::string& value);
    virtual bool setDouble(double value);
    virtual bool setFloat(float value);
    virtual bool setUnsignedLong(uint32_t value);
    virtual bool setLong(int32_t value);
    virtual bool setUnsignedShort(uint16_t value);
    virtual bool setShort(int16_t value);
    virtual bool setUnsignedInt(uint32_t value);
    virtual bool setInt(int32_t value);
    virtual bool setUnsignedChar(uint8_t value);
    virtual bool setChar(int8_t value);
    virtual bool setBool(bool value);

    // ---- arithmetic in place: ints, reals, vectors, matrices and quaternions --------------------
    virtual bool add(const cValue& other);
    // this - other.
    virtual bool subtract(const cValue& other);

    // ---- calls ---------------------------------------------------------------------------------
    // Calls the value with a call record of the shell; true when it ran.
    virtual bool call(cShellCall& call);
    // Runs the value as a statement for an event whose arguments follow the explicit ones.
    virtual bool executeWith(cEvent* event);

    // ---- printing ------------------------------------------------------------------------------
    // The text of the value, cut to fit length bytes with the terminator; returns its length.
    virtual std::size_t format(char* buffer, std::size_t length) const;
    // format into 512 bytes.
    std::string toString() const;
    // format into 256 bytes, sent to the log at the message level.
    void print() const;
};

// The shell sits above values, so it lends them its group lookup and the printed path of its
// names. Until a shell installs these, group lookups fail and shell names print as "<?>".
struct cValueShellLink
{
    bool (*findGroup)(const std::string& path, cNamespace*& out) = nullptr;
    std::string (*namePath)(const cShellName& name) = nullptr;
};
void setValueShellLink(const cValueShellLink& link);

} // namespace qelt
