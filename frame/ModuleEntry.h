// The module's unload step: closes the project database session when open.
#pragma once

namespace vd {

void UnloadModule() noexcept;

}  // namespace vd
