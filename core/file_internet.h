// A read-only file fetched from an "http:" name.
#pragma once

#include "core/file.h"
#include "platform/http.h"

#include <memory>
#include <string>
#include <vector>

namespace qelt
{

// The whole body is fetched when the file is opened and then read from memory, so seek, tell and
// size are exact and a transfer that fails or stops short fails the open instead of leaving a
// short file. Clones share the body.
class cFileInternet : public cFile
{
  public:
    // Fetches url (already canonical); null with the reason in error when the transfer fails.
    static cFileInternet* open(const std::string& url, const platform::cHttpOptions& options,
                               std::string* error = nullptr);

    cFile* clone() const override;
    std::size_t read(void* buffer, std::size_t n) override;
    bool write(const void* buffer, std::size_t n) override;
    bool seek(int64_t offset, Origin origin) override;
    bool flush() override;
    int64_t tell() override;
    int64_t size() override;
    bool eof() override;

    const std::string& url() const { return url_; }

  private:
    cFileInternet(std::string url, std::shared_ptr<const std::vector<uint8_t>> body);

    std::string url_;
    std::shared_ptr<const std::vector<uint8_t>> body_; // shared with the clones
    std::size_t position_ = 0;
};

} // namespace qelt
