// The scene stream: one item operation per type, so that a component's serialise routine reads and
// writes its body with the same code; and the shell hook through which streams name shell entries.
#pragma once

#include "core/math.h"
#include "core/ref_count.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace qelt
{

class cComponent;
class cExpression;
class cFieldValue;
class cFile;
class cShellName;

// Two corners, stored in order; which corner is which belongs to the class that stores the box.
struct cBox3f
{
    cVector3f minimum;
    cVector3f maximum;
    friend constexpr bool operator==(const cBox3f&, const cBox3f&) = default;
};

// The longest text a stream keeps; a writer cuts longer texts there so the stream stays readable.
inline constexpr std::size_t kStreamTextMax = 511;

// A stream sits on an open file it does not own and lives for one load or one save. Reading and
// writing share the item operations: the reader fills the variable, the writer writes it. Used by
// one thread at a time; no lock.
class cStream
{
  public:
    virtual ~cStream() = default;

    // True for the reader, false for the writer.
    virtual bool isLoading() const = 0;

    // ---- items: each returns the stream so calls chain ------------------------------------------
    virtual cStream& io(cQuaternionf& value) = 0;
    virtual cStream& io(cColouri& value) = 0;
    virtual cStream& io(cBox3f& value) = 0;
    virtual cStream& io(cMatrix4f& value) = 0;
    virtual cStream& io(cMatrix3f& value) = 0;
    virtual cStream& io(cMatrix2f& value) = 0;
    virtual cStream& io(cVector4f& value) = 0;
    virtual cStream& io(cVector3f& value) = 0;
    virtual cStream& io(cVector2f& value) = 0;
    virtual cStream& io(float& value) = 0;
    virtual cStream& io(uint32_t& value) = 0;
    virtual cStream& io(int32_t& value) = 0;
    virtual cStream& io(uint16_t& value) = 0;
    virtual cStream& io(int16_t& value) = 0;
    virtual cStream& io(uint8_t& value) = 0;
    virtual cStream& io(int8_t& value) = 0;
    virtual cStream& io(bool& value) = 0;
    virtual cStream& io(std::string& value) = 0;

    // ---- containers: a count, the elements, then endList ----------------------------------------
    // Reader: the count of the container that follows; writer: 0.
    virtual uint32_t readCount() = 0;
    // Writer: writes the count; reader: nothing.
    virtual void writeCount(uint32_t count) = 0;
    // Closes a container; no bytes either way.
    virtual void endList() {}
    // A note for text streams; binary streams write nothing.
    virtual void commentf(const char* format, ...) __attribute__((format(printf, 2, 3))) {}

    // ---- references, writer side (the reader ignores them) --------------------------------------
    virtual void writeShellName(cShellName* name) = 0;
    virtual void writeExpression(cExpression* expression) = 0;
    virtual void writeComponent(cComponent* component) = 0;
    // Null writes a null owner and an empty field name.
    virtual void writeFieldValue(const cFieldValue* value) = 0;

    // ---- references, reader side (the writer returns null) --------------------------------------
    // The shell name at the path read, null when the shell has none.
    virtual cShellName* readShellName() = 0;
    // A component reference narrowed to an expression: null when it is none. The stream keeps
    // what it returns alive until it is destroyed.
    virtual cExpression* readExpression(cExpression* candidate) = 0;
    // A component reference. A definition fills candidate when one is given (its name and type are
    // kept), else a new component of the type read. The stream keeps it alive until destroyed.
    virtual cComponent* readComponent(cComponent* candidate) = 0;
    // A new non-owning field value of the owner read, null when the owner is null or lacks the
    // field.
    virtual std::unique_ptr<cFieldValue> readFieldValue() = 0;

    // ---- failure --------------------------------------------------------------------------------
    // True once a load was abandoned: from then on reads take no bytes, leave their variables as
    // they were, counts are 0 and references null. A writer never fails this way (its file throws).
    bool failed() const { return !error_.empty(); }
    // Why the load was abandoned, with the byte offset; empty while it goes on.
    const std::string& error() const { return error_; }

  protected:
    cStream() = default;
    cStream(const cStream&) = delete;
    cStream& operator=(const cStream&) = delete;

    std::string error_;
};

// 0 gives a new writer, 1 a new reader, anything else null. The caller owns stream and file and
// destroys the stream first; that releases every component the stream met.
std::unique_ptr<cStream> createStream(int mode, cFile& file);

// A counted component variable through a stream: writing writes its object; reading reads a
// reference with the current object as candidate and stores the result, so a null reference
// clears the variable. A result of another class than T reads as null. An abandoned load leaves
// the variable alone.
template <class T> void ioComponent(cStream& stream, cRef<T>& variable)
{
    if (!stream.isLoading())
    {
        stream.writeComponent(variable.get());
        return;
    }
    if (stream.failed())
        return;
    cComponent* read = stream.readComponent(variable.get());
    if (!stream.failed())
        variable = dynamic_cast<T*>(read);
}

// The shell lends streams its names: the entry at a dotted path, and the path of an entry. Until a
// shell installs it, shell names read as null and write as empty paths.
struct cStreamShellLink
{
    std::function<cShellName*(const std::string& path)> findName;
    std::function<std::string(const cShellName& name)> namePath;
};
void setStreamShellLink(cStreamShellLink link);
const cStreamShellLink& streamShellLink();

} // namespace qelt
