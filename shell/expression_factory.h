// Making expressions: what the parser and the stream loader build command trees with.
#pragma once

#include "core/expression.h"
#include "core/ref_count.h"

#include <string>
#include <vector>

namespace qelt
{

class cComponent;
class cValue;

cRef<cExpression> newVoidExpression();
// A constant with the value's current contents: a holder of its kind, a reference holder for a
// component, the void expression for void; an expression value of kind 16 and above is itself
// the result. Null when the kind has no holder (a colour, say) or the value cannot be read.
cRef<cExpression> newHolder(const cValue& value);
cRef<cExpression> newRefHolder(cComponent* component);
cRef<cExpression> newCall(cExpression* callee, std::vector<cRef<cExpression>> arguments);
cRef<cExpression> newBlock(std::vector<cRef<cExpression>> statements);
cRef<cExpression> newPoolName(std::string pool, std::string name);

} // namespace qelt
