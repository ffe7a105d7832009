// Renderer loading: choosing a renderer by driver name, from a plug-in module or built in, and the
// engine's one current renderer.
//
// The current renderer and the last parameters have no lock of their own: they are changed on the
// viewer thread under the viewer lock, as every other use of the renderer is.
#pragma once

#include "render/renderer.h"

#include <string>

namespace qelt
{

// A new renderer of that driver name, not installed; null on failure (with a log line). "none"
// and "" give the null renderer; other names load a module by the name itself, or the plug-in
// "plinth_" + name found on the file manager's search path. A null callback means the default.
cRenderer* loadRenderer(const std::string& driverName, cRendererParams* params,
                        cRendererTargetHandle** outTarget, cRendererCallback* callback);

// Destroys a renderer made by loadRenderer and frees its module.
void destroyRenderer(cRenderer* renderer);

// Replaces the current renderer with the named one: the old one is invalidated, unloaded and
// destroyed first, so a failed switch leaves none. Null params means the last ones used; a null
// callback the default one.
bool setRenderer(const std::string& driverName, cRendererParams* params = nullptr,
                 cRendererTargetHandle** outTarget = nullptr,
                 cRendererCallback* callback = nullptr);

// The current renderer; null until one is installed.
cRenderer* currentRenderer();

// The parameters the last installation used.
const cRendererParams& lastRendererParams();

} // namespace qelt
