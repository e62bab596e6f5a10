// Embedded asset store: the plain bytes of the program's built-in files, by relative path.
#pragma once

#include <string>

namespace assets {

// The bytes of the named asset ("audio/sfx_click.ogg"). A file of that name under
// $VANTREL_ASSET_DIR/assets/ takes precedence over the embedded copy. The reference stays valid
// until the program ends; an unknown name gives an empty string and a diagnostic.
const std::string& blob(const std::string& name);

// Whether the name is one of the embedded assets (overrides are not consulted).
bool has(const std::string& name);

}  // namespace assets
