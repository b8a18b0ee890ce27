// The system's filter mapper, both versions, backed by the registry: a
// filter's entry is HKEY_CLASSES_ROOT "Filter\{clsid}" (default value its
// name, "Merit" in hexadecimal) with a "Pins\<name>" key per pin (direction,
// flags, connections) and "Types\<n>" keys for its media types. Created
// through CoCreateInstance with CLSID_FilterMapper2 or CLSID_FilterMapper;
// the class objects are registered in-process when this library is linked.
// Control thread.
#pragma once
#include "platform/media/MediaInterfaces.h"

class IMoniker;

// {CDA42200-BD88-11D0-BD4E-00A0C911CE86}
extern const CLSID CLSID_FilterMapper2;
// {E436EBB2-524F-11CE-9F53-0020AF0BA770}
extern const CLSID CLSID_FilterMapper;
// {B79BB0B0-33C1-11D1-ABE1-00A0C905F375}
constexpr IID IID_IFilterMapper2 = {
    0xB79BB0B0, 0x33C1, 0x11D1, {0xAB, 0xE1, 0x00, 0xA0, 0xC9, 0x05, 0xF3, 0x75}};
// {56A868A3-0AD4-11CE-B03A-0020AF0BA770}
constexpr IID IID_IFilterMapper = {
    0x56A868A3, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};

constexpr DWORD MERIT_DO_NOT_USE = 0x200000;

struct REGPINTYPES {
    const CLSID* clsMajorType;
    const CLSID* clsMinorType;
};

struct REGFILTERPINS {
    const WCHAR* strName;
    BOOL bRendered;
    BOOL bOutput;
    BOOL bZero;
    BOOL bMany;
    const CLSID* clsConnectsToFilter;
    const WCHAR* strConnectsToPin;
    UINT nMediaTypes;
    const REGPINTYPES* lpMediaType;
};

struct REGFILTER2 {
    DWORD dwVersion; // 1: rgPins are REGFILTERPINS
    DWORD dwMerit;
    ULONG cPins;
    const REGFILTERPINS* rgPins;
};

// The setup data a filter's class template carries.
using AMOVIESETUP_MEDIATYPE = REGPINTYPES;
using AMOVIESETUP_PIN = REGFILTERPINS;
struct AMOVIESETUP_FILTER {
    const CLSID* clsID;
    const WCHAR* strName;
    DWORD dwMerit;
    UINT nPins;
    const AMOVIESETUP_PIN* lpPin;
};

class IFilterMapper2 : public IUnknown {
public:
    virtual HRESULT CreateCategory(REFCLSID clsidCategory, DWORD dwCategoryMerit,
                                   const WCHAR* Description) = 0; // 3
    // 0x80070002 when the filter has no entry.
    virtual HRESULT UnregisterFilter(const CLSID* pclsidCategory, const WCHAR* szInstance,
                                     REFCLSID Filter) = 0; // 4
    virtual HRESULT RegisterFilter(REFCLSID clsidFilter, const WCHAR* Name, IMoniker** ppMoniker,
                                   const CLSID* pclsidCategory, const WCHAR* szInstance,
                                   const REGFILTER2* prf2) = 0;            // 5
    virtual HRESULT EnumMatchingFilters(void** ppEnum, DWORD dwFlags) = 0; // 6

protected:
    ~IFilterMapper2() = default;
};

class IFilterMapper : public IUnknown {
public:
    virtual HRESULT RegisterFilter(CLSID clsid, const WCHAR* Name, DWORD dwMerit) = 0;       // 3
    virtual HRESULT RegisterFilterInstance(CLSID clsid, const WCHAR* Name, CLSID* MRId) = 0; // 4
    virtual HRESULT RegisterPin(CLSID Filter, const WCHAR* Name, BOOL bRendered, BOOL bOutput,
                                BOOL bZero, BOOL bMany, CLSID ConnectsToFilter,
                                const WCHAR* ConnectsToPin) = 0; // 5
    virtual HRESULT RegisterPinType(CLSID clsFilter, const WCHAR* strName, CLSID clsMajorType,
                                    CLSID clsSubType) = 0;                 // 6
    virtual HRESULT UnregisterFilter(CLSID Filter) = 0;                    // 7
    virtual HRESULT UnregisterFilterInstance(CLSID MRId) = 0;              // 8
    virtual HRESULT UnregisterPin(CLSID Filter, const WCHAR* Name) = 0;    // 9
    virtual HRESULT EnumMatchingFilters(void** ppEnum, DWORD dwFlags) = 0; // 10

protected:
    ~IFilterMapper() = default;
};
