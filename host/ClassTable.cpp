// The library's two classes and the instrument's filter setup data.
#include "host/ClassFactory.h"
#include "host/Filter.h"
#include "interfaces/PandrelClasses.h"

namespace {
const AMOVIESETUP_MEDIATYPE kPinTypes = {&GUID_NULL, &GUID_NULL};

const AMOVIESETUP_PIN kPins[] = {
    {L"Input", FALSE, FALSE, FALSE, FALSE, &GUID_NULL, L"Output", 1, &kPinTypes},
    {L"Output", FALSE, TRUE, FALSE, FALSE, &GUID_NULL, L"Input", 1, &kPinTypes},
};

const AMOVIESETUP_FILTER kFilterSetup = {&CLSID_Pandrel, L"Pandrel", MERIT_DO_NOT_USE, 2, kPins};

LPFNNewCOMObject g_pfnNewPropertyPage = nullptr;

INonDelegatingUnknown* CreatePropertyPage(IUnknown* pUnkOuter, HRESULT* phr) {
    if (g_pfnNewPropertyPage == nullptr) {
        *phr = CLASS_E_CLASSNOTAVAILABLE;
        return nullptr;
    }
    return g_pfnNewPropertyPage(pUnkOuter, phr);
}
} // namespace

void SetPropertyPageCreator(LPFNNewCOMObject pfnNew) { g_pfnNewPropertyPage = pfnNew; }

const CFactoryTemplate g_Templates[] = {
    {L"Pandrel", &CLSID_Pandrel, CFilter::CreateInstance, nullptr, &kFilterSetup},
    {L"Pandrel Properties", &CLSID_PandrelPropertyPage, CreatePropertyPage, nullptr, nullptr},
};
const int g_cTemplates = sizeof(g_Templates) / sizeof(g_Templates[0]);
