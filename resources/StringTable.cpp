#include "resources/StringTable.h"
#include "resources/ResourceIds.h"

std::wstring CStringTable::Load(UINT nID) {
    switch (nID) {
    case IDS_CAPTION: return L"Pandrel";
    case IDS_FONT_FACE: return L"Arial";
    case IDS_DELETE_FILE:
        return L"Any grains sourced from this file will be deleted from the Pad Editor.  OK to "
               L"proceed?";
    case IDS_SELECT_FILE: return L"Please select a file in the Loop Bin.";
    case IDS_BIN_FULL:
        return L"The Loop Bin is full.  If possible, delete one or more entries before loading "
               L"additional files.";
    case IDS_LOAD_ERROR:
        return L"There was an error loading the file.  The file may be too large or have an "
               L"invalid format.";
    case IDS_SAVE_ERROR: return L"Error saving file!  Save aborted!";
    case IDS_PROJECT_LOAD_ERROR: return L"Error loading file!  The file may be corrupted.";
    case IDS_CLEAR_PROJECT: return L"Are you sure you want to clear the contents of this project?";
    case IDS_PATCH_AUDIO:
        return L"Important!:  Be sure to patch Pandrel into one or more Halcyra audio tracks and "
               L"start the audio engine.";
    case IDS_HELP_MISSING:
        return L"The help could not be opened.  Neither the help file nor the Pandrel manual was "
               L"found, or no program to show it is installed.";
    case IDS_SAVE_ON_CLOSE: return L"This project has changed.  Save it before closing?";
    default: return L"";
    }
}
