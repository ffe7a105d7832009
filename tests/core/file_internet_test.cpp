// "http:" names opened through the file manager against a real server on 127.0.0.1: whole
// bodies, seeking, redirects, and every way a transfer can fail.
#include "core/file_internet.h"

#include "core/file_manager.h"
#include "platform/system.h"
#include "tests/support/http_server.h"
#include "tests/support/log_capture.h"

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

namespace qelt
{
namespace
{

using testing::cHttpReply;
using testing::cHttpServer;

std::string readAll(cFile& file)
{
    std::string text;
    char buffer[1000];
    std::size_t got;
    while ((got = file.read(buffer, sizeof buffer)) > 0)
        text.append(buffer, got);
    return text;
}

std::string sampleBody(std::size_t size)
{
    std::string body;
    for (std::size_t i = 0; i < size; ++i)
        body += char((i * 7 + i / 256) & 0xff);
    return body;
}

// Short time-outs, so the failing cases end quickly.
platform::cHttpOptions quickOptions()
{
    platform::cHttpOptions options;
    options.connectTimeoutMs = 2000;
    options.stallTimeoutMs = 1000;
    options.totalTimeoutMs = 10000;
    options.maxBytes = 1 << 20;
    return options;
}

class HttpFile : public ::testing::Test
{
  protected:
    HttpFile() { files_.setInternetOptions(quickOptions()); }

    std::unique_ptr<cFile> open(const std::string& name, const char* extensions = nullptr)
    {
        return std::unique_ptr<cFile>(files_.openFile(name.c_str(), extensions));
    }

    cHttpServer server_;
    cFileManager files_;
};

TEST_F(HttpFile, ReadsTheWholeBodyAsTheViewer)
{
    const std::string body = sampleBody(100000);
    server_.reply("/scene/core.dat", cHttpReply(200, body));
    std::unique_ptr<cFile> file = open(server_.url("/scene/core.dat"));
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->size(), int64_t(body.size()));
    EXPECT_EQ(readAll(*file), body);
    EXPECT_TRUE(file->eof());
    EXPECT_FALSE(file->write("x", 1));

    const auto requests = server_.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].userAgent, "Vandrel Viewer");
}

TEST_F(HttpFile, SeeksTellsAndSizes)
{
    const std::string body = "0123456789abcdefghij";
    server_.reply("/data.bin", cHttpReply(200, body));
    std::unique_ptr<cFile> file = open(server_.url("/data.bin"));
    ASSERT_NE(file, nullptr);
    char buffer[4] = {};

    ASSERT_TRUE(file->seek(10, cFile::Begin));
    ASSERT_EQ(file->read(buffer, 3), 3u);
    EXPECT_EQ(std::string(buffer, 3), "abc");
    EXPECT_EQ(file->tell(), 13);

    ASSERT_TRUE(file->seek(-5, cFile::Current));
    EXPECT_EQ(file->tell(), 8);
    ASSERT_TRUE(file->seek(-3, cFile::End));
    EXPECT_EQ(readAll(*file), "hij");

    // Before the start fails and stays; past the end stops at the end.
    EXPECT_FALSE(file->seek(-1, cFile::Begin));
    EXPECT_EQ(file->tell(), 20);
    ASSERT_TRUE(file->seek(5, cFile::End));
    EXPECT_EQ(file->tell(), 20);
    EXPECT_TRUE(file->eof());
    EXPECT_EQ(file->size(), 20);

    // A clone shares the body and keeps its own position.
    ASSERT_TRUE(file->seek(2, cFile::Begin));
    std::unique_ptr<cFile> clone(file->clone());
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(clone->tell(), 0);
    EXPECT_EQ(readAll(*clone), body);
    EXPECT_EQ(file->tell(), 2);
    EXPECT_EQ(server_.requests().size(), 1u);
}

TEST_F(HttpFile, BuildsTheURLFromTheNameAndFollowsRedirects)
{
    server_.reply("/pictures/wall.jpg", cHttpReply(200, "picture"));
    server_.reply("/old/wall.jpg", cHttpReply(302).redirectingTo("/pictures/wall.jpg"));
    // The server sees the target as sent.
    server_.reply("/with%20space.txt", cHttpReply(200, "spaced"));
    server_.reply("/a/b.txt", cHttpReply(200, "dotted"));

    struct Case
    {
        std::string name;
        const char* extensions;
        const char* body;
        const char* firstTarget;
    };
    const Case cases[] = {
        {server_.url("/pictures/wall"), "jpg", "picture", "/pictures/wall.jpg"},
        {server_.url("/old/wall.jpg"), nullptr, "picture", "/old/wall.jpg"},
        {server_.url("/with space.txt"), nullptr, "spaced", "/with%20space.txt"},
        {server_.url("/a\\c\\..\\b.txt"), nullptr, "dotted", "/a/b.txt"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const std::size_t before = server_.requests().size();
        std::unique_ptr<cFile> file = open(c.name, c.extensions);
        ASSERT_NE(file, nullptr);
        EXPECT_EQ(readAll(*file), c.body);
        const auto requests = server_.requests();
        ASSERT_GT(requests.size(), before);
        EXPECT_EQ(requests[before].target, c.firstTarget);
    }
}

// ---------------------------------------------------------------------------------------------
// Failures: never a file, always a reason on the debug level
// ---------------------------------------------------------------------------------------------

struct FailureCase
{
    const char* name;
    cHttpReply reply; // served at /file
    long totalTimeoutMs;
    const char* reason; // part of the debug line
};

void PrintTo(const FailureCase& row, std::ostream* out)
{
    *out << row.name;
}

class HttpFailure : public HttpFile, public ::testing::WithParamInterface<FailureCase>
{
};

TEST_P(HttpFailure, GivesNoFile)
{
    const FailureCase& row = GetParam();
    platform::cHttpOptions options = quickOptions();
    options.totalTimeoutMs = row.totalTimeoutMs;
    files_.setInternetOptions(options);
    server_.reply("/file", row.reply);

    const bool before = platform::debugOutputEnabled();
    platform::setDebugOutputEnabled(true);
    testing::cLogCapture capture(logManager(), cLogManager::kLevelDebug);
    std::unique_ptr<cFile> file = open(server_.url("/file"));
    platform::setDebugOutputEnabled(before);

    EXPECT_EQ(file, nullptr);
    const auto texts = capture.texts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_NE(texts[0].find("Could not open " + server_.url("/file")), std::string::npos)
        << texts[0];
    EXPECT_NE(texts[0].find(row.reason), std::string::npos) << texts[0];
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HttpFailure,
    ::testing::Values(
        FailureCase{"not_found", cHttpReply(404, "gone"), 10000, "HTTP status 404"},
        FailureCase{"server_error", cHttpReply(500, "broken"), 10000, "HTTP status 500"},
        FailureCase{"short_transfer", cHttpReply(200, std::string(50, 'x')).declaring(100), 10000,
                    "remaining"},
        FailureCase{"stall_in_the_body", cHttpReply(200, std::string(100, 'x')).stallingAfter(40),
                    0, "no data for 1000 ms"},
        FailureCase{"stall_before_the_answer", cHttpReply(200, "never").stallingBeforeHeaders(),
                    300, "timed out"},
        FailureCase{"larger_than_allowed", cHttpReply(200, std::string((1 << 20) + 1, 'x')), 10000,
                    "larger than"}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return info.param.name; });

TEST_F(HttpFile, ADeadPortOrANameThatIsNoURLGivesNoFile)
{
    // A port that was just free: nobody listens there.
    int port = 0;
    {
        cHttpServer gone;
        const std::string url = gone.url("");
        port = std::stoi(url.substr(url.rfind(':') + 1));
    }
    const std::string dead = "http://127.0.0.1:" + std::to_string(port) + "/file";
    EXPECT_EQ(open(dead), nullptr);
    EXPECT_EQ(open("http:no-host"), nullptr);
    EXPECT_EQ(open("http://"), nullptr);
}

} // namespace
} // namespace qelt
