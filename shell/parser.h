// The parser of the command language: turns a command text into an expression tree, resolving
// names against the shell's groups as it goes.
#pragma once

#include "core/expression.h"
#include "core/ref_count.h"

#include <string>

namespace qelt
{

class cLexerStream;

// How the parser finds what a word names; the shell answers from its current group and search
// list.
class cParserNames
{
  public:
    virtual ~cParserNames() = default;
    // The entry a single word names; null when it names nothing.
    virtual cRef<cExpression> findName(const std::string& word) = 0;
};

// The most entries the parser's state stack holds; deeper nesting fails with
// "parser stack overflow".
inline constexpr int kParserStackLimit = 200;

// Parses the whole input. On success the tree of the command line (the void expression for an
// empty text); on failure null, after reporting "Parser: ..." at the message level.
cRef<cExpression> parseCommand(cLexerStream& stream, cParserNames& names);

} // namespace qelt
