// The URIs the bundle's descriptions and the plug-in binary share.
#pragma once

#define PANDREL_LV2_URI "urn:pandrel:lv2"
// The X11 user interface: the editor page.
#define PANDREL_LV2_UI_URI PANDREL_LV2_URI "#ui"
// The state property carrying the instrument's IPersistStream bytes as an atom:Chunk.
#define PANDREL_LV2_STATE_KEY PANDREL_LV2_URI "#state"
// The state as files: the project's structure (atom:Chunk), and the path of
// its n-th wave file (atom:Path) under the prefix followed by n.
#define PANDREL_LV2_PROJECT_KEY PANDREL_LV2_URI "#project"
#define PANDREL_LV2_WAVE_KEY_PREFIX PANDREL_LV2_URI "#wave-"
// The file parameters (patch:writable, atom:Path): a project file to load, and
// an audio file to add to the Loop Bin.
#define PANDREL_LV2_PROJECT_FILE PANDREL_LV2_URI "#projectFile"
#define PANDREL_LV2_AUDIO_FILE PANDREL_LV2_URI "#audioFile"
