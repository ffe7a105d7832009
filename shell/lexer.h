// The lexer of the command language: character streams and the tokens read from them.
#pragma once

#include <cstdint>
#include <string>

namespace qelt
{

// ---- input streams ------------------------------------------------------------------------------

// Characters of one command text with a source name and a line count for messages.
class cLexerStream
{
  public:
    virtual ~cLexerStream() = default;

    // The name messages give the text; empty when it has none.
    const std::string& sourceName() const { return sourceName_; }
    int line() const { return line_; }
    // How many characters next has handed out.
    int64_t position() const { return position_; }
    // The character last handed out by next (0 at the end).
    int current() const { return current_; }

    // The next character as an unsigned byte; 0 at the end of the input.
    virtual int next() = 0;
    // True when no character is left.
    virtual bool atEnd() const = 0;

  protected:
    explicit cLexerStream(std::string sourceName) : sourceName_(std::move(sourceName)) {}
    // Bookkeeping for next: counts the character and the lines.
    int took(int c)
    {
        current_ = c;
        if (c != 0)
            ++position_;
        if (c == '\n')
            ++line_;
        return c;
    }

  private:
    std::string sourceName_;
    int line_ = 1;
    int64_t position_ = 0;
    int current_ = 0;
};

// A text read up to its terminator (or its length).
class cLexerStreamString final : public cLexerStream
{
  public:
    explicit cLexerStreamString(std::string text, std::string sourceName = {})
        : cLexerStream(std::move(sourceName)), text_(std::move(text))
    {
    }
    int next() override
    {
        if (atEnd())
            return took(0);
        return took(static_cast<unsigned char>(text_[index_++]));
    }
    bool atEnd() const override { return index_ >= text_.size() || text_[index_] == '\0'; }

  private:
    std::string text_;
    std::size_t index_ = 0;
};

// Always at the end.
class cLexerStreamNull final : public cLexerStream
{
  public:
    cLexerStreamNull() : cLexerStream({}) {}
    int next() override { return took(0); }
    bool atEnd() const override { return true; }
};

// ---- tokens -------------------------------------------------------------------------------------

enum eTokenKind : int
{
    eTokenEnd = 0,
    eTokenError = 1,
    eTokenNumber = 2,
    eTokenReal = 3,
    eTokenString = 4,
    eTokenIdentifier = 5,
    eTokenNewline = 6,
    // Any other kind is a printable character (33 to 126) standing for itself.
};

// The longest token text kept; further characters of a longer token are read and dropped.
inline constexpr std::size_t kTokenTextLimit = 1024;

struct cToken
{
    int kind = eTokenEnd;
    int32_t number = 0; // numbers, and reals truncated
    float real = 0.0f;  // reals, and numbers converted
    std::string text;   // identifiers and strings
    // For an error token: why, when there is more to say than a syntax error.
    std::string error;
};

// Reads tokens from a stream, which must outlive the lexer.
class cLexer
{
  public:
    explicit cLexer(cLexerStream& stream);

    // The next token; after the end of the input every call gives eTokenEnd.
    cToken next();
    cLexerStream& stream() const { return stream_; }

  private:
    void advance() { c_ = stream_.next(); }
    static void keep(std::string& text, int c);
    cToken number();
    cToken string();

    cLexerStream& stream_;
    int c_ = 0; // the character under examination; 0 at the end
};

} // namespace qelt
