// The URIs the bundle's descriptions and the plug-in binary share.
#pragma once

#define PANDREL_LV2_URI "urn:pandrel:lv2"
// The state property carrying the instrument's IPersistStream bytes as an atom:Chunk.
#define PANDREL_LV2_STATE_KEY PANDREL_LV2_URI "#state"
