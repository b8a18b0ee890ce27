// The plug-in's factory presets: the demo groove and small kits of sounds
// synthesized in code, each built into the instrument through its control
// interface. Mono 44.1 kHz samples keep each preset's state under 1 MB.
// Main thread.
#pragma once
#include "platform/com/Types.h"
#include <string>
#include <vector>

class IVudivuVizezud;

class CFactoryKits {
public:
    static constexpr uint32_t kRate = 44100;
    static constexpr LONG kFirstKey = 36; // pad n plays from key 36 + n (C1 up, as drum maps)

    struct Kit {
        const char* pszId;    // the preset's file and URI name
        const char* pszLabel; // as hosts list it
        const char* pszComment;
    };
    static const std::vector<Kit>& Kits();

    // Builds kit strId into the instrument, its sounds written as WAV files
    // under strScratch first. S_OK, or the failing result with the step in *pstrWhat.
    static HRESULT Build(const std::string& strId, IVudivuVizezud* pControl,
                         const std::string& strScratch, std::string* pstrWhat);
};
