// The stream reader: items from their byte encodings, and components rebuilt from their numbered
// inline definitions.
#pragma once

#include "core/component_type.h"
#include "core/stream.h"

#include <unordered_map>
#include <vector>

namespace qelt
{

// Reads straight from the file; a read past the end of the data throws the file's
// cFileException, which the reader lets through (readRoot catches it). Damaged input that the
// file cannot see (a type that cannot be made, a number never defined, a count larger than the
// bytes left, nesting too deep) abandons the load: error() names it and its byte offset, and
// every later read takes nothing, so nothing is read from a misaligned position.
//
// The reader holds a counted reference to every component it defined until it is destroyed.
class cStreamLoad final : public cStream
{
  public:
    // How deeply definitions may nest inside each other's bodies.
    static constexpr int kMaxDepth = 1024;

    explicit cStreamLoad(cFile& file);
    ~cStreamLoad() override;

    bool isLoading() const override { return true; }

    cStream& io(cQuaternionf& value) override;
    cStream& io(cColouri& value) override;
    cStream& io(cBox3f& value) override;
    cStream& io(cMatrix4f& value) override;
    cStream& io(cMatrix3f& value) override;
    cStream& io(cMatrix2f& value) override;
    cStream& io(cVector4f& value) override;
    cStream& io(cVector3f& value) override;
    cStream& io(cVector2f& value) override;
    cStream& io(float& value) override;
    cStream& io(uint32_t& value) override;
    cStream& io(int32_t& value) override;
    cStream& io(uint16_t& value) override;
    cStream& io(int16_t& value) override;
    cStream& io(uint8_t& value) override;
    cStream& io(int8_t& value) override;
    cStream& io(bool& value) override;
    // Bytes up to a 0 or 0xFF byte (taken, not kept) or until 512 are taken. Data that ends first
    // throws cFileException(Read).
    cStream& io(std::string& value) override;

    uint32_t readCount() override;
    void writeCount(uint32_t) override {}

    void writeShellName(cShellName*) override {}
    void writeExpression(cExpression*) override {}
    void writeComponent(cComponent*) override {}
    void writeFieldValue(const cFieldValue*) override {}

    cShellName* readShellName() override;
    cExpression* readExpression(cExpression* candidate) override;
    cComponent* readComponent(cComponent* candidate) override;
    std::unique_ptr<cFieldValue> readFieldValue() override;

    // Reads one component reference into root, as ioComponent does, and turns an early end of the
    // data into an abandoned load. True when the whole load went through.
    bool readRoot(cRef<cComponent>& root);

    // Whether a type that cannot be made also shows the modal "Could not create" box (on by
    // default; tools and tests that read many damaged streams turn it off). It is logged either
    // way.
    void setShowMessageBox(bool show) { showMessageBox_ = show; }

    // The component defined under a number, null when none.
    cComponent* component(uint32_t number) const;
    // Every component the stream defined, for those that must break the cycles a stream can
    // build (counting does not break them).
    std::vector<cComponent*> components() const;

  private:
    // Abandons the load: keeps the first reason, logs it with the offset.
    void fail(int64_t offset, const std::string& reason);
    // Reads n bytes or throws cFileException(Read, n).
    void readBytes(void* buffer, std::size_t n);
    std::string readText();
    std::string readTextByBytes();
    // A new component of the type, or null after the registry's messages.
    cComponent* create(const std::string& typeName, const std::string& instanceName);

    cFile& file_;                                               // not owned
    std::unordered_map<uint32_t, cRef<cComponent>> components_; // number -> counted component
    std::unordered_map<std::string, cComponentType::CreateFunction> creators_; // by full name
    std::vector<cRef<cComponent>> duplicates_; // counted: definitions of numbers seen before
    int64_t size_ = -1;                        // of the file, when it is known
    bool seekable_ = true;                     // texts are read in blocks and the rest given back
    int depth_ = 0;
    bool showMessageBox_ = true;
};

} // namespace qelt
