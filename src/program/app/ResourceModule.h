// The module from which every language-aware lookup takes its resources: the
// resources embedded in the program unless another set was recorded.
#pragma once

#include <memory>

#include "program/app/ResFile.h"

// The current module; never null (an empty one when nothing could be read).
std::shared_ptr<const CResFile> GetResourceModule();

// Records the module (the program records its own at start; tests and tools
// record others). Null goes back to the embedded resources.
void SetResourceModule(std::shared_ptr<const CResFile> module);

// The resources built into the program.
std::shared_ptr<const CResFile> LoadEmbeddedResources();
