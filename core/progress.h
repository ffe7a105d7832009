// The progress receiver that loading, archive reads and capture report to.
#pragma once

namespace qelt
{

// Keeps a value and the total that means "finished". Subclasses that draw a progress screen
// replace setValue. Not thread-safe: the owner of the load that reports to it guards it.
class cProgress
{
  public:
    virtual ~cProgress() = default;
    // A notification with one argument; the base ignores it.
    virtual void notify(int code) {}
    // A question the base answers with false.
    virtual bool query() const { return false; }
    // Moves the value forward by amount.
    virtual void advance(float amount) { setValue(value_ + amount); }
    // Sets the value.
    virtual void setValue(float value) { value_ = value; }

    float value() const { return value_; }
    float total() const { return total_; }
    void setTotal(float total) { total_ = total; }

  protected:
    float value_ = 0;
    float total_ = 0;
};

} // namespace qelt
