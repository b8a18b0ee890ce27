// The URIs the bundle's descriptions and the plug-in binary share.
#pragma once

#define PANDREL_LV2_URI "urn:pandrel:lv2"
// The state property carrying the instrument's IPersistStream bytes as an atom:Chunk.
#define PANDREL_LV2_STATE_KEY PANDREL_LV2_URI "#state"
// The file parameters (patch:writable, atom:Path): a project file to load, and
// an audio file to add to the Loop Bin.
#define PANDREL_LV2_PROJECT_FILE PANDREL_LV2_URI "#projectFile"
#define PANDREL_LV2_AUDIO_FILE PANDREL_LV2_URI "#audioFile"
