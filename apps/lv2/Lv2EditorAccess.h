// How the plug-in's UI, running in the host's process with instance access,
// reaches the instrument: extension data of the plug-in's descriptor under
// PANDREL_LV2_EDITOR_URI. The UI asks lv2_descriptor()->extension_data of
// the instance's descriptor and calls it with the instance's LV2_Handle.
#pragma once
#include "platform/com/Unknown.h"
#include <lv2/core/lv2.h>

#define PANDREL_LV2_EDITOR_URI "urn:pandrel:lv2#editor"

struct Lv2EditorAccess {
    // The instrument's control interface for the editor page, with one
    // reference for the caller; null when the plug-in holds no instrument.
    // Its calls that start playback wake the plug-in's idle gate. UI thread;
    // the reference must be released before the plug-in is cleaned up.
    IUnknown* (*OpenEditorControl)(LV2_Handle hPlugin);
};
