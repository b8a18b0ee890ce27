// Presets of the pandrel.lv2 plug-in, written as the plug-in itself saves its
// state: the plug-in is instantiated from its bundle through lilv, given the
// instrument's state bytes (the single-chunk form every version restores),
// and saved by lilv into a preset file with its wave files beside it and a
// manifest that lists it. Main thread; blocks on the file system.
#pragma once
#include <cstdint>
#include <lilv/lilv.h>
#include <lv2/urid/urid.h>
#include <map>
#include <memory>
#include <string>
#include <vector>

class IUnknown;

class CPresetWriter {
public:
    static constexpr double kRate = 44100.0; // the rate the preset's waves are stored at

    struct Preset {
        std::string strUri; // empty: the preset file's own URI (a user bundle)
        std::string strLabel;
        std::string strComment; // may be empty
    };

    CPresetWriter();
    ~CPresetWriter();
    CPresetWriter(const CPresetWriter&) = delete;
    CPresetWriter& operator=(const CPresetWriter&) = delete;

    // The plug-in bundle to use: strGiven when not empty, else the first
    // pandrel.lv2 found next to this program (build tree, then install
    // prefix), on LV2_PATH, in ~/.lv2, /usr/local/lib/lv2, /usr/lib/lv2; empty when none.
    static std::string FindBundle(const std::string& strGiven);
    // Loads the bundle and finds the plug-in in it. False with the cause.
    bool Open(const std::string& strBundle, std::string* pstrError);
    // Writes strDir/strFile (the preset), its waves, and strDir/manifest.ttl. False with the cause.
    bool Write(const std::vector<uint8_t>& state, const Preset& preset, const std::string& strDir,
               const std::string& strFile, std::string* pstrError);

    // The instrument's IPersistStream bytes. False when it cannot save them.
    static bool InstrumentState(IUnknown* pInstrument, std::vector<uint8_t>* pBytes);

private:
    LV2_URID Map(const char* pszUri);
    bool Restore(LilvInstance* pInstance, const std::vector<uint8_t>& state);

    LilvWorld* m_pWorld = nullptr;
    const LilvPlugin* m_pPlugin = nullptr;
    std::map<std::string, LV2_URID, std::less<>> m_urids;
    std::vector<const std::string*> m_uris; // by URID - 1
    LV2_URID_Map m_map{};
    LV2_URID_Unmap m_unmap{};
    struct Log;
    std::unique_ptr<Log> m_pLog; // what the plug-in logs, shown when it fails
};
