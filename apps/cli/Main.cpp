// The `pandrel` command: finds the subcommand, shows help, runs it, and turns
// every failure into one line on stderr and a non-zero exit status.
#include "apps/cli/CliError.h"
#include "apps/cli/Commands.h"
#include "apps/hostkit/TempFiles.h"
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

namespace {
const std::vector<const CommandEntry*>& AllCommands() {
    static const std::vector<const CommandEntry*> commands = {
        &RenderCommand(), &InfoCommand(),     &ProjectCommand(),    &DemoCommand(),
        &PresetCommand(), &RegisterCommand(), &UnregisterCommand(), &GalleryCommand(),
        &EditCommand(),   &SliceCommand()};
    return commands;
}

std::string Overview() {
    std::string s =
        "usage: pandrel COMMAND [ARGS...]\n\nThe Pandrel groove sampler from the command line.\n\n"
        "commands:\n";
    for (const CommandEntry* c : AllCommands()) {
        char line[160];
        std::snprintf(line, sizeof(line), "  %-12s %s\n", c->pszName, c->pszSummary);
        s += line;
    }
    return s + "\n'pandrel COMMAND --help' describes a command; 'pandrel --version' tells the "
               "version.\n";
}

int Run(const std::vector<std::string>& args) {
    if (args.empty()) {
        std::fputs(Overview().c_str(), stderr);
        return CCliError::kExitUsage;
    }
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        WriteStdout(Overview());
        return 0;
    }
    if (args[0] == "--version") {
        WriteStdout("pandrel " PANDREL_VERSION "\n");
        return 0;
    }
    for (const CommandEntry* c : AllCommands()) {
        if (args[0] != c->pszName) continue;
        const CCommandArgs parsed(c->pszName,
                                  std::vector<std::string>(args.begin() + 1, args.end()),
                                  c->valueOptions, c->flags);
        if (parsed.Has("--help")) {
            WriteStdout(std::string(c->pszHelp));
            return 0;
        }
        return c->pfnRun(parsed);
    }
    throw CCliError("", "unknown command '" + args[0] + "' (see 'pandrel --help')",
                    CCliError::kExitUsage);
}
} // namespace

void WriteStdout(const std::string& strText) {
    if (std::fwrite(strText.data(), 1, strText.size(), stdout) != strText.size() ||
        std::fflush(stdout) != 0)
        throw CCliError("standard output", std::strerror(errno));
}

int main(int argc, char** argv) {
    // Ctrl-C or a kill during a render leaves no half-written files behind.
    CTempFiles::RemoveOnSignals();
    try {
        return Run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const CCliError& e) {
        std::fprintf(stderr, "%s\n", e.Line().c_str());
        return e.ExitStatus();
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "pandrel: out of memory\n");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "pandrel: %s\n", e.what());
    }
    return CCliError::kExitFailure;
}
