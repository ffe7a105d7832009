// Tests of the lexer: tokens, their values, comments, escapes, limits and bad bytes.
#include "shell/lexer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qelt
{
namespace
{

// Tokens as short texts: "n16" number, "r1.5/1" real and its int, "s<text>", "i<text>", "nl",
// "err", a character as itself.
std::vector<std::string> tokens(const std::string& text)
{
    cLexerStreamString stream(text);
    cLexer lexer(stream);
    std::vector<std::string> out;
    for (int guard = 0; guard < 100; ++guard)
    {
        const cToken token = lexer.next();
        switch (token.kind)
        {
        case eTokenEnd:
            return out;
        case eTokenError:
            out.push_back("err");
            break;
        case eTokenNumber:
            out.push_back("n" + std::to_string(token.number));
            break;
        case eTokenReal:
        {
            char buffer[64];
            std::snprintf(buffer, sizeof(buffer), "r%g/%d", token.real, token.number);
            out.push_back(buffer);
            break;
        }
        case eTokenString:
            out.push_back("s" + token.text);
            break;
        case eTokenIdentifier:
            out.push_back("i" + token.text);
            break;
        case eTokenNewline:
            out.push_back("nl");
            break;
        default:
            out.push_back(std::string(1, static_cast<char>(token.kind)));
            break;
        }
    }
    ADD_FAILURE() << "lexer did not reach the end of " << text;
    return out;
}

struct LexCase
{
    const char* name;
    std::string text;
    std::vector<std::string> expected;
};

class LexerTokens : public ::testing::TestWithParam<LexCase>
{
};

TEST_P(LexerTokens, GivesTheTokens)
{
    EXPECT_EQ(tokens(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, LexerTokens,
    ::testing::Values(
        LexCase{"empty", "", {}}, LexCase{"blanks", " \t\r\f", {}},
        LexCase{"decimal", "42", {"n42"}}, LexCase{"hexadecimal", "0x10", {"n16"}},
        LexCase{"octal", "010", {"n8"}}, LexCase{"hex_letters_continue_a_number", "12ab", {"n12"}},
        LexCase{"real", "1.5", {"r1.5/1"}}, LexCase{"real_without_fraction", "3.", {"r3/3"}},
        LexCase{"no_exponent", "1.5e3", {"r1.5/1", "ie3"}},
        LexCase{"second_dot_is_a_token", "1.2.3", {"r1.2/1", ".", "n3"}},
        LexCase{"number_wraps_to_32_bits", "0xFFFFFFFF", {"n-1"}},
        LexCase{"identifier", "_a1 b", {"i_a1", "ib"}},
        LexCase{"string", "\"hi there\"", {"shi there"}},
        LexCase{"escapes", "\"\\n\\t\\v\\b\\r\\f\\a\"", {"s\n\t\v\b\r\f\a"}},
        LexCase{"escaped_quote_and_backslash", "\"\\\"\\\\\\q\"", {"s\"\\q"}},
        LexCase{"hex_escape", "\"a\\x41b\"", {"saAb"}},
        LexCase{"hex_escape_takes_two_digits", "\"\\x414\"", {"sA4"}},
        LexCase{"hex_escape_one_digit", "\"\\x9z\"", {"s\tz"}},
        LexCase{"zero_escape", std::string("\"a\\0b\""), {std::string("sa\0b", 4)}},
        LexCase{"unterminated_string", "\"abc", {"err"}},
        LexCase{"unterminated_escape", "\"abc\\", {"err"}},
        LexCase{"newline", "a\nb", {"ia", "nl", "ib"}},
        LexCase{"hash_comment", "a # b c\nd", {"ia", "nl", "id"}},
        LexCase{"slash_comment", "a // b\nd", {"ia", "nl", "id"}},
        LexCase{"block_comment", "a /* b \n c */ d", {"ia", "id"}},
        LexCase{"block_comment_to_end", "a /* b", {"ia"}},
        LexCase{"block_comments_do_not_nest", "/* /* */ x */", {"ix", "*", "/"}},
        LexCase{"slash", "a / b", {"ia", "/", "ib"}},
        LexCase{"punctuation",
                "=+-*^().;),[$]",
                {"=", "+", "-", "*", "^", "(", ")", ".", ";", ")", ",", "[", "$", "]"}},
        LexCase{"control_byte_is_an_error", "a \x01 b", {"ia", "err", "ib"}},
        LexCase{"high_byte_is_an_error", "a \xC3", {"ia", "err"}},
        LexCase{"high_byte_in_string_is_kept", "\"\xC3\xA9\"", {"s\xC3\xA9"}},
        LexCase{"high_byte_in_comment_is_ignored", "# \xC3\nx", {"nl", "ix"}}),
    [](const auto& info) { return info.param.name; });

TEST(Lexer, CutsLongTokensAt1024Bytes)
{
    const std::string word(1500, 'a');
    const std::vector<std::string> got = tokens(word + " b \"" + std::string(2000, 'c') + "\"");
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0], "i" + std::string(kTokenTextLimit, 'a'));
    EXPECT_EQ(got[1], "ib");
    EXPECT_EQ(got[2], "s" + std::string(kTokenTextLimit, 'c'));
}

TEST(Lexer, SaysWhichByteIsBad)
{
    cLexerStreamString stream("\x7f");
    cLexer lexer(stream);
    const cToken token = lexer.next();
    EXPECT_EQ(token.kind, eTokenError);
    EXPECT_EQ(token.error, "unexpected byte 0x7F outside a string or comment");
}

TEST(Lexer, CountsLinesAndStopsAtTerminator)
{
    cLexerStreamString stream(std::string("a\nb\nc\0d", 7), "src");
    cLexer lexer(stream);
    int identifiers = 0;
    for (cToken t = lexer.next(); t.kind != eTokenEnd; t = lexer.next())
        identifiers += t.kind == eTokenIdentifier;
    EXPECT_EQ(identifiers, 3);
    EXPECT_EQ(stream.line(), 3);
    EXPECT_EQ(stream.sourceName(), "src");
}

TEST(Lexer, NullStreamIsAtTheEnd)
{
    cLexerStreamNull stream;
    cLexer lexer(stream);
    EXPECT_TRUE(stream.atEnd());
    EXPECT_EQ(lexer.next().kind, eTokenEnd);
    EXPECT_EQ(lexer.next().kind, eTokenEnd);
}

} // namespace
} // namespace qelt
