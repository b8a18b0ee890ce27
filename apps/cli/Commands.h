// The `pandrel` subcommands: each declares its options and help text and runs
// with its parsed arguments, answering the exit status or throwing CCliError.
#pragma once
#include "apps/cli/CommandArgs.h"
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

// Writes text to stdout; a failed write (a full disk, a closed pipe) throws.
void WriteStdout(const std::string& strText);
