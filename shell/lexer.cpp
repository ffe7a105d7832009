// The lexer of the command language: a small automaton over the characters of a stream.
#include "shell/lexer.h"

#include <cstdio>
#include <cstdlib>

namespace qelt
{
namespace
{

bool isDigit(int c)
{
    return c >= '0' && c <= '9';
}

bool isLetter(int c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isHex(int c)
{
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

cToken makeToken(int kind)
{
    cToken token;
    token.kind = kind;
    return token;
}

int hexValue(int c)
{
    if (isDigit(c))
        return c - '0';
    return (c | 0x20) - 'a' + 10;
}

} // namespace

cLexer::cLexer(cLexerStream& stream) : stream_(stream)
{
    advance();
}

void cLexer::keep(std::string& text, int c)
{
    if (text.size() < kTokenTextLimit)
        text.push_back(static_cast<char>(c));
}

cToken cLexer::next()
{
    for (;;)
    {
        const int c = c_;
        if (c == 0)
            return makeToken(eTokenEnd);
        if (c == ' ' || c == '\t' || c == '\r' || c == '\f')
        {
            advance();
            continue;
        }
        if (c == '\n')
        {
            advance();
            return makeToken(eTokenNewline);
        }
        if (c == '#')
        {
            while (c_ != 0 && c_ != '\n')
                advance();
            continue;
        }
        if (c == '/')
        {
            advance();
            if (c_ == '/')
            {
                while (c_ != 0 && c_ != '\n')
                    advance();
                continue;
            }
            if (c_ == '*')
            {
                // Comments do not nest; the end of the input ends one too.
                advance();
                int previous = 0;
                while (c_ != 0 && !(previous == '*' && c_ == '/'))
                {
                    previous = c_;
                    advance();
                }
                if (c_ != 0)
                    advance();
                continue;
            }
            return makeToken('/');
        }
        if (isDigit(c))
            return number();
        if (isLetter(c) || c == '_')
        {
            cToken token = makeToken(eTokenIdentifier);
            while (isLetter(c_) || isDigit(c_) || c_ == '_')
            {
                keep(token.text, c_);
                advance();
            }
            return token;
        }
        if (c == '"')
            return string();
        if (c >= 33 && c <= 126)
        {
            advance();
            return makeToken(c);
        }
        // Control characters and bytes above 126 mean nothing outside strings and comments.
        cToken token = makeToken(eTokenError);
        char text[64];
        std::snprintf(text, sizeof(text), "unexpected byte 0x%02X outside a string or comment", c);
        token.error = text;
        advance();
        return token;
    }
}

cToken cLexer::number()
{
    std::string text;
    bool real = false;
    while (isDigit(c_) || c_ == 'x' || isHex(c_))
    {
        keep(text, c_);
        advance();
    }
    if (c_ == '.')
    {
        real = true;
        keep(text, c_);
        advance();
        while (isDigit(c_))
        {
            keep(text, c_);
            advance();
        }
    }
    cToken token;
    if (real)
    {
        token.kind = eTokenReal;
        token.real = static_cast<float>(std::atof(text.c_str()));
        // The truncated int; values beyond the int range are clamped rather than overflowing.
        const double v = static_cast<double>(token.real);
        token.number = v >= 2147483647.0    ? INT32_MAX
                       : v <= -2147483648.0 ? INT32_MIN
                       : v != v             ? 0
                                            : static_cast<int32_t>(v);
    }
    else
    {
        token.kind = eTokenNumber;
        const long v = std::strtol(text.c_str(), nullptr, 0);
        token.number = static_cast<int32_t>(static_cast<uint32_t>(static_cast<unsigned long>(v)));
        token.real = static_cast<float>(token.number);
    }
    return token;
}

cToken cLexer::string()
{
    cToken token = makeToken(eTokenString);
    advance(); // the opening quote
    for (;;)
    {
        if (c_ == 0 && stream_.atEnd())
            return makeToken(eTokenError);
        if (c_ == '"')
        {
            advance();
            return token;
        }
        if (c_ != '\\')
        {
            keep(token.text, c_);
            advance();
            continue;
        }
        advance();
        if (c_ == 0 && stream_.atEnd())
            return makeToken(eTokenError);
        int byte = c_;
        switch (c_)
        {
        case 'n':
            byte = 10;
            break;
        case 't':
            byte = 9;
            break;
        case 'v':
            byte = 11;
            break;
        case 'b':
            byte = 8;
            break;
        case 'r':
            byte = 13;
            break;
        case 'f':
            byte = 12;
            break;
        case 'a':
            byte = 7;
            break;
        case '0':
            byte = 0;
            break;
        case 'x':
        {
            advance();
            // At most two digits, so a letter a to f right after the escape stays a letter.
            int value = 0;
            for (int digits = 0; digits < 2 && isHex(c_); ++digits)
            {
                value = (value * 16 + hexValue(c_)) & 0xFF;
                advance();
            }
            keep(token.text, value);
            continue;
        }
        default:
            break;
        }
        keep(token.text, byte);
        advance();
    }
}

} // namespace qelt
