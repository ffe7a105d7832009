// The stream writer: items in their byte encodings, components as numbered inline definitions.
#pragma once

#include "core/stream.h"

#include <unordered_map>

namespace qelt
{

// Every write goes straight to the file, which throws cFileException when it cannot take it. The
// first reference to a component writes its definition, later ones its number; the writer counts
// nothing and keeps every component it numbered only by identity, so they must outlive it.
class cStreamSave final : public cStream
{
  public:
    explicit cStreamSave(cFile& file) : file_(file) {}

    bool isLoading() const override { return false; }

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
    // The bytes up to the first 0 or 0xFF, at most kStreamTextMax of them, then a 0 byte: what a
    // reader can take back.
    cStream& io(std::string& value) override;

    uint32_t readCount() override { return 0; }
    void writeCount(uint32_t count) override;

    void writeShellName(cShellName* name) override;
    void writeExpression(cExpression* expression) override;
    void writeComponent(cComponent* component) override;
    void writeFieldValue(const cFieldValue* value) override;

    cShellName* readShellName() override { return nullptr; }
    cExpression* readExpression(cExpression*) override { return nullptr; }
    cComponent* readComponent(cComponent*) override { return nullptr; }
    std::unique_ptr<cFieldValue> readFieldValue() override;

    // The number given to a component so far, 0 when it was not written.
    uint32_t numberOf(const cComponent* component) const;

  private:
    void writeText(const std::string& text);

    cFile& file_;                                             // not owned
    std::unordered_map<const cComponent*, uint32_t> numbers_; // identity -> number
    uint32_t next_ = 1;
};

} // namespace qelt
