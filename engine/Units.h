// Units of the engine's time lines.
#pragma once
#include "interfaces/PandrelConstants.h"
#include <cmath>

// round(x) = floor(x + 0.5), as everywhere in the engine.
inline LONGLONG RoundHalfUp(double x) { return static_cast<LONGLONG>(std::floor(x + 0.5)); }
