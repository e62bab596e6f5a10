// The desktop's animation preference, read through GSettings with a keyfile backend and a schema
// compiled for the test; each reading runs in a child, since GIO keeps its schema list.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/desktop.h"
#include "test_support.h"

namespace fs = std::filesystem;
using testsupport::writeText;

namespace {

constexpr const char* kSchema = R"(<?xml version="1.0" encoding="UTF-8"?>
<schemalist>
  <schema id="org.gnome.desktop.interface" path="/org/gnome/desktop/interface/">
    <key name="enable-animations" type="b">
      <default>true</default>
    </key>
  </schema>
</schemalist>
)";

// What desktop::animationsEnabled answers in a child whose only schemas lie in schemaDir, with
// keyfile (if not empty) as the stored settings.
std::optional<bool> readInChild(const fs::path& root, const fs::path& schemaDir,
                                const std::string& keyfile) {
    const fs::path config = root / "config", data = root / "data";
    fs::remove_all(config);
    fs::create_directories(config / "glib-2.0/settings");
    fs::create_directories(data);
    if (!keyfile.empty()) writeText((config / "glib-2.0/settings/keyfile").string(), keyfile);
    const pid_t pid = fork();
    if (pid == 0) {
        setenv("GSETTINGS_BACKEND", "keyfile", 1);
        setenv("GSETTINGS_SCHEMA_DIR", schemaDir.c_str(), 1);
        setenv("XDG_CONFIG_HOME", config.c_str(), 1);
        setenv("XDG_DATA_DIRS", data.c_str(), 1);  // no system schemas
        setenv("XDG_DATA_HOME", data.c_str(), 1);
        const std::optional<bool> on = desktop::animationsEnabled();
        _exit(!on ? 2 : *on ? 1 : 0);
    }
    int status = -1;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) > 2) {
        ADD_FAILURE() << "the child failed: " << status;
        return std::nullopt;
    }
    const int code = WEXITSTATUS(status);
    return code == 2 ? std::nullopt : std::optional<bool>(code == 1);
}

}  // namespace

TEST(DesktopPreferences, AnimationsFollowGnomesSettingOnlyWhereItsSchemaIsInstalled) {
    const fs::path root =
        fs::temp_directory_path() / ("vantrel_desktop_" + std::to_string(getpid()));
    fs::remove_all(root);
    const fs::path schemas = root / "schemas", none = root / "no-schemas";
    fs::create_directories(schemas);
    fs::create_directories(none);
    ASSERT_TRUE(writeText((schemas / "org.gnome.desktop.interface.gschema.xml").string(), kSchema));
    const std::string compile = "glib-compile-schemas " + schemas.string();
    if (std::system(compile.c_str()) != 0) GTEST_SKIP() << "glib-compile-schemas is missing";

    EXPECT_EQ(
        readInChild(root, schemas, "[org/gnome/desktop/interface]\nenable-animations=false\n"),
        std::optional<bool>(false));
    EXPECT_EQ(readInChild(root, schemas, "[org/gnome/desktop/interface]\nenable-animations=true\n"),
              std::optional<bool>(true));
    // Nothing stored: the schema's default, animations on.
    EXPECT_EQ(readInChild(root, schemas, ""), std::optional<bool>(true));
    // No schema: no answer, and no abort either.
    EXPECT_EQ(readInChild(root, none, "[org/gnome/desktop/interface]\nenable-animations=false\n"),
              std::nullopt);
    fs::remove_all(root);
}
