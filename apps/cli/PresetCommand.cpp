// `pandrel preset`: a project as an LV2 preset bundle of the pandrel.lv2
// plug-in, saved by the plug-in itself, so that the kit appears in every LV2
// host's preset list.
#include "apps/cli/CliError.h"
#include "apps/cli/Commands.h"
#include "apps/cli/HostSession.h"
#include "apps/cli/PresetWriter.h"
#include "interfaces/IVudivuVizezud.h"
#include <cctype>
#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

namespace {
// The name in a file name: lower-case letters and digits, runs of anything else one '-'.
std::string Slug(const std::string& strName) {
    std::string s;
    for (unsigned char c : strName) {
        if (std::isalnum(c) != 0 && c < 0x80)
            s += static_cast<char>(std::tolower(c));
        else if (!s.empty() && s.back() != '-')
            s += '-';
    }
    while (!s.empty() && s.back() == '-') s.pop_back();
    return s;
}

std::string DefaultDir() {
    const char* pszHome = std::getenv("HOME");
    if (pszHome == nullptr || *pszHome == '\0')
        throw CCliError("", "HOME is not set: give the folder with --dir");
    return std::string(pszHome) + "/.lv2";
}

int Run(const CCommandArgs& args) {
    args.ExpectPositional(1, 1, "PROJECT.pnd");
    const std::string& strProject = args.Positional()[0];
    const std::string strName = args.Value("--name");
    if (strName.empty()) throw CCliError::Usage("preset", "the preset needs a --name");
    const std::string strSlug = Slug(strName);
    if (strSlug.empty())
        throw CCliError::Usage("preset", "the name '" + strName + "' has no letter or digit");
    const fs::path target =
        fs::path(args.Value("--dir", DefaultDir())) / ("pandrel-" + strSlug + ".lv2");
    std::error_code ec;
    if (fs::exists(target, ec) && !args.Has("--force"))
        throw CCliError(target.string(), "exists already (--force replaces it)");

    const std::string strBundle = CPresetWriter::FindBundle(args.Value("--bundle"));
    if (strBundle.empty())
        throw CCliError("pandrel.lv2", "the plug-in bundle is not found (give it with --bundle)");
    CPresetWriter writer;
    std::string strError;
    if (!writer.Open(strBundle, &strError)) throw CCliError(strBundle, strError);

    CHostSession session(args);
    CInstrumentHost& host = session.Open(CInstrumentHost::Options(), CTempoMap());
    session.LoadProject(strProject);
    std::vector<uint8_t> state;
    if (!CPresetWriter::InstrumentState(host.Control(), &state))
        throw CCliError(strProject, "the instrument cannot save the project");

    // Written beside the target and moved in whole, so a failure leaves no half bundle.
    const fs::path part = target.string() + ".part";
    fs::remove_all(part, ec);
    if (!writer.Write(state, {"", strName, ""}, part.string(), strSlug + ".ttl", &strError)) {
        fs::remove_all(part, ec);
        throw CCliError(target.string(), strError);
    }
    fs::remove_all(target, ec);
    fs::rename(part, target, ec);
    if (ec) {
        fs::remove_all(part, ec);
        throw CCliError(target.string(), ec.message());
    }
    WriteStdout("wrote " + target.string() + "\n");
    return 0;
}
} // namespace

const CommandEntry& PresetCommand() {
    static const CommandEntry entry{
        "preset",
        "write a project as an LV2 preset of the plug-in",
        "usage: pandrel preset PROJECT.pnd --name NAME [--dir DIR] [--force]\n\n"
        "Writes the project as a preset bundle of the pandrel.lv2 plug-in, saved by the\n"
        "plug-in itself (its state with the samples as WAV files beside it), so that the\n"
        "kit appears in the preset list of every LV2 host. The bundle is\n"
        "DIR/pandrel-NAME.lv2, NAME in lower case with '-' for spaces and signs.\n\n"
        "  --name NAME      the preset's name as hosts show it\n"
        "  --dir DIR        where the bundle goes (default: ~/.lv2)\n"
        "  --force          replace a bundle of that name\n"
        "  --bundle DIR     the pandrel.lv2 plug-in bundle (default: next to this program,\n"
        "                   else on LV2_PATH, in ~/.lv2, /usr/local/lib/lv2 or /usr/lib/lv2)\n"
        "  --module FILE    the instrument library that reads the project (default: next\n"
        "                   to this program)\n",
        {"--name", "--dir", "--bundle", "--module"},
        {"--force"},
        &Run};
    return entry;
}
