// Writable values over plain variables for the value tests: the shape shell variables will have.
#pragma once

#include "core/value_typed.h"

#include <string>

namespace qelt::testing
{

// A variable of type T with the kind, getter and setter of T.
template <typename T> class cVariable final : public cValueTyped<T, cValue>
{
  public:
    explicit cVariable(T initial) : value(initial) {}
    T value;

  protected:
    bool read(T& out) const override
    {
        out = value;
        return true;
    }
    bool write(const T& v) override
    {
        value = v;
        return true;
    }
};

// A text variable reported as a string (kind 4) or an identifier (kind 5).
class cTextVariable final : public cValue
{
  public:
    cTextVariable(std::string initial, int kind = eValueString)
        : value(std::move(initial)), kind_(kind)
    {
    }
    int kind() const override { return kind_; }
    bool getCString(const char*& out) const override
    {
        out = value.c_str();
        return true;
    }
    bool setString(const std::string& v) override
    {
        value = v;
        return true;
    }
    std::string value;

  private:
    int kind_;
};

} // namespace qelt::testing
