// The engine's eight default files (cursor, skin sheet and skin object,
// icon, particle texture, three start-up logos), carried inside the
// executable. The program registers them once at start-up, before the
// engine makes its embedded resource manager.
#pragma once

namespace corvane {

// Adds the eight files to the embedded resources, in their fixed order:
// "defaultcur_pixmap", "defaultskin_pixmap", "defaulticon_pixmap",
// "defaultpfx_pixmap", "defaultskin_object", "logo_png",
// "logo_mozilla_png", "logo_newton_png".
void RegisterEmbeddedDefaults();

}  // namespace corvane
