// The scale factor at which the layer draws a top-level window: page pixels
// times the factor are the window's pixels. Chosen per top-level when it is
// made, from the first source that gives one: the host's factor (a creation
// parameter of the window, e.g. IPropertyPageDisplay::SetScale or LV2's
// ui:scaleFactor), the environment variable PANDREL_UI_SCALE, the X server's
// Xft.dpi resource / 96, else 1; always clamped to 1..3. Pure functions.
#pragma once

constexpr double kMinUiScale = 1.0;
constexpr double kMaxUiScale = 3.0;
constexpr const char* kUiScaleVariable = "PANDREL_UI_SCALE";

// s clamped to 1..3; 1 for a value that is no number.
double ClampUiScale(double s);
// The factor a text gives ("2", "1.5"), or 0 when it is empty or no positive number.
double ParseUiScale(const char* pszText);
// Xft.dpi / 96 from the X server's resource database text (the
// RESOURCE_MANAGER property, lines "name:\tvalue"), or 0 when it has none.
double ScaleFromXResources(const char* pszResources);
// The factor from the first source that gives one (host > 0, then the
// environment text, then the display's > 0), else 1; clamped to 1..3.
double ResolveUiScale(double dHost, const char* pszEnvironment, double dDisplay);
// ResolveUiScale with the environment read from PANDREL_UI_SCALE.
double ResolveUiScale(double dHost, double dDisplay);
// Native pixels for n page pixels at the scale (rounded up).
int ScaledPixels(int n, double scale);
