// qelt_pack: builds, lists and unpacks library packages, scene archives and program resources.
#include "app/package.h"
#include "core/archive.h"
#include "core/file_memory.h"
#include "core/file_stdio.h"
#include "platform/path.h"
#include "platform/resources.h"
#include "platform/scene_trailer.h"
#include "tools/pack_writer.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

using namespace qelt;

namespace
{

const char* const kUsage =
    "usage: qelt_pack COMMAND ARGUMENTS\n"
    "\n"
    "  package OUT [--folder NAME]... FILE...   write a library package (files zlib-compressed)\n"
    "  archive OUT FILE...                      write a scene archive (entry name = base name)\n"
    "  list FILE                                list a package, an archive, or the DLLS and SCENE\n"
    "                                           resources (and an appended scene) of a program\n"
    "  extract PACKAGE DIR                      unpack a package into DIR\n"
    "  resource EXE TYPE NAME FILE              add or replace a resource of a program\n"
    "  resources EXE                            list the resources of a program\n";

int usageError(const char* reason)
{
    std::fprintf(stderr, "qelt_pack: %s\n%s", reason, kUsage);
    return 2;
}

int failure(const std::string& reason)
{
    std::fprintf(stderr, "qelt_pack: %s\n", reason.c_str());
    return 1;
}

bool sameFile(const std::string& a, const std::string& b)
{
    std::error_code ignored;
    return std::filesystem::equivalent(a, b, ignored);
}

// Refuses to write an output over one of the inputs.
bool outputIsAnInput(const std::string& out, const std::vector<std::string>& inputs)
{
    for (const std::string& input : inputs)
    {
        if (sameFile(out, input))
            return true;
    }
    return false;
}

int commandPackage(const std::vector<std::string>& args)
{
    if (args.empty())
        return usageError("package needs OUT");
    std::vector<tools::cPackItem> items;
    std::vector<std::string> inputs;
    for (std::size_t i = 1; i < args.size(); ++i)
    {
        if (args[i] == "--folder")
        {
            if (++i == args.size())
                return usageError("--folder needs a NAME");
            items.push_back({tools::cPackItem::Folder, args[i], {}});
            continue;
        }
        tools::cPackItem item{tools::cPackItem::File, platform::baseName(args[i]), {}};
        std::string error;
        if (!tools::readWholeFile(args[i], item.data, &error))
            return failure(error);
        inputs.push_back(args[i]);
        items.push_back(std::move(item));
    }
    if (inputs.empty())
        return usageError("package needs at least one FILE");
    if (outputIsAnInput(args[0], inputs))
        return failure("OUT is one of the inputs");
    std::string error;
    try
    {
        if (!tools::writeWholeFile(args[0], tools::buildPackage(items), &error))
            return failure(error);
    }
    catch (const std::exception& exception)
    {
        return failure(exception.what());
    }
    return 0;
}

int commandArchive(const std::vector<std::string>& args)
{
    if (args.size() < 2)
        return usageError("archive needs OUT and at least one FILE");
    std::vector<tools::cArchiveItem> items;
    std::vector<std::string> inputs(args.begin() + 1, args.end());
    for (const std::string& input : inputs)
    {
        tools::cArchiveItem item{platform::baseName(input), {}};
        std::string error;
        if (!tools::readWholeFile(input, item.data, &error))
            return failure(error);
        if (item.data.size() > UINT32_MAX)
            return failure("\"" + input + "\" is too large for an archive entry");
        items.push_back(std::move(item));
    }
    if (outputIsAnInput(args[0], inputs))
        return failure("OUT is one of the inputs");
    std::string error;
    if (!tools::writeWholeFile(args[0], tools::buildArchive(items), &error))
        return failure(error);
    return 0;
}

// ---- listing ---------------------------------------------------------------------------------

bool listPackageFile(cFile& file, const char* indent)
{
    std::vector<cPackageEntryInfo> entries;
    std::string error;
    bool ok = listPackage(file, entries, &error);
    for (const cPackageEntryInfo& entry : entries)
    {
        if (entry.type == package::Folder)
            std::printf("%sfolder  %s\n", indent, entry.name.c_str());
        else
            std::printf("%sfile    %s  %u bytes (%u packed)\n", indent, entry.name.c_str(),
                        entry.unpackedSize, entry.packedSize);
    }
    if (!ok)
        std::fprintf(stderr, "qelt_pack: %s\n", error.c_str());
    return ok;
}

bool listArchiveFile(cFile& file, const char* indent)
{
    cArchiveIndex index;
    std::string error;
    bool ok = index.build(file, nullptr, &error);
    for (const cArchiveIndex::Entry& entry : index.entries())
        std::printf("%s%s  %u bytes\n", indent, entry.name.c_str(), entry.size);
    if (!ok)
        std::fprintf(stderr, "qelt_pack: %s\n", error.c_str());
    return ok;
}

bool startsWithPackageMagic(cFile& file)
{
    uint8_t magic[4] = {};
    bool found = file.read(magic, 4) == 4 && std::memcmp(magic, "WOW_", 4) == 0;
    file.seek(0, cFile::Begin);
    return found;
}

// Lists what a program carries: the DLLS and SCENE resources and an appended scene.
// Returns -1 when the file carries none of them.
int listProgram(const std::string& path)
{
    std::unique_ptr<platform::cResourceReader> reader = platform::cResourceReader::open(path);
    bool any = false, ok = true;
    if (reader)
    {
        for (const char* name : {"DLLS", "SCENE"})
        {
            const platform::cResourceEntry* entry = reader->find("BINARY", name);
            if (!entry)
                continue;
            any = true;
            std::printf("resource BINARY %s  %llu bytes\n", name, (unsigned long long)entry->size);
            cFileMemory file(reader->bytes(*entry), entry->size);
            ok = (std::strcmp(name, "DLLS") == 0 ? listPackageFile(file, "  ")
                                                 : listArchiveFile(file, "  ")) &&
                 ok;
        }
    }
    if (auto trailer = platform::readSceneTrailer(path))
    {
        any = true;
        std::printf("appended scene at %u  %u bytes\n", trailer->offset, trailer->size);
        auto program = std::make_unique<cFileStdio>(path);
        if (uint64_t(trailer->offset) + trailer->size > uint64_t(program->size()))
            return failure("the appended scene runs past the end of the file");
        cArchiveFile scene(std::move(program), trailer->offset, trailer->size);
        ok = listArchiveFile(scene, "  ") && ok;
    }
    if (!any)
        return -1;
    return ok ? 0 : 1;
}

int commandList(const std::vector<std::string>& args)
{
    if (args.size() != 1)
        return usageError("list needs exactly one FILE");
    try
    {
        cFileStdio file(args[0]);
        if (startsWithPackageMagic(file))
            return listPackageFile(file, "") ? 0 : 1;
        int programResult = listProgram(args[0]);
        if (programResult >= 0)
            return programResult;
        return listArchiveFile(file, "") ? 0 : 1;
    }
    catch (const cFileException&)
    {
        return failure("cannot open \"" + args[0] + "\"");
    }
}

int commandExtract(const std::vector<std::string>& args)
{
    if (args.size() != 2)
        return usageError("extract needs PACKAGE and DIR");
    try
    {
        cFileStdio file(args[0]);
        std::string error;
        if (!platform::createFolder(args[1]))
            return failure("cannot create \"" + args[1] + "\"");
        if (!extractPackage(args[1], file, {}, &error))
            return failure(error);
        return 0;
    }
    catch (const cFileException&)
    {
        return failure("cannot open \"" + args[0] + "\"");
    }
}

int commandResource(const std::vector<std::string>& args)
{
    if (args.size() != 4)
        return usageError("resource needs EXE, TYPE, NAME and FILE");
    if (args[1].empty() || args[2].empty())
        return usageError("TYPE and NAME must not be empty");
    std::vector<uint8_t> data;
    std::string error;
    if (!tools::readWholeFile(args[3], data, &error))
        return failure(error);
    if (sameFile(args[0], args[3]))
        return failure("FILE is the program itself");
    platform::cResourceUpdate update;
    if (!update.begin(args[0], false))
        return failure(update.error());
    update.update(args[1], args[2], 0, std::move(data));
    if (!update.commit())
        return failure(update.error());
    return 0;
}

int commandResources(const std::vector<std::string>& args)
{
    if (args.size() != 1)
        return usageError("resources needs exactly one EXE");
    std::string error;
    std::unique_ptr<platform::cResourceReader> reader =
        platform::cResourceReader::open(args[0], &error);
    if (!reader)
        return failure(error.empty() ? "cannot open \"" + args[0] + "\"" : error);
    for (const platform::cResourceEntry& entry : reader->entries())
        std::printf("%s %s %u  %llu bytes\n", entry.type.c_str(), entry.name.c_str(),
                    entry.language, (unsigned long long)entry.size);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return usageError("no command given");
    std::string command = argv[1];
    if (command == "--help" || command == "-h" || command == "help")
    {
        std::fputs(kUsage, stdout);
        return 0;
    }
    std::vector<std::string> args(argv + 2, argv + argc);
    if (command == "package")
        return commandPackage(args);
    if (command == "archive")
        return commandArchive(args);
    if (command == "list")
        return commandList(args);
    if (command == "extract")
        return commandExtract(args);
    if (command == "resource")
        return commandResource(args);
    if (command == "resources")
        return commandResources(args);
    return usageError(("unknown command \"" + command + "\"").c_str());
}
