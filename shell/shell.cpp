// The shell: registration and placing of names, lookups through groups and the search list,
// parsing and running of texts, and texts posted to run on the viewer thread.
#include "shell/shell.h"

#include "core/event.h"
#include "core/event_dispatcher.h"
#include "core/event_type.h"
#include "core/frame_clock.h"
#include "core/log_manager.h"
#include "core/process_pointers.h"
#include "core/stream.h"
#include "shell/lexer.h"
#include "shell/parser.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>

namespace qelt
{
namespace
{

[[maybe_unused]] const cComponentType& registered = cExpressionStatic::staticType();

std::string normalisedPath(const char* path)
{
    if (path == nullptr || (path[0] == '0' && path[1] == '\0'))
        return {};
    return path;
}

cShell* targetShell(cShell* given)
{
    return given != nullptr ? given : shell();
}

// The parser's view of the shell's names.
class cShellNames final : public cParserNames
{
  public:
    explicit cShellNames(cShell& shell) : shell_(shell) {}
    cRef<cExpression> findName(const std::string& word) override
    {
        // An empty word cannot come from the lexer; the root group is never found by a word.
        return word.empty() ? nullptr : shell_.findName(word);
    }

  private:
    cShell& shell_;
};

cQuitHandler& quitHandler()
{
    static cQuitHandler handler;
    return handler;
}

// The value interface's hooks into the process's shell.
bool linkFindGroup(const std::string& path, cNamespace*& out)
{
    cShell* s = shell();
    cShellGroup* group = s != nullptr ? s->findGroup(path) : nullptr;
    if (group == nullptr)
        return false;
    out = group;
    return true;
}

std::string linkNamePath(const cShellName& name)
{
    return name.fullPath();
}

} // namespace

// ---- names and entries --------------------------------------------------------------------------

cShellName::cShellName(const char* groupPath, const char* name, const char* help)
    : name_(name != nullptr ? name : ""), groupPath_(normalisedPath(groupPath)),
      help_(help != nullptr ? help : "")
{
}

std::string cShellName::fullPath() const
{
    return groupPath_.empty() ? name_ : groupPath_ + "." + name_;
}

cComponentType& cExpressionStatic::staticType()
{
    static cComponentType type("Static", &cExpression::staticType(), nullptr);
    return type;
}

cShellGroup::cShellGroup(const char* groupPath, const char* name, const char* help, cShell* shell)
    : cShellName(groupPath, name, help)
{
    if (cShell* target = targetShell(shell))
        target->registerName(*this);
}

cShellGroup::cShellGroup(RootTag, cShell&) : cShellName(nullptr, "Commands", "Shell commands")
{
    registered_ = false;
}

cShellGroup::~cShellGroup()
{
    if (registered_ && registeredShell() != nullptr)
        registeredShell()->unregisterName(*this);
}

bool cShellGroup::getNamespace(cNamespace*& out) const
{
    out = const_cast<cShellGroup*>(this);
    return true;
}

bool cShellGroup::execute()
{
    cShell* s = registeredShell() != nullptr ? registeredShell() : shell();
    if (s == nullptr)
        return false;
    s->pushGroup(this);
    return true;
}

bool cShellGroup::call(cShellCall&)
{
    return execute();
}

cShellFunction::cShellFunction(cShellHandler handler, const char* groupPath, const char* name,
                               const char* help, cShell* shell)
    : cShellName(groupPath, name, help), handler_(std::move(handler))
{
    if (cShell* target = targetShell(shell))
        target->registerName(*this);
}

cShellFunction::~cShellFunction()
{
    if (registeredShell() != nullptr)
        registeredShell()->unregisterName(*this);
}

bool cShellFunction::call(cShellCall& call)
{
    if (handler_)
        handler_(call);
    return true;
}

cShellMacro::cShellMacro(std::string text, const char* groupPath, const char* name,
                         const char* help, cShell* shell)
    : cShellName(groupPath, name, help), text_(std::move(text))
{
    if (cShell* target = targetShell(shell))
        target->registerName(*this);
}

cShellMacro::~cShellMacro()
{
    if (registeredShell() != nullptr)
        registeredShell()->unregisterName(*this);
}

bool cShellMacro::call(cShellCall&)
{
    cShell* s = registeredShell() != nullptr ? registeredShell() : shell();
    if (s != nullptr)
        s->executeText(text_.c_str(), cShellName::name().c_str());
    return true;
}

// ---- the shell ----------------------------------------------------------------------------------

cShell::cShell()
{
    root_.reset(new cShellGroup(cShellGroup::RootTag{}, *this));
    searchList_.push_back(root_.get());
}

cShell::~cShell()
{
    if (attached_)
        shellEventType().removeSink(this);
    // Entries that outlive the shell must not call back into it.
    for (cShellName* name : pending_)
        name->shell_ = nullptr;
    std::vector<cShellGroup*> groups{root_.get()};
    for (std::size_t g = 0; g < groups.size(); ++g)
    {
        for (int i = 0; i < groups[g]->size(); ++i)
        {
            cRef<cExpression> entry = groups[g]->entryAt(i);
            if (auto* name = dynamic_cast<cShellName*>(entry.get()))
            {
                name->shell_ = nullptr;
                name->placedIn_ = nullptr;
            }
            if (auto* group = dynamic_cast<cShellGroup*>(entry.get()))
                groups.push_back(group);
        }
    }
}

int cShell::handle(cEvent& event)
{
    auto* posted = dynamic_cast<cEventShell*>(&event);
    if (posted == nullptr)
        return eEventContinue;
    executeText(posted->command().c_str());
    return eEventTaken;
}

bool cShell::run(const char* text)
{
    return executeText(text);
}

bool cShell::complete(std::string&)
{
    return false;
}

// Places the queued names: by group path, so root entries come first and every group is in place
// before the entries inside it.
void cShell::placePending()
{
    if (pending_.empty())
        return;
    std::vector<cShellName*> names;
    names.swap(pending_);
    std::stable_sort(names.begin(), names.end(),
                     [](const cShellName* a, const cShellName* b)
                     { return a->groupPath() < b->groupPath(); });
    for (cShellName* name : names)
    {
        cShellGroup* group = groupOf(name->groupPath());
        if (group == nullptr)
        {
            messagef("cShell: Could not find group '%s' for command '%s'\n",
                     name->groupPath().c_str(), name->name().c_str());
            continue;
        }
        cExpression* entry = name->shellExpression();
        if (entry == nullptr)
        {
            messagef("cShell: %s cannot be converted to an expression\n", name->fullPath().c_str());
            continue;
        }
        if (!group->add(name->name(), entry))
        {
            messagef("cShell: %s cannot be added to shellGroup '%s'\n", name->name().c_str(),
                     name->groupPath().c_str());
            continue;
        }
        name->placedIn_ = group;
    }
}

// The group of a registered group path, followed from the root group.
cShellGroup* cShell::groupOf(const std::string& path)
{
    if (path.empty())
        return root_.get();
    cRef<cExpression> entry = findPath(path, root_.get());
    return dynamic_cast<cShellGroup*>(entry.get());
}

cShellGroup* cShell::findGroup(const std::string& path)
{
    std::lock_guard<std::recursive_mutex> guard(lock_);
    placePending();
    if (path.empty())
        return root_.get();
    const std::size_t split = path.find_first_of(". \t");
    cRef<cExpression> entry = findName(path.substr(0, split));
    if (entry && split != std::string::npos && path[split] == '.')
    {
        auto* group = dynamic_cast<cShellGroup*>(entry.get());
        if (group == nullptr)
            return nullptr;
        entry = findPath(path.substr(split + 1), group);
    }
    return dynamic_cast<cShellGroup*>(entry.get());
}

cRef<cExpression> cShell::findPath(const std::string& path, cShellGroup* from)
{
    std::lock_guard<std::recursive_mutex> guard(lock_);
    placePending();
    cShellGroup* group = from != nullptr ? from : root_.get();
    std::string rest = path;
    for (;;)
    {
        const std::size_t split = rest.find_first_of(". \t");
        cRef<cExpression> entry = group->find(rest.substr(0, split));
        if (!entry || split == std::string::npos || rest[split] != '.')
            return entry;
        auto* inner = dynamic_cast<cShellGroup*>(entry.get());
        if (inner == nullptr)
            return entry;
        group = inner;
        rest = rest.substr(split + 1);
    }
}

cRef<cExpression> cShell::findName(const std::string& word)
{
    std::lock_guard<std::recursive_mutex> guard(lock_);
    placePending();
    if (word.empty())
        return root_.get();
    if (cRef<cExpression> entry = currentGroup()->find(word))
        return entry;
    for (auto it = searchList_.rbegin(); it != searchList_.rend(); ++it)
        if (cRef<cExpression> entry = (*it)->find(word))
            return entry;
    return nullptr;
}

void cShell::pushGroup(cShellGroup* group)
{
    std::lock_guard<std::recursive_mutex> guard(lock_);
    if (group != nullptr)
        groupStack_.push_back(group);
}

void cShell::popGroup()
{
    std::lock_guard<std::recursive_mutex> guard(lock_);
    if (!groupStack_.empty())
        groupStack_.pop_back();
}

void cShell::popAllGroups()
{
    std::lock_guard<std::recursive_mutex> guard(lock_);
    groupStack_.clear();
}

cShellGroup* cShell::currentGroup()
{
    std::lock_guard<std::recursive_mutex> guard(lock_);
    return groupStack_.empty() ? root_.get() : groupStack_.back();
}

cRef<cExpression> cShell::parse(const char* text, const char* sourceName)
{
    cLexerStreamString stream(text != nullptr ? text : "", sourceName != nullptr ? sourceName : "");
    return parseStream(stream);
}

cRef<cExpression> cShell::parseStream(cLexerStream& stream)
{
    std::lock_guard<std::recursive_mutex> guard(lock_);
    placePending();
    cShellNames names(*this);
    return parseCommand(stream, names);
}

bool cShell::executeStream(cLexerStream& stream)
{
    std::lock_guard<std::recursive_mutex> guard(lock_);
    cRef<cExpression> tree = parseStream(stream);
    if (!tree)
    {
        ++failures_;
        messagef("Shell: No command\n");
        return false;
    }
    if (!tree->execute())
    {
        ++failures_;
        messagef("Shell: Bad command\n");
        return false;
    }
    return true;
}

bool cShell::executeText(const char* text, const char* sourceName)
{
    std::lock_guard<std::recursive_mutex> guard(lock_);
    cRef<cExpression> tree = parse(text, sourceName);
    if (!tree)
    {
        ++failures_;
        messagef("Shell: No command\n");
        return false;
    }
    if (!tree->execute())
    {
        ++failures_;
        messagef("Shell: Bad command \"%s\"\n", text != nullptr ? text : "");
        return false;
    }
    return true;
}

void cShell::registerName(cShellName& name)
{
    std::lock_guard<std::recursive_mutex> guard(lock_);
    name.shell_ = this;
    pending_.push_back(&name);
}

void cShell::unregisterName(cShellName& name)
{
    std::lock_guard<std::recursive_mutex> guard(lock_);
    std::erase(pending_, &name);
    if (auto* group = dynamic_cast<cShellGroup*>(&name))
    {
        std::erase(groupStack_, group);
        std::erase(searchList_, group);
        // Entries that outlive their group are no longer in any group.
        for (int i = 0; i < group->size(); ++i)
            if (auto* inner = dynamic_cast<cShellName*>(group->entryAt(i).get()))
                inner->placedIn_ = nullptr;
    }
    if (name.placedIn_ != nullptr)
    {
        if (cExpression* entry = name.shellExpression())
            name.placedIn_->remove(entry);
        name.placedIn_ = nullptr;
    }
    name.shell_ = nullptr;
}

void cShell::addSearchGroup(cShellGroup* group)
{
    std::lock_guard<std::recursive_mutex> guard(lock_);
    if (group != nullptr)
        searchList_.push_back(group);
}

void cShell::removeSearchGroup(cShellGroup* group)
{
    std::lock_guard<std::recursive_mutex> guard(lock_);
    std::erase(searchList_, group);
}

void cShell::attachEvents()
{
    // Not under the shell lock: delivery takes the dispatcher's lock and then the shell's, so
    // taking them the other way round here could deadlock.
    if (attached_.exchange(true))
        return;
    shellEventType().addSink(this);
}

void cShell::postCommand(const std::string& text)
{
    attachEvents();
    eventDispatcher().postCommand(shellEventType(), text, frameClock().now());
}

cShellName* cShell::findShellName(const std::string& path)
{
    std::lock_guard<std::recursive_mutex> guard(lock_);
    cRef<cExpression> entry = findPath(path, root_.get());
    return dynamic_cast<cShellName*>(entry.get());
}

// ---- process-wide -------------------------------------------------------------------------------

cShell* shell()
{
    static std::atomic<void*> cache{nullptr};
    static bool createdHere = false;
    auto* found = static_cast<cShell*>(sharedService(cache, "Shell", "cShell",
                                                     []() -> void*
                                                     {
                                                         createdHere = true;
                                                         return new cShell;
                                                     }));
    static std::once_flag linked;
    if (found != nullptr)
    {
        std::call_once(linked,
                       [found]
                       {
                           setValueShellLink({&linkFindGroup, &linkNamePath});
                           setStreamShellLink({[found](const std::string& path)
                                               { return found->findShellName(path); },
                                               &linkNamePath});
                           if (createdHere)
                               registerShellCommands(*found);
                       });
    }
    return found;
}

cEventType& shellEventType()
{
    static cEventType type(nullptr, "Shell");
    return type;
}

void setQuitHandler(cQuitHandler handler)
{
    quitHandler() = std::move(handler);
}

void requestQuit()
{
    if (quitHandler())
        quitHandler()();
    else
        std::exit(0);
}

} // namespace qelt
