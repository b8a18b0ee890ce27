#include "apps/cli/PresetWriter.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Persist.h"
#include "platform/com/Stream.h"
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <lv2/atom/atom.h>
#include <lv2/log/log.h>
#include <lv2/state/state.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
constexpr const char* kPluginUri = "urn:pandrel:lv2";
constexpr const char* kStateKey = "urn:pandrel:lv2#state";
constexpr const char* kComment = "http://www.w3.org/2000/01/rdf-schema#comment";

struct Chunk {
    LV2_URID key = 0, type = 0;
    const std::vector<uint8_t>* pBytes = nullptr;
};
const void* Retrieve(LV2_State_Handle h, uint32_t key, size_t* pnSize, uint32_t* pType,
                     uint32_t* pFlags) {
    const auto* p = static_cast<const Chunk*>(h);
    if (key != p->key) return nullptr;
    *pnSize = p->pBytes->size();
    *pType = p->type;
    *pFlags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;
    return p->pBytes->data();
}

std::string ProgramDirectory() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : exe.parent_path().string();
}
} // namespace

// The plug-in's log lines, kept to explain a failure.
struct CPresetWriter::Log {
    LV2_Log_Log log{this, &Log::Printf, &Log::VPrintf};
    LV2_Feature feature{LV2_LOG__log, &log};
    std::string strLines;
    static int VPrintf(LV2_Log_Handle h, LV2_URID, const char* pszFormat, va_list args) {
        char line[1024];
        const int n = std::vsnprintf(line, sizeof(line), pszFormat, args);
        static_cast<Log*>(h)->strLines += line;
        return n;
    }
    static int Printf(LV2_Log_Handle h, LV2_URID type, const char* pszFormat, ...) {
        va_list args;
        va_start(args, pszFormat);
        const int n = VPrintf(h, type, pszFormat, args);
        va_end(args);
        return n;
    }
};

CPresetWriter::CPresetWriter() : m_pLog(std::make_unique<Log>()) {
    m_map = {this, [](LV2_URID_Map_Handle h, const char* psz) {
                 return static_cast<CPresetWriter*>(h)->Map(psz);
             }};
    m_unmap = {this, [](LV2_URID_Unmap_Handle h, LV2_URID urid) -> const char* {
                   const auto& uris = static_cast<CPresetWriter*>(h)->m_uris;
                   return urid >= 1 && urid <= uris.size() ? uris[urid - 1]->c_str() : nullptr;
               }};
    m_pWorld = lilv_world_new();
}

CPresetWriter::~CPresetWriter() { lilv_world_free(m_pWorld); }

LV2_URID CPresetWriter::Map(const char* pszUri) {
    const auto it = m_urids.find(pszUri);
    if (it != m_urids.end()) return it->second;
    const auto added = m_urids.emplace(pszUri, static_cast<LV2_URID>(m_urids.size() + 1)).first;
    m_uris.push_back(&added->first);
    return added->second;
}

std::string CPresetWriter::FindBundle(const std::string& strGiven) {
    if (!strGiven.empty()) return strGiven;
    std::vector<fs::path> places;
    const std::string strProgram = ProgramDirectory();
    if (!strProgram.empty()) {
        places.push_back(fs::path(strProgram) / "../lv2/bundles/pandrel.lv2"); // the build tree
        places.push_back(fs::path(strProgram) / "../lib/lv2/pandrel.lv2");     // an install
    }
    if (const char* psz = std::getenv("LV2_PATH")) {
        const std::string str = psz;
        for (size_t a = 0; a <= str.size();) {
            const size_t b = std::min(str.find(':', a), str.size());
            if (b > a) places.push_back(fs::path(str.substr(a, b - a)) / "pandrel.lv2");
            a = b + 1;
        }
    }
    if (const char* pszHome = std::getenv("HOME"))
        places.push_back(fs::path(pszHome) / ".lv2/pandrel.lv2");
    places.push_back("/usr/local/lib/lv2/pandrel.lv2");
    places.push_back("/usr/lib/lv2/pandrel.lv2");
    for (const fs::path& p : places) {
        std::error_code ec;
        if (fs::is_regular_file(p / "manifest.ttl", ec))
            return fs::weakly_canonical(p, ec).string();
    }
    return {};
}

bool CPresetWriter::Open(const std::string& strBundle, std::string* pstrError) {
    std::error_code ec;
    const fs::path bundle = fs::absolute(strBundle, ec);
    if (ec || !fs::is_regular_file(bundle / "manifest.ttl", ec))
        return *pstrError = "not an LV2 bundle (no manifest.ttl)", false;
    std::string strUri = "file://" + bundle.string();
    if (strUri.back() != '/') strUri += '/';
    LilvNode* pBundle = lilv_new_uri(m_pWorld, strUri.c_str());
    lilv_world_load_bundle(m_pWorld, pBundle);
    lilv_node_free(pBundle);
    LilvNode* pUri = lilv_new_uri(m_pWorld, kPluginUri);
    m_pPlugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(m_pWorld), pUri);
    lilv_node_free(pUri);
    if (m_pPlugin == nullptr) return *pstrError = "the bundle holds no pandrel plug-in", false;
    return true;
}

bool CPresetWriter::Restore(LilvInstance* pInstance, const std::vector<uint8_t>& state) {
    const auto* pState = static_cast<const LV2_State_Interface*>(
        lilv_instance_get_extension_data(pInstance, LV2_STATE__interface));
    if (pState == nullptr) return false;
    Chunk chunk{Map(kStateKey), Map(LV2_ATOM__Chunk), &state};
    return pState->restore(lilv_instance_get_handle(pInstance), Retrieve, &chunk, 0, nullptr) ==
           LV2_STATE_SUCCESS;
}

bool CPresetWriter::Write(const std::vector<uint8_t>& state, const Preset& preset,
                          const std::string& strDir, const std::string& strFile,
                          std::string* pstrError) {
    if (m_pPlugin == nullptr) return *pstrError = "no plug-in bundle is open", false;
    m_pLog->strLines.clear();
    LV2_Feature mapFeature{LV2_URID__map, &m_map};
    LV2_Feature unmapFeature{LV2_URID__unmap, &m_unmap};
    const LV2_Feature* features[] = {&mapFeature, &unmapFeature, &m_pLog->feature, nullptr};
    LilvInstance* pInstance = lilv_plugin_instantiate(m_pPlugin, kRate, features);
    if (pInstance == nullptr) return *pstrError = "the plug-in does not start", false;
    auto because = [this](const std::string& str) {
        return m_pLog->strLines.empty() ? str : str + " (" + m_pLog->strLines + ")";
    };
    bool bDone = false;
    std::error_code ec;
    fs::create_directories(strDir, ec);
    if (ec) {
        *pstrError = ec.message();
    } else if (!Restore(pInstance, state)) {
        *pstrError = because("the plug-in refuses the project");
    } else {
        const std::string strAbsDir = fs::absolute(strDir).string();
        LilvState* pState = lilv_state_new_from_instance(
            m_pPlugin, pInstance, &m_map, nullptr, nullptr, nullptr, strAbsDir.c_str(), nullptr,
            nullptr, LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE, features);
        if (pState == nullptr) {
            *pstrError = because("the plug-in cannot save its state");
        } else {
            lilv_state_set_label(pState, preset.strLabel.c_str());
            if (!preset.strComment.empty())
                lilv_state_set_metadata(pState, Map(kComment), preset.strComment.c_str(),
                                        preset.strComment.size() + 1, Map(LV2_ATOM__String),
                                        LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE);
            bDone = lilv_state_save(m_pWorld, &m_map, &m_unmap, pState,
                                    preset.strUri.empty() ? nullptr : preset.strUri.c_str(),
                                    strAbsDir.c_str(), strFile.c_str()) == 0;
            if (!bDone) *pstrError = because("cannot write the preset");
            lilv_state_free(pState);
        }
    }
    lilv_instance_free(pInstance);
    return bDone;
}

bool CPresetWriter::InstrumentState(IUnknown* pInstrument, std::vector<uint8_t>* pBytes) {
    ComPtr<IPersistStream> pPersist = Query<IPersistStream>(pInstrument, IID_IPersistStream);
    ComPtr<IStream> pStream;
    if (!pPersist || FAILED(CreateMemoryStream(pStream.ReleaseAndGetAddressOf()))) return false;
    HRESULT hr = pPersist->Save(pStream.Get(), FALSE);
    ULARGE_INTEGER end{};
    if (SUCCEEDED(hr)) hr = pStream->Seek(LARGE_INTEGER{}, STREAM_SEEK_END, &end);
    if (SUCCEEDED(hr)) hr = pStream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    if (FAILED(hr)) return false;
    pBytes->resize(static_cast<size_t>(end.QuadPart));
    ULONG cbRead = 0;
    hr = pStream->Read(pBytes->data(), static_cast<ULONG>(pBytes->size()), &cbRead);
    return SUCCEEDED(hr) && cbRead == pBytes->size() && !pBytes->empty();
}
