// pandrel_factory_presets BUNDLE: writes the plug-in's factory presets into
// the bundle (BUNDLE/presets/ID.ttl and their wave files), each kit built by
// the bundle's own instrument and saved by the bundle's own plug-in. The
// bundle's manifest lists them. Run by the build after the bundle is made.
#include "apps/cli/FactoryKits.h"
#include "apps/cli/PresetWriter.h"
#include "apps/hostkit/InstrumentHost.h"
#include "interfaces/IVudivuVizezud.h"
#include <cstdio>
#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
int Fail(const std::string& strWhat) {
    std::fprintf(stderr, "pandrel_factory_presets: %s\n", strWhat.c_str());
    return 1;
}

uint64_t PresetBytes(const fs::path& dir, const std::string& strFile) {
    // The preset file and the waves it names.
    std::FILE* pf = std::fopen((dir / strFile).c_str(), "rb");
    if (pf == nullptr) return 0;
    std::string strText;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof(buffer), pf)) > 0;) strText.append(buffer, n);
    std::fclose(pf);
    uint64_t llBytes = strText.size();
    for (const auto& e : fs::directory_iterator(dir))
        if (strText.find(e.path().filename().string()) != std::string::npos &&
            e.path().extension() == ".wav")
            llBytes += fs::file_size(e.path());
    return llBytes;
}
} // namespace

int main(int argc, char** argv) {
    if (argc != 2) return Fail("usage: pandrel_factory_presets BUNDLE");
    const fs::path bundle = fs::absolute(argv[1]);
    const fs::path presets = bundle / "presets";
    const fs::path scratch =
        fs::temp_directory_path() / ("pandrel-factory-" + std::to_string(getpid()));
    std::error_code ec;
    fs::remove_all(presets, ec);
    fs::create_directories(scratch, ec);
    if (ec) return Fail(scratch.string() + ": " + ec.message());

    std::string strError;
    CInstrumentModule module;
    if (!module.Load((bundle / "pandrel.so").string(), &strError)) return Fail(strError);
    CPresetWriter writer;
    if (!writer.Open(bundle.string(), &strError)) return Fail(bundle.string() + ": " + strError);
    int nStatus = 0;
    for (const CFactoryKits::Kit& kit : CFactoryKits::Kits()) {
        CInstrumentHost host;
        if (!host.Open(module, CInstrumentHost::Options{}, CTempoMap(), &strError))
            return Fail(strError);
        std::vector<uint8_t> state;
        const HRESULT hr =
            CFactoryKits::Build(kit.pszId, host.Control(), scratch.string(), &strError);
        if (FAILED(hr) || !CPresetWriter::InstrumentState(host.Control(), &state)) {
            nStatus =
                Fail(std::string(kit.pszId) + ": " + (FAILED(hr) ? strError : "cannot save it"));
            continue;
        }
        const std::string strFile = std::string(kit.pszId) + ".ttl";
        const CPresetWriter::Preset preset{std::string("urn:pandrel:lv2:preset:") + kit.pszId,
                                           kit.pszLabel, kit.pszComment};
        if (!writer.Write(state, preset, presets.string(), strFile, &strError)) {
            nStatus = Fail(std::string(kit.pszId) + ": " + strError);
            continue;
        }
        std::printf("%s: %llu bytes\n", (presets / strFile).c_str(),
                    static_cast<unsigned long long>(PresetBytes(presets, strFile)));
    }
    // lilv lists the presets in a manifest of their own folder; the bundle's lists them instead.
    fs::remove(presets / "manifest.ttl", ec);
    fs::remove_all(scratch, ec);
    return nStatus;
}
