// The cValue defaults: conversions between kinds, assignment, arithmetic and the printed forms.
#include "core/value.h"

#include "core/component.h"
#include "core/expression.h"
#include "core/log_manager.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <strings.h>

namespace qelt
{
namespace
{

cValueShellLink& shellLink()
{
    static cValueShellLink link;
    return link;
}

void appendf(std::string& out, const char* format, ...) __attribute__((format(printf, 2, 3)));
void appendf(std::string& out, const char* format, ...)
{
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    out += text;
}

// "[a,b,...]" with %g, the row form of vectors, quaternions and colours.
void appendList(std::string& out, const float* values, int count)
{
    out += '[';
    for (int i = 0; i < count; ++i)
        appendf(out, i ? ",%g" : "%g", values[i]);
    out += ']';
}

// Rows of a matrix; the 2 x 2 form has no comma between its rows.
template <int N> void appendMatrix(std::string& out, const cMatrixNf<N>& m)
{
    out += '[';
    for (int row = 0; row < N; ++row)
    {
        if (row && N > 2)
            out += ',';
        appendList(out, m.m + row * N, N);
    }
    out += ']';
}

// Copies text into buffer, cut to length - 1 bytes and terminated; returns the length kept.
std::size_t copyCut(const std::string& text, char* buffer, std::size_t length)
{
    if (buffer == nullptr || length == 0)
        return 0;
    const std::size_t n = std::min(text.size(), length - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return n;
}

template <typename T> bool narrowed(const cValue& value, T& out)
{
    int32_t v;
    if (!value.getInt(v))
        return false;
    out = static_cast<T>(v);
    return true;
}

// Two's complement wrap-around, as the 32-bit arithmetic of the language does.
int32_t wrapped(int64_t v)
{
    return static_cast<int32_t>(static_cast<uint32_t>(v));
}

// Reads this and other with the getter of this value's kind and stores op(this, other).
template <typename T, typename Get, typename Set, typename Op>
bool combine(cValue& self, const cValue& other, Get get, Set set, Op op)
{
    T a, b;
    if (!(self.*get)(a) || !(other.*get)(b))
        return false;
    return (self.*set)(op(a, b));
}

template <typename Op> bool arithmetic(cValue& self, const cValue& other, Op op)
{
    switch (self.kind())
    {
    case eValueNumber:
    {
        int32_t a, b;
        if (!self.getInt(a) || !other.getInt(b))
            return false;
        return self.setInt(wrapped(op(int64_t{a}, int64_t{b})));
    }
    case eValueReal:
        return combine<float>(self, other, &cValue::getFloat, &cValue::setFloat, op);
    case eValueVector2:
        return combine<cVector2f>(self, other, &cValue::getVector2, &cValue::setVector2, op);
    case eValueVector3:
        return combine<cVector3f>(self, other, &cValue::getVector3, &cValue::setVector3, op);
    case eValueVector4:
        return combine<cVector4f>(self, other, &cValue::getVector4, &cValue::setVector4, op);
    case eValueMatrix2:
        return combine<cMatrix2f>(self, other, &cValue::getMatrix2, &cValue::setMatrix2, op);
    case eValueMatrix3:
        return combine<cMatrix3f>(self, other, &cValue::getMatrix3, &cValue::setMatrix3, op);
    case eValueMatrix4:
        return combine<cMatrix4f>(self, other, &cValue::getMatrix4, &cValue::setMatrix4, op);
    case eValueQuaternion:
        return combine<cQuaternionf>(self, other, &cValue::getQuaternion, &cValue::setQuaternion,
                                     op);
    default:
        return false;
    }
}

template <typename T, typename Get, typename Set>
bool transfer(cValue& self, const cValue& other, Get get, Set set)
{
    T v{};
    return (other.*get)(v) && (self.*set)(v);
}

} // namespace

void setValueShellLink(const cValueShellLink& link)
{
    shellLink() = link;
}

// ---- getters -----------------------------------------------------------------------------------

bool cValue::getCString(const char*&) const
{
    return false;
}
bool cValue::getExpression(cExpression*&) const
{
    return false;
}
bool cValue::getNamespace(cNamespace*& out) const
{
    std::string path;
    const cValueShellLink& link = shellLink();
    return link.findGroup != nullptr && getString(path) && link.findGroup(path, out);
}
bool cValue::getColour(cColouri&) const
{
    return false;
}
bool cValue::getComponent(cComponent*&) const
{
    return false;
}
bool cValue::getShellName(cShellName*&) const
{
    return false;
}
bool cValue::getQuaternion(cQuaternionf&) const
{
    return false;
}
bool cValue::getMatrix4(cMatrix4f&) const
{
    return false;
}
bool cValue::getMatrix3(cMatrix3f&) const
{
    return false;
}
bool cValue::getMatrix2(cMatrix2f&) const
{
    return false;
}
bool cValue::getVector4(cVector4f&) const
{
    return false;
}
bool cValue::getVector3(cVector3f&) const
{
    return false;
}
bool cValue::getVector2(cVector2f&) const
{
    return false;
}

bool cValue::getString(std::string& out) const
{
    const char* text = nullptr;
    if (!getCString(text) || text == nullptr)
        return false;
    out = text;
    return true;
}

bool cValue::getDouble(double& out) const
{
    float v;
    if (!getFloat(v))
        return false;
    out = v;
    return true;
}

bool cValue::getFloat(float& out) const
{
    int32_t v;
    if (!getInt(v))
        return false;
    out = static_cast<float>(v);
    return true;
}

bool cValue::getUnsignedLong(uint32_t& out) const
{
    return narrowed(*this, out);
}
bool cValue::getLong(int32_t& out) const
{
    return narrowed(*this, out);
}
bool cValue::getUnsignedShort(uint16_t& out) const
{
    return narrowed(*this, out);
}
bool cValue::getShort(int16_t& out) const
{
    return narrowed(*this, out);
}
bool cValue::getUnsignedInt(uint32_t& out) const
{
    return narrowed(*this, out);
}
bool cValue::getInt(int32_t&) const
{
    return false;
}
bool cValue::getUnsignedChar(uint8_t& out) const
{
    return narrowed(*this, out);
}
bool cValue::getChar(int8_t& out) const
{
    return narrowed(*this, out);
}

bool cValue::getBool(bool& inout) const
{
    std::string text;
    if (getString(text))
    {
        const char* t = text.c_str();
        if (!strcasecmp(t, "f") || !strcasecmp(t, "false") || !strcasecmp(t, "off"))
            inout = false;
        else if (!strcasecmp(t, "t") || !strcasecmp(t, "true") || !strcasecmp(t, "on"))
            inout = true;
        else if (!strcasecmp(t, "toggle"))
            inout = !inout;
        else
            return false;
        return true;
    }
    int32_t v;
    if (!getInt(v))
        return false;
    inout = v != 0;
    return true;
}

// ---- running and assignment --------------------------------------------------------------------

bool cValue::execute()
{
    return false;
}

bool cValue::assign(const cValue& other)
{
    switch (kind())
    {
    case eValueVoid:
        return true;
    case eValueBool:
    {
        // The current value lets "toggle" invert it.
        bool v = false;
        getBool(v);
        return other.getBool(v) && setBool(v);
    }
    case eValueNumber:
        return transfer<int32_t>(*this, other, &cValue::getInt, &cValue::setInt);
    case eValueReal:
        return transfer<float>(*this, other, &cValue::getFloat, &cValue::setFloat);
    case eValueString:
    case eValueIdentifier:
        return transfer<std::string>(*this, other, &cValue::getString, &cValue::setString);
    case eValueVector2:
        return transfer<cVector2f>(*this, other, &cValue::getVector2, &cValue::setVector2);
    case eValueVector3:
        return transfer<cVector3f>(*this, other, &cValue::getVector3, &cValue::setVector3);
    case eValueVector4:
        return transfer<cVector4f>(*this, other, &cValue::getVector4, &cValue::setVector4);
    case eValueMatrix2:
        return transfer<cMatrix2f>(*this, other, &cValue::getMatrix2, &cValue::setMatrix2);
    case eValueMatrix3:
        return transfer<cMatrix3f>(*this, other, &cValue::getMatrix3, &cValue::setMatrix3);
    case eValueMatrix4:
        return transfer<cMatrix4f>(*this, other, &cValue::getMatrix4, &cValue::setMatrix4);
    case eValueQuaternion:
        return transfer<cQuaternionf>(*this, other, &cValue::getQuaternion, &cValue::setQuaternion);
    case eValueShellName:
        return transfer<cShellName*>(*this, other, &cValue::getShellName, &cValue::setShellName);
    case eValueComponent:
        return transfer<cComponent*>(*this, other, &cValue::getComponent, &cValue::setComponent);
    case eValueExpression:
        return transfer<cExpression*>(*this, other, &cValue::getExpression, &cValue::setExpression);
    default:
        return false;
    }
}

// ---- setters -----------------------------------------------------------------------------------

bool cValue::setExpression(cExpression*)
{
    return false;
}
bool cValue::setColour(cColouri)
{
    return false;
}
bool cValue::setComponent(cComponent*)
{
    return false;
}
bool cValue::setShellName(cShellName*)
{
    return false;
}
bool cValue::setQuaternion(const cQuaternionf&)
{
    return false;
}
bool cValue::setMatrix4(const cMatrix4f&)
{
    return false;
}
bool cValue::setMatrix3(const cMatrix3f&)
{
    return false;
}
bool cValue::setMatrix2(const cMatrix2f&)
{
    return false;
}
bool cValue::setVector4(const cVector4f&)
{
    return false;
}
bool cValue::setVector3(const cVector3f&)
{
    return false;
}
bool cValue::setVector2(const cVector2f&)
{
    return false;
}
bool cValue::setString(const std::string&)
{
    return false;
}
bool cValue::setDouble(double)
{
    return false;
}
bool cValue::setFloat(float)
{
    return false;
}
bool cValue::setUnsignedLong(uint32_t)
{
    return false;
}
bool cValue::setLong(int32_t)
{
    return false;
}
bool cValue::setUnsignedShort(uint16_t)
{
    return false;
}
bool cValue::setShort(int16_t)
{
    return false;
}
bool cValue::setUnsignedInt(uint32_t)
{
    return false;
}
bool cValue::setInt(int32_t)
{
    return false;
}
bool cValue::setUnsignedChar(uint8_t)
{
    return false;
}
bool cValue::setChar(int8_t)
{
    return false;
}
bool cValue::setBool(bool)
{
    return false;
}

// ---- arithmetic --------------------------------------------------------------------------------

bool cValue::add(const cValue& other)
{
    return arithmetic(*this, other, [](auto a, auto b) { return a + b; });
}

bool cValue::subtract(const cValue& other)
{
    return arithmetic(*this, other, [](auto a, auto b) { return a - b; });
}

// ---- calls -------------------------------------------------------------------------------------

bool cValue::call(cShellCall&)
{
    return false;
}

bool cValue::executeWith(cEvent*)
{
    return false;
}

// ---- printing ----------------------------------------------------------------------------------

std::size_t cValue::format(char* buffer, std::size_t length) const
{
    std::string text;
    const int k = kind();
    bool ok = true;
    switch (k)
    {
    case eValueVoid:
        text = "<void>";
        break;
    case eValueBool:
    {
        bool v = false;
        ok = getBool(v);
        text = v ? "true" : "false";
        break;
    }
    case eValueNumber:
    {
        int32_t v = 0;
        ok = getInt(v);
        appendf(text, "%d", v);
        break;
    }
    case eValueReal:
    {
        float v = 0;
        ok = getFloat(v);
        appendf(text, "%g", v);
        break;
    }
    case eValueString:
    case eValueIdentifier:
    {
        const char* v = nullptr;
        ok = getCString(v) && v != nullptr;
        if (ok)
            text = k == eValueString ? "\"" + std::string(v) + "\"" : std::string(v);
        break;
    }
    case eValueVector2:
    {
        cVector2f v;
        ok = getVector2(v);
        const float xy[2] = {v.x, v.y};
        appendList(text, xy, 2);
        break;
    }
    case eValueVector3:
    {
        cVector3f v;
        ok = getVector3(v);
        const float xyz[3] = {v.x, v.y, v.z};
        appendList(text, xyz, 3);
        break;
    }
    case eValueVector4:
    {
        cVector4f v;
        ok = getVector4(v);
        const float xyzw[4] = {v.x, v.y, v.z, v.w};
        appendList(text, xyzw, 4);
        break;
    }
    case eValueMatrix2:
    {
        cMatrix2f v;
        ok = getMatrix2(v);
        appendMatrix(text, v);
        break;
    }
    case eValueMatrix3:
    {
        cMatrix3f v;
        ok = getMatrix3(v);
        appendMatrix(text, v);
        break;
    }
    case eValueMatrix4:
    {
        cMatrix4f v;
        ok = getMatrix4(v);
        appendMatrix(text, v);
        break;
    }
    case eValueQuaternion:
    {
        cQuaternionf v;
        ok = getQuaternion(v);
        const float wxyz[4] = {v.w, v.x, v.y, v.z};
        appendList(text, wxyz, 4);
        break;
    }
    case eValueShellName:
    {
        cShellName* v = nullptr;
        ok = getShellName(v);
        if (ok && v == nullptr)
            text = "<NULL>";
        else if (ok && shellLink().namePath != nullptr)
            text = shellLink().namePath(*v);
        else
            ok = false;
        break;
    }
    case eValueComponent:
    {
        cComponent* v = nullptr;
        ok = getComponent(v);
        text = v ? v->name() : "<NULL>";
        break;
    }
    case eValueColour:
    {
        cColouri v;
        ok = getColour(v);
        const float rgba[4] = {v.red() / 255.0f, v.green() / 255.0f, v.blue() / 255.0f,
                               v.alpha() / 255.0f};
        appendList(text, rgba, 4);
        break;
    }
    case eValueExpression:
    {
        cExpression* v = nullptr;
        ok = getExpression(v);
        // An expression that (through fields) holds itself prints as "<...>" below some depth
        // instead of recursing without end.
        thread_local int depth = 0;
        if (ok && v != nullptr && depth < 8)
        {
            char held[512];
            ++depth;
            v->format(held, sizeof held);
            --depth;
            text = held;
        }
        else if (ok && v != nullptr)
            text = "<...>";
        else
            text = "<NULL>";
        break;
    }
    default:
        appendf(text, "<?%d>", k);
        break;
    }
    if (!ok)
        text = "<?>";
    return copyCut(text, buffer, length);
}

std::string cValue::toString() const
{
    char text[512];
    format(text, sizeof text);
    return text;
}

void cValue::print() const
{
    char text[256];
    format(text, sizeof text);
    messagef("%s", text);
}

} // namespace qelt
