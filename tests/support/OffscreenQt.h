#pragma once

// Window tests and benchmarks run on the offscreen platform, in the US English
// locale, and in the time zone that TZ names (UTC when TZ is unset or empty).
// Call before the application object is made.
void UseOffscreenQt();

// Hides the warning the offscreen platform gives for every window about what
// it cannot do; every other message goes to Qt's own handler.
void QuietOffscreenWarnings();
