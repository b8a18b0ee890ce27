// The `pandrel` subcommands: each declares its options and help text and runs
// with its parsed arguments, answering the exit status or throwing CCliError.
#pragma once
#include "apps/cli/CommandArgs.h"
#include <cstdint>
#include <set>
#include <string>
#include <vector>

struct CommandEntry {
    const char* pszName;
    const char* pszSummary;
    const char* pszHelp; // usage line and option list
    std::set<std::string> valueOptions;
    std::set<std::string> flags;
    int (*pfnRun)(const CCommandArgs& args);
};

const CommandEntry& InfoCommand();
const CommandEntry& RenderCommand();
const CommandEntry& DemoCommand();
const CommandEntry& ProjectCommand();
const CommandEntry& RegisterCommand();
const CommandEntry& UnregisterCommand();
const CommandEntry& GalleryCommand();
const CommandEntry& EditCommand();
const CommandEntry& PresetCommand();
const CommandEntry& SliceCommand();

// The slicing options that `slice` and `project add` share.
struct SliceSettings;
bool HasSliceOptions(const CCommandArgs& args);
// The options as settings; a usage error throws CCliError.
SliceSettings SliceSettingsFrom(const CCommandArgs& args, const char* pszCommand);
// The file sliced with the command's slicing options, as the bytes of a WAV
// loop; a mistake or a file that cannot be sliced throws CCliError.
std::vector<uint8_t> SlicedLoop(const std::string& strPath, const CCommandArgs& args,
                                const char* pszCommand);
// What 'pandrel slice --onsets' would make of a file, as text; empty when the
// file cannot be read or sliced.
std::string SlicerSummary(const std::string& strPath);
// The same as a JSON object; "null" when the file cannot be read or sliced.
std::string SlicerJson(const std::string& strPath);

// Writes text to stdout; a failed write (a full disk, a closed pipe) throws.
void WriteStdout(const std::string& strText);
