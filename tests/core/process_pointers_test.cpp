// The process pointers: the published variable, the table, the shared-service accessor, and two
// real modules of one process meeting in one table and one log manager.
#include "core/process_pointers.h"

#include "core/file_manager.h"
#include "core/log_manager.h"
#include "platform/shared_library.h"
#include "platform/system.h"
#include "tests/support/log_capture.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>

namespace qelt
{
namespace
{

using platform::getEnvironment;
using platform::setEnvironment;

// Puts the variable back as it was, so the process's own table stays published.
class cVariableGuard
{
  public:
    cVariableGuard() : saved_(getEnvironment(kProcessPointersVariable)) {}
    ~cVariableGuard() { setEnvironment(kProcessPointersVariable, saved_); }

  private:
    std::optional<std::string> saved_;
};

// A table of the test's own, made and published as a module would and deleted at the end.
class cOwnTable
{
  public:
    cOwnTable()
    {
        setEnvironment(kProcessPointersVariable, std::nullopt);
        bool created = false;
        table_ = attachProcessPointers(&created);
        EXPECT_TRUE(created);
    }
    ~cOwnTable() { destroyProcessPointers(table_); }
    cProcessPointers* operator->() const { return table_; }
    cProcessPointers* get() const { return table_; }

  private:
    cVariableGuard variable_;
    cProcessPointers* table_;
};

// ---------------------------------------------------------------------------------------------
// The variable
// ---------------------------------------------------------------------------------------------

TEST(ProcessPointersVariable, FormatsIdAndAddressInUpperCaseHexadecimal)
{
    EXPECT_EQ(formatProcessPointersVariable(0x1a2b, 0x7f00deadbeefULL),
              "00001A2B,00007F00DEADBEEF");
    EXPECT_EQ(formatProcessPointersVariable(0xffffffffu, UINTPTR_MAX), "FFFFFFFF,FFFFFFFFFFFFFFFF");
    EXPECT_EQ(formatProcessPointersVariable(1, 1).size(), kProcessPointersVariableLength);
}

struct VariableCase
{
    const char* name;
    const char* text;
    std::optional<uintptr_t> expected; // read for process id 0x1A2B
};

void PrintTo(const VariableCase& row, std::ostream* out)
{
    *out << row.name;
}

class ProcessPointersVariableParse : public ::testing::TestWithParam<VariableCase>
{
};

TEST_P(ProcessPointersVariableParse, AcceptsOnlyThisProcessAtExactLength)
{
    EXPECT_EQ(parseProcessPointersVariable(GetParam().text, 0x1a2b), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProcessPointersVariableParse,
    ::testing::Values(VariableCase{"this_process", "00001A2B,00007F00DEADBEEF", 0x7f00deadbeefULL},
                      VariableCase{"lower_case_digits", "00001a2b,00007f00deadbeef",
                                   0x7f00deadbeefULL},
                      VariableCase{"another_process", "00001A2C,00007F00DEADBEEF", std::nullopt},
                      VariableCase{"thirty_two_bit_form", "00001A2B,DEADBEEF", std::nullopt},
                      VariableCase{"one_short", "00001A2B,00007F00DEADBEE", std::nullopt},
                      VariableCase{"one_long", "00001A2B,00007F00DEADBEEF0", std::nullopt},
                      VariableCase{"trailing_blank", "00001A2B,0007F00DEADBEEF ", std::nullopt},
                      VariableCase{"no_comma", "00001A2B;00007F00DEADBEEF", std::nullopt},
                      VariableCase{"not_hexadecimal", "00001A2B,00007F00DEADBEEG", std::nullopt},
                      VariableCase{"sign_in_id", "-0001A2B,00007F00DEADBEEF", std::nullopt},
                      VariableCase{"null_address", "00001A2B,0000000000000000", std::nullopt},
                      VariableCase{"empty", "", std::nullopt}),
    [](const ::testing::TestParamInfo<VariableCase>& info) { return info.param.name; });

TEST(ProcessPointersVariable, AnotherProcesssVariableIsReplacedByANewTable)
{
    cVariableGuard variable;
    const std::string stale = formatProcessPointersVariable(platform::processId() + 1, 0x1234);
    ASSERT_TRUE(setEnvironment(kProcessPointersVariable, stale));

    bool created = false;
    cProcessPointers* table = attachProcessPointers(&created);
    ASSERT_NE(table, nullptr);
    EXPECT_TRUE(created);
    EXPECT_NE(reinterpret_cast<uintptr_t>(table), uintptr_t(0x1234));
    EXPECT_EQ(
        getEnvironment(kProcessPointersVariable),
        formatProcessPointersVariable(platform::processId(), reinterpret_cast<uintptr_t>(table)));

    // The next module of this process finds that table.
    bool createdAgain = true;
    EXPECT_EQ(attachProcessPointers(&createdAgain), table);
    EXPECT_FALSE(createdAgain);
    destroyProcessPointers(table);
}

TEST(ProcessPointersVariable, TheModulesTableIsPublishedAndCached)
{
    cProcessPointers* table = processPointers();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(processPointers(), table);
    EXPECT_EQ(
        getEnvironment(kProcessPointersVariable),
        formatProcessPointersVariable(platform::processId(), reinterpret_cast<uintptr_t>(table)));
}

// ---------------------------------------------------------------------------------------------
// The table
// ---------------------------------------------------------------------------------------------

TEST(ProcessPointersTable, ASecondSetOfANameKeepsTheFirstPointer)
{
    cOwnTable table;
    int first = 0;
    int second = 0;
    table->set("Shell", &first);
    table->set("Shell", &second);
    EXPECT_EQ(table->get("Shell"), &first);
    EXPECT_EQ(table->count(), 1);
    // Names compare byte for byte.
    table->set("shell", &second);
    EXPECT_EQ(table->get("shell"), &second);
    EXPECT_EQ(table->count(), 2);
}

TEST(ProcessPointersTable, EnumeratesNamesInAscendingByteOrder)
{
    cOwnTable table;
    int object = 0;
    for (const char* name : {"Shell", "LogManager", "EventDispatcher", "Log", "input", "Input",
                             "FileManager", "CommandConsole"})
        table->set(name, &object);

    std::vector<std::string> names;
    for (int i = 0; i < table->count(); ++i)
        names.push_back(table->nameAt(i));
    EXPECT_EQ(names, (std::vector<std::string>{"CommandConsole", "EventDispatcher", "FileManager",
                                               "Input", "Log", "LogManager", "Shell", "input"}));
    EXPECT_EQ(table->nameAt(-1), nullptr);
    EXPECT_EQ(table->nameAt(table->count()), nullptr);
}

TEST(ProcessPointersTable, AMissingNameIsNullAndReportedOnTheDebugChannel)
{
    cOwnTable table;
    const bool before = platform::debugOutputEnabled();
    platform::setDebugOutputEnabled(true);
    ::testing::internal::CaptureStderr();
    void* found = table->get("Missing");
    void* none = table->get(nullptr);
    const std::string written = ::testing::internal::GetCapturedStderr();
    platform::setDebugOutputEnabled(before);

    EXPECT_EQ(found, nullptr);
    EXPECT_EQ(none, nullptr);
    EXPECT_NE(written.find("cProcessPointers::get(\"Missing\") failed\n"), std::string::npos)
        << written;
}

// ---------------------------------------------------------------------------------------------
// Shared services
// ---------------------------------------------------------------------------------------------

int g_made = 0;
int g_service = 0;

void* makeService()
{
    ++g_made;
    return &g_service;
}

// Restores the module's role however the test ends.
class cRoleGuard
{
  public:
    explicit cRoleGuard(ModuleRole role) : saved_(moduleRole()) { setModuleRole(role); }
    ~cRoleGuard() { setModuleRole(saved_); }

  private:
    ModuleRole saved_;
};

TEST(SharedService, APlugInNeverMakesAServiceAndSaysSo)
{
    cRoleGuard role(ModuleRole::PlugIn);
    std::atomic<void*> cache{nullptr};
    g_made = 0;
    const bool before = platform::debugOutputEnabled();
    platform::setDebugOutputEnabled(true);
    ::testing::internal::CaptureStderr();
    void* service = sharedService(cache, "Test.PlugInOnly", "cTestService", makeService);
    const std::string written = ::testing::internal::GetCapturedStderr();
    platform::setDebugOutputEnabled(before);

    EXPECT_EQ(service, nullptr);
    EXPECT_EQ(g_made, 0);
    EXPECT_EQ(cache.load(), nullptr);
    EXPECT_NE(written.find("PP: cTestService failed\n"), std::string::npos) << written;
}

TEST(SharedService, TheEngineMakesOnceRegistersAndCaches)
{
    cRoleGuard role(ModuleRole::Engine);
    // A fresh name on every run, since the process's table keeps what it was given.
    static int run = 0;
    const std::string name = "Test.EngineMade." + std::to_string(run++);
    std::atomic<void*> cache{nullptr};
    g_made = 0;
    void* service = sharedService(cache, name.c_str(), "cTestService", makeService);
    EXPECT_EQ(service, &g_service);
    EXPECT_EQ(g_made, 1);
    EXPECT_EQ(processPointers()->get(name.c_str()), &g_service);

    // Another module's cache, empty, finds the registered one; a plug-in does as well.
    std::atomic<void*> otherCache{nullptr};
    EXPECT_EQ(sharedService(otherCache, name.c_str(), "cTestService", makeService), &g_service);
    setModuleRole(ModuleRole::PlugIn);
    std::atomic<void*> plugInCache{nullptr};
    EXPECT_EQ(sharedService(plugInCache, name.c_str(), "cTestService", makeService), &g_service);
    EXPECT_EQ(g_made, 1);
}

// ---------------------------------------------------------------------------------------------
// Two real modules in this process
// ---------------------------------------------------------------------------------------------

class cProbeModule
{
  public:
    explicit cProbeModule(const std::string& name)
    {
        EXPECT_TRUE(library_.open(std::string(QELT_TEST_MODULE_DIR) + "/" + name + ".so"))
            << library_.error();
    }
    template <class F> F symbol(const char* name) const
    {
        auto* address = reinterpret_cast<F>(library_.symbol(name));
        EXPECT_NE(address, nullptr) << name;
        return address;
    }
    void* processPointers() const { return symbol<void* (*)()>("ProbeProcessPointers")(); }
    void* logManager() const { return symbol<void* (*)()>("ProbeLogManager")(); }
    void* fileManager() const { return symbol<void* (*)()>("ProbeFileManager")(); }
    void* accessorCode() const { return symbol<void* (*)()>("ProbeAccessorCode")(); }
    int message(const char* text) const
    {
        return symbol<int (*)(const char*)>("ProbeMessage")(text);
    }
    void set(const char* name, void* pointer) const
    {
        symbol<void (*)(const char*, void*)>("ProbeSet")(name, pointer);
    }
    void* get(const char* name) const { return symbol<void* (*)(const char*)>("ProbeGet")(name); }
    bool findFile(const char* name, const char* extensions, std::string* path) const
    {
        char buffer[512] = "";
        const bool found = symbol<bool (*)(const char*, const char*, char*, unsigned)>(
            "ProbeFindFile")(name, extensions, buffer, sizeof buffer);
        *path = buffer;
        return found;
    }

  private:
    platform::cSharedLibrary library_;
};

// The engine (this test program) makes the services before it loads the plug-ins, as the viewer
// does.
class TwoModules : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_NE(logManager(), nullptr);
        ASSERT_NE(fileManager(), nullptr);
    }

    cProbeModule a_{"core_module_a"};
    cProbeModule b_{"core_module_b"};
};

TEST_F(TwoModules, HaveTheirOwnCodeButFindOneTableAndOneLogManager)
{
    // Each module carries its own copy of the accessor, so nothing is shared by symbol binding.
    EXPECT_NE(a_.accessorCode(), b_.accessorCode());
    EXPECT_NE(a_.accessorCode(), reinterpret_cast<void*>(&processPointers));

    EXPECT_EQ(a_.processPointers(), processPointers());
    EXPECT_EQ(b_.processPointers(), processPointers());
    EXPECT_EQ(a_.logManager(), logManager());
    EXPECT_EQ(b_.logManager(), logManager());
    EXPECT_EQ(a_.fileManager(), fileManager());
    EXPECT_EQ(b_.fileManager(), fileManager());
}

TEST_F(TwoModules, LogIntoTheEnginesHandlers)
{
    testing::cLogCapture capture;
    EXPECT_EQ(a_.message("from a"), 1);
    EXPECT_EQ(b_.message("from b"), 1);
    const auto lines = capture.lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].text, "from a");
    EXPECT_EQ(lines[1].text, "from b");
    for (const auto& line : lines)
    {
        EXPECT_EQ(line.source, cLogManager::kSourceEngine);
        EXPECT_EQ(line.level, cLogManager::kLevelMessage);
    }
}

TEST_F(TwoModules, AFirstSetWinsAcrossModules)
{
    static int fromA = 0;
    static int fromB = 0;
    a_.set("Test.TwoModules", &fromA);
    b_.set("Test.TwoModules", &fromB);
    EXPECT_EQ(b_.get("Test.TwoModules"), &fromA);
    EXPECT_EQ(processPointers()->get("Test.TwoModules"), &fromA);
}

TEST_F(TwoModules, SearchTheEnginesPath)
{
    testing::cTempFolder folder;
    testing::writeText(folder / "plinth_gl.dll", "x");
    const std::string entry = folder.path() + "/";
    fileManager()->addPath(entry);
    std::string path;
    EXPECT_TRUE(b_.findFile("plinth_gl", "dll", &path));
    EXPECT_EQ(path, entry + "plinth_gl.dll");
    fileManager()->removePath(entry);
    EXPECT_FALSE(a_.findFile("plinth_gl", "dll", &path));
}

} // namespace
} // namespace qelt
