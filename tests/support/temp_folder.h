// Scratch folders and small file helpers shared by the test suites.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

namespace qelt::testing
{

// A fresh folder under the temporary directory for one test, removed with everything in it.
class cTempFolder
{
  public:
    cTempFolder()
    {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "qelt-test-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr)
            path_ = pattern;
        EXPECT_FALSE(path_.empty()) << "cannot create a temporary folder";
    }
    ~cTempFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    cTempFolder(const cTempFolder&) = delete;
    cTempFolder& operator=(const cTempFolder&) = delete;

    // The folder itself, without a trailing "/".
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

// Makes a folder current for as long as it lives.
class cCurrentFolder
{
  public:
    explicit cCurrentFolder(const std::string& folder) : previous_(std::filesystem::current_path())
    {
        std::filesystem::current_path(folder);
    }
    ~cCurrentFolder() { std::filesystem::current_path(previous_); }
    cCurrentFolder(const cCurrentFolder&) = delete;
    cCurrentFolder& operator=(const cCurrentFolder&) = delete;

  private:
    std::filesystem::path previous_;
};

inline void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << "cannot write " << path;
}

inline void writeText(const std::string& path, const std::string& text)
{
    writeBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
}

inline std::vector<uint8_t> readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in),
                                std::istreambuf_iterator<char>());
}

inline std::string readText(const std::string& path)
{
    const std::vector<uint8_t> bytes = readBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

inline std::vector<uint8_t> bytesOf(const std::string& text)
{
    return {text.begin(), text.end()};
}

// Every file and folder below root, as sorted paths relative to it.
inline std::vector<std::string> listTree(const std::filesystem::path& root)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root))
        names.push_back(std::filesystem::relative(entry.path(), root).string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace qelt::testing
