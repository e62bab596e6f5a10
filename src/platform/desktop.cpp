// Reads the desktop's animation preference through GIO's GSettings.
#include "platform/desktop.h"

#include <gio/gio.h>

namespace desktop {

namespace {

constexpr const char* kInterfaceSchema = "org.gnome.desktop.interface";
constexpr const char* kAnimationsKey = "enable-animations";

}  // namespace

std::optional<bool> animationsEnabled() {
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    if (!source) return std::nullopt;
    GSettingsSchema* schema = g_settings_schema_source_lookup(source, kInterfaceSchema, TRUE);
    if (!schema) return std::nullopt;
    const bool hasKey = g_settings_schema_has_key(schema, kAnimationsKey);
    g_settings_schema_unref(schema);
    if (!hasKey) return std::nullopt;
    GSettings* settings = g_settings_new(kInterfaceSchema);
    const bool on = g_settings_get_boolean(settings, kAnimationsKey);
    g_object_unref(settings);
    return on;
}

}  // namespace desktop
