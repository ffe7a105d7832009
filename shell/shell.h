// The shell: the command interpreter, its tree of named groups, commands, variables and macros,
// and the lookups, parsing and running of command texts.
#pragma once

#include "core/component_type.h"
#include "core/event_sink.h"
#include "core/expression.h"
#include "core/namespace.h"
#include "core/ref_count.h"
#include "core/value_typed.h"
#include "shell/shell_call.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace qelt
{

class cEventType;
class cLexerStream;
class cShell;
class cShellGroup;

// ---- names --------------------------------------------------------------------------------------

// The naming part of every shell entry: its name and the dotted path of its group. A missing
// path, "" and "0" all mean the root group. Entries register themselves with a shell when
// constructed and unregister when destroyed.
class cShellName
{
  public:
    cShellName(const char* groupPath, const char* name, const char* help);
    virtual ~cShellName() = default;
    cShellName(const cShellName&) = delete;
    cShellName& operator=(const cShellName&) = delete;

    const std::string& name() const { return name_; }
    // "" for the root group.
    const std::string& groupPath() const { return groupPath_; }
    const std::string& help() const { return help_; }
    // The group path, ".", and the name; the name alone in the root group.
    std::string fullPath() const;
    // The entry as an expression, which is what its group holds; null when it is none.
    virtual cExpression* shellExpression() = 0;

  protected:
    // The shell the name is registered with; null when none.
    cShell* registeredShell() const { return shell_; }

  private:
    friend class cShell;
    std::string name_;
    std::string groupPath_;
    std::string help_;
    cShell* shell_ = nullptr;         // not owned; where the name is registered
    cShellGroup* placedIn_ = nullptr; // not owned; null until placed
};

// The expression part of a shell entry. Entries are owned by whoever made them (most are
// statics), not by the counts of the groups and trees that refer to them.
class cExpressionStatic : public cExpression
{
  public:
    static cComponentType& staticType();
    const cComponentType& getType() const override { return staticType(); }
    int kind() const override { return eValueVoid; }

  protected:
    void destroy() override {}
};

// The typed base of shell variables.
template <typename T> class cExpressionStaticTyped : public cValueTyped<T, cExpressionStatic>
{
};

// ---- entries ------------------------------------------------------------------------------------

// A directory of entries (kind 18); running or calling it makes it the current group.
class cShellGroup final : public cExpressionStatic, public cShellName, public cNamespace
{
  public:
    cShellGroup(const char* groupPath, const char* name, const char* help, cShell* shell = nullptr);
    ~cShellGroup() override;

    int kind() const override { return eValueGroup; }
    bool getNamespace(cNamespace*& out) const override;
    bool execute() override;
    bool call(cShellCall& call) override;
    cExpression* shellExpression() override { return this; }

    std::string getName() const override { return cShellName::name(); }
    bool add(const std::string& name, cExpression* entry) override { return addEntry(name, entry); }
    bool remove(cExpression* entry) override { return removeEntry(entry); }

  private:
    friend class cShell;
    // The root group, which is not registered anywhere.
    struct RootTag
    {
    };
    cShellGroup(RootTag, cShell& shell);
    bool registered_ = true;
};

using cShellHandler = std::function<void(cShellCall&)>;

// A command: calling it runs the handler, and the call counts as done whatever the handler did.
class cShellFunction final : public cExpressionStatic, public cShellName
{
  public:
    cShellFunction(cShellHandler handler, const char* groupPath, const char* name, const char* help,
                   cShell* shell = nullptr);
    ~cShellFunction() override;
    bool call(cShellCall& call) override;
    cExpression* shellExpression() override { return this; }

  private:
    cShellHandler handler_;
};

// A stored command text run by name; the call counts as done whatever the text did.
class cShellMacro final : public cExpressionStatic, public cShellName
{
  public:
    cShellMacro(std::string text, const char* groupPath, const char* name, const char* help,
                cShell* shell = nullptr);
    ~cShellMacro() override;
    bool call(cShellCall& call) override;
    cExpression* shellExpression() override { return this; }
    const std::string& text() const { return text_; }

  private:
    std::string text_;
};

// A program variable of type T under a shell name. Reading and "+=" / "-=" go through it;
// calling it and "=" do not.
template <typename T>
class cShellVariableGeneral : public cExpressionStaticTyped<T>, public cShellName
{
  public:
    cShellVariableGeneral(T* variable, const char* groupPath, const char* name, const char* help,
                          cShell* shell = nullptr);
    ~cShellVariableGeneral() override;
    cExpression* shellExpression() override { return this; }

  protected:
    bool read(T& out) const override
    {
        out = *variable_;
        return true;
    }
    bool write(const T& value) override
    {
        *variable_ = value;
        return true;
    }

  private:
    T* variable_; // not owned
};

// The same, refusing every change.
template <typename T> class cShellVariableReadOnly final : public cShellVariableGeneral<T>
{
  public:
    using cShellVariableGeneral<T>::cShellVariableGeneral;
    bool isReadOnly() const override { return true; }

  protected:
    bool write(const T&) override { return false; }
};

// ---- the shell ----------------------------------------------------------------------------------

// One per process. Its lock (re-entrant) guards parsing, placing, lookups and running; handlers
// run inside it and may call back into the shell. postCommand may be called from any thread.
class cShell : public cEventSink
{
  public:
    cShell();
    ~cShell() override;
    cShell(const cShell&) = delete;
    cShell& operator=(const cShell&) = delete;

    // Runs a posted "Shell" event's text and takes it; other events are left alone.
    int handle(cEvent& event) override;
    // Runs a text at once (executeText without a source name).
    virtual bool run(const char* text);
    // Completion of a partial text; never completes.
    virtual bool complete(std::string& text);

    // ---- lookups -------------------------------------------------------------------------------
    // The group a path names (first word as findName, then member by member); null if none.
    virtual cShellGroup* findGroup(const std::string& path);
    // From a group (null: the root), the entry a dotted path names; null if none.
    virtual cRef<cExpression> findPath(const std::string& path, cShellGroup* from);
    // The root group for ""; else the word in the current group, then in the search list from the
    // last group added back to the first.
    virtual cRef<cExpression> findName(const std::string& word);

    // ---- the group stack -----------------------------------------------------------------------
    virtual void pushGroup(cShellGroup* group);
    virtual void popGroup();
    virtual void popAllGroups();
    virtual cShellGroup* currentGroup();

    // ---- parsing and running -------------------------------------------------------------------
    // The tree of a text; null (after the parser's report) when it does not parse.
    virtual cRef<cExpression> parse(const char* text, const char* sourceName = nullptr);
    virtual cRef<cExpression> parseStream(cLexerStream& stream);
    // Parses and runs; reports "Shell: No command" or "Shell: Bad command" and answers false on
    // failure.
    virtual bool executeStream(cLexerStream& stream);
    virtual bool executeText(const char* text, const char* sourceName = nullptr);

    // ---- registration --------------------------------------------------------------------------
    // Queues the name to be placed in its group at the next lookup or parse.
    virtual void registerName(cShellName& name);
    // Removes the name from the queue or from its group.
    virtual void unregisterName(cShellName& name);
    virtual void addSearchGroup(cShellGroup* group);
    virtual void removeSearchGroup(cShellGroup* group);

    // ---- posting -------------------------------------------------------------------------------
    // Runs the text on the viewer thread at the next processing of events.
    virtual void postCommand(const std::string& text);
    // Attaches the shell to the "Shell" events, as postCommand does on first use.
    virtual void attachEvents();

    // ---- for the stream loader and saver -------------------------------------------------------
    // The shell name a dotted path names from the root group; null if none.
    virtual cShellName* findShellName(const std::string& path);
    // The name's full path (the text a stream stores for it).
    static std::string namePath(const cShellName& name) { return name.fullPath(); }

    // The root group, "Commands".
    virtual cShellGroup& rootGroup() { return *root_; }
    // How many texts failed to parse or run so far.
    virtual int failureCount() const { return failures_; }
    std::recursive_mutex& lock() { return lock_; }

  private:
    void placePending();
    cShellGroup* groupOf(const std::string& path);

    std::recursive_mutex lock_;
    std::unique_ptr<cShellGroup> root_;    // owned
    std::vector<cShellGroup*> groupStack_; // not owned
    std::vector<cShellGroup*> searchList_; // not owned
    std::vector<cShellName*> pending_;     // not owned
    std::atomic<bool> attached_{false}; // the shell listens to "Shell" events
    int failures_ = 0;
};

// The process's shell, found or made through the process pointers under "Shell". The module
// that makes it registers the built-in commands in it; every module that finds it lends its
// values and streams the shell's lookups. Everything another module may call is virtual, so it
// runs the code of the module that made the shell.
cShell* shell();

// The event type "Shell" that posted texts travel on.
cEventType& shellEventType();

// "quit" ends the process through this handler; the default exits with status 0. The engine
// replaces it with a clean shutdown.
using cQuitHandler = std::function<void()>;
void setQuitHandler(cQuitHandler handler);
void requestQuit();

// Registers the built-in commands in a shell; done once by shell() in the module that makes it.
void registerShellCommands(cShell& shell);

// Runs a script file line by line as "call" does; false when it cannot be opened.
bool runScriptFile(cShell& shell, const char* name);

template <typename T>
cShellVariableGeneral<T>::cShellVariableGeneral(T* variable, const char* groupPath,
                                                const char* name, const char* help, cShell* shell)
    : cShellName(groupPath, name, help), variable_(variable)
{
    cShell* target = shell != nullptr ? shell : qelt::shell();
    if (target != nullptr)
        target->registerName(*this);
}

template <typename T> cShellVariableGeneral<T>::~cShellVariableGeneral()
{
    if (this->registeredShell() != nullptr)
        this->registeredShell()->unregisterName(*this);
}

} // namespace qelt
