// The instrument library's COM classes, as a host finds them.
#pragma once
#include "platform/com/Guid.h"

// The instrument, "Pandrel": {89D244AB-19CF-4575-B859-E6C2352BE0D4}
constexpr CLSID CLSID_Pandrel = {
    0x89D244AB, 0x19CF, 0x4575, {0xB8, 0x59, 0xE6, 0xC2, 0x35, 0x2B, 0xE0, 0xD4}};
// Its property page, "Pandrel Properties": {389A93D5-7DF9-4BF8-B954-D4C8D039C446}
constexpr CLSID CLSID_PandrelPropertyPage = {
    0x389A93D5, 0x7DF9, 0x4BF8, {0xB9, 0x54, 0xD4, 0xC8, 0xD0, 0x39, 0xC4, 0x46}};
