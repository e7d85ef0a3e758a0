#include "platform/wayland/gnome_key_bindings.h"

#define G_SETTINGS_ENABLE_BACKEND
#include <gio/gio.h>
#include <gio/gsettingsbackend.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/text/printable.h"
#include "platform/wayland/portal_shortcuts.h"

namespace platform {
namespace {

constexpr char kMediaKeys[] = "org.gnome.settings-daemon.plugins.media-keys";
constexpr char kCustomList[] = "custom-keybindings";
constexpr char kCustomSchema[] = "org.gnome.settings-daemon.plugins.media-keys.custom-keybinding";
constexpr char kCustomFolder[] =
    "/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/";
// Our entries are named tessarine-PID-NAME.
constexpr char kOurPrefix[] = "tessarine-";

// Where GNOME's own key bindings live: the shell's (its screenshot keys
// among them), the settings daemon's, and the window manager's.
constexpr const char* kGnomeBindingSchemas[] = {
    "org.gnome.shell.keybindings",          "org.gnome.settings-daemon.plugins.media-keys",
    "org.gnome.desktop.wm.keybindings",     "org.gnome.mutter.keybindings",
    "org.gnome.mutter.wayland.keybindings",
};

struct Unref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
using Settings = std::unique_ptr<GSettings, Unref>;

struct SchemaUnref {
    void operator()(GSettingsSchema* schema) const { g_settings_schema_unref(schema); }
};
using Schema = std::unique_ptr<GSettingsSchema, SchemaUnref>;

// The installed schema `id`, or null: GIO aborts the program when asked for
// settings of a schema that is not installed.
Schema FindSchema(const char* id) {
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    return Schema(source != nullptr ? g_settings_schema_source_lookup(source, id, TRUE) : nullptr);
}

Settings Open(const char* id) {
    const Schema schema = FindSchema(id);
    return Settings(schema ? g_settings_new(id) : nullptr);
}

Settings OpenCustom(const std::string& path) {
    const Schema schema = FindSchema(kCustomSchema);
    return Settings(schema ? g_settings_new_with_path(kCustomSchema, path.c_str()) : nullptr);
}

std::vector<std::string> Strings(GSettings* settings, const char* key) {
    std::vector<std::string> strings;
    GVariant* value = g_settings_get_value(settings, key);
    if (g_variant_is_of_type(value, G_VARIANT_TYPE_STRING_ARRAY)) {
        gsize count = 0;
        const gchar** items = g_variant_get_strv(value, &count);
        for (gsize i = 0; i < count; ++i) {
            strings.emplace_back(items[i]);
        }
        g_free(items);
    } else if (g_variant_is_of_type(value, G_VARIANT_TYPE_STRING)) {
        strings.emplace_back(g_variant_get_string(value, nullptr));
    }
    g_variant_unref(value);
    return strings;
}

std::string String(GSettings* settings, const char* key) {
    std::vector<std::string> strings = Strings(settings, key);
    return strings.empty() ? std::string() : strings.front();
}

void SetStrings(GSettings* settings, const char* key, const std::vector<std::string>& strings) {
    std::vector<const gchar*> items;
    for (const std::string& item : strings) {
        items.push_back(item.c_str());
    }
    items.push_back(nullptr);
    g_settings_set_strv(settings, key, items.data());
}

// The process id in one of our entries' paths, or empty for anybody else's.
std::optional<pid_t> OurEntryPid(const std::string& path) {
    const std::string folder = kCustomFolder;
    if (path.compare(0, folder.size(), folder) != 0) {
        return std::nullopt;
    }
    const std::string entry = path.substr(folder.size());
    const std::string prefix = kOurPrefix;
    if (entry.compare(0, prefix.size(), prefix) != 0) {
        return std::nullopt;
    }
    pid_t pid = 0;
    std::size_t i = prefix.size();
    for (; i < entry.size() && entry[i] >= '0' && entry[i] <= '9' && pid < 10'000'000; ++i) {
        pid = pid * 10 + (entry[i] - '0');
    }
    if (i == prefix.size() || i >= entry.size() || entry[i] != '-') {
        return std::nullopt;
    }
    return pid;
}

// The program file a process runs, as /proc names it at `link`; empty when
// it cannot be read (the process is gone, or another user's).
std::string ProgramFile(const std::string& link) {
    char target[PATH_MAX];
    const ssize_t length = ::readlink(link.c_str(), target, sizeof target - 1);
    if (length <= 0) {
        return {};
    }
    std::string file(target, static_cast<std::size_t>(length));
    // A file replaced since the program started (an upgrade) reads so.
    constexpr std::string_view kReplaced = " (deleted)";
    if (file.ends_with(kReplaced)) {
        file.resize(file.size() - kReplaced.size());
    }
    return file;
}

void ResetEntry(const std::string& path) {
    if (const Settings entry = OpenCustom(path)) {
        for (const char* key : {"name", "command", "binding"}) {
            g_settings_reset(entry.get(), key);
        }
    }
}

// Takes `path` out of the list of custom bindings and clears its keys.
void RemoveEntry(const std::string& path) {
    if (const Settings list = Open(kMediaKeys)) {
        std::vector<std::string> paths = Strings(list.get(), kCustomList);
        std::erase(paths, path);
        SetStrings(list.get(), kCustomList, paths);
    }
    ResetEntry(path);
    g_settings_sync();
}

// Removes the entries of ours whose program is gone (killed, say), once.
void RemoveStaleEntries() {
    static bool done = false;
    if (done) {
        return;
    }
    done = true;
    const Settings list = Open(kMediaKeys);
    if (!list) {
        return;
    }
    std::vector<std::string> kept;
    std::vector<std::string> stale;
    for (std::string& path : Strings(list.get(), kCustomList)) {
        const std::optional<pid_t> pid = OurEntryPid(path);
        (pid && (*pid == ::getpid() || !RunsThisProgram(*pid)) ? stale : kept)
            .push_back(std::move(path));
    }
    if (stale.empty()) {
        return;
    }
    SetStrings(list.get(), kCustomList, kept);
    for (const std::string& path : stale) {
        ResetEntry(path);
    }
    g_settings_sync();
}

// What GNOME's Settings calls one of its screenshot key bindings, under
// Keyboard > Keyboard Shortcuts > Screenshots; empty for another.
std::string ScreenshotBindingCaption(const std::string& key) {
    static const std::pair<const char*, const char*> kCaptions[] = {
        {"show-screenshot-ui", "Take a screenshot interactively"},
        {"screenshot", "Take a screenshot"},
        {"screenshot-window", "Take a screenshot of a window"},
        {"show-screen-recording-ui", "Record a screencast interactively"},
    };
    for (const auto& [name, caption] : kCaptions) {
        if (key == name) {
            return caption;
        }
    }
    return {};
}

// Who in GNOME's settings already binds `keys`, in words; empty for nobody.
std::string Holder(const KeyCombination& keys) {
    for (const char* id : kGnomeBindingSchemas) {
        const Schema schema = FindSchema(id);
        if (!schema) {
            continue;
        }
        const Settings settings(g_settings_new(id));
        gchar** names = g_settings_schema_list_keys(schema.get());
        std::string holder;
        for (gchar** name = names; *name != nullptr && holder.empty(); ++name) {
            for (const std::string& accelerator : Strings(settings.get(), *name)) {
                if (!SameCombination(accelerator, keys)) {
                    continue;
                }
                const std::string key = *name;
                const std::string caption = std::string(id) == "org.gnome.shell.keybindings"
                                                ? ScreenshotBindingCaption(key)
                                                : std::string();
                holder = !caption.empty()
                             ? "GNOME's own screenshot key binding (" + key +
                                   ") holds it; to free it, give \"" + caption +
                                   "\" another key in Settings > Keyboard > Keyboard Shortcuts > "
                                   "Screenshots"
                         : key.find("screenshot") != std::string::npos
                             ? "GNOME's own screenshot key binding (" + key + ") holds it"
                             : "GNOME's own key binding " + key + " holds it";
                break;
            }
        }
        g_strfreev(names);
        if (!holder.empty()) {
            return holder;
        }
    }
    const Settings list = Open(kMediaKeys);
    if (!list || !FindSchema(kCustomSchema)) {
        return {};
    }
    for (const std::string& path : Strings(list.get(), kCustomList)) {
        const Settings entry = OpenCustom(path);
        if (!entry || !SameCombination(String(entry.get(), "binding"), keys)) {
            continue;
        }
        if (OurEntryPid(path)) {
            return "another Tessarine that is running holds it (a custom key binding in "
                   "GNOME's keyboard settings)";
        }
        return "the custom key binding \"" + Printable(String(entry.get(), "name")) +
               "\" in GNOME's keyboard settings holds it";
    }
    return {};
}

class GnomeBindingGrab : public KeyGrab {
  public:
    explicit GnomeBindingGrab(std::string path) : path_(std::move(path)) {}
    ~GnomeBindingGrab() override { RemoveEntry(path_); }
    // GNOME keeps the binding whatever the keyboard does.
    ClaimResult State() const override { return ClaimResult::Claimed; }

  private:
    std::string path_;
};

ClaimOutcome Outcome(ClaimResult result, std::string note) {
    ClaimOutcome outcome;
    outcome.result = result;
    outcome.note = std::move(note);
    return outcome;
}

}  // namespace

bool RunsThisProgram(pid_t pid) {
    const std::string process = "/proc/" + std::to_string(pid);
    struct stat status {};
    if (pid <= 0 || ::stat(process.c_str(), &status) != 0 || status.st_uid != ::getuid()) {
        return false;
    }
    const std::string program = ProgramFile(process + "/exe");
    return !program.empty() && program == ProgramFile("/proc/self/exe");
}

std::string GnomeAccelerator(const KeyCombination& keys) {
    const std::string trigger = PortalTrigger(keys);
    if (trigger.empty()) {
        return {};
    }
    std::string accelerator;
    if (keys.control) {
        accelerator += "<Control>";
    }
    if (keys.alt) {
        accelerator += "<Alt>";
    }
    if (keys.shift) {
        accelerator += "<Shift>";
    }
    if (keys.super) {
        accelerator += "<Super>";
    }
    return accelerator + trigger.substr(trigger.rfind('+') + 1);
}

bool SameCombination(const std::string& accelerator, const KeyCombination& keys) {
    const std::string trigger = PortalTrigger(keys);
    if (trigger.empty()) {
        return false;
    }
    KeyCombination found;
    std::size_t at = 0;
    while (at < accelerator.size() && accelerator[at] == '<') {
        const std::size_t close = accelerator.find('>', at);
        if (close == std::string::npos) {
            return false;
        }
        const std::string modifier = accelerator.substr(at + 1, close - at - 1);
        const auto is = [&](const char* name) { return ::strcasecmp(modifier.c_str(), name) == 0; };
        if (is("shift")) {
            found.shift = true;
        } else if (is("control") || is("ctrl") || is("primary") || is("ctl")) {
            found.control = true;
        } else if (is("alt") || is("mod1")) {
            found.alt = true;
        } else if (is("super") || is("mod4")) {
            found.super = true;
        } else {
            // Meta, Hyper, ...: a combination we never claim.
            return false;
        }
        at = close + 1;
    }
    const std::string key = accelerator.substr(at);
    const std::string wanted = trigger.substr(trigger.rfind('+') + 1);
    return !key.empty() && ::strcasecmp(key.c_str(), wanted.c_str()) == 0 &&
           found.shift == keys.shift && found.control == keys.control && found.alt == keys.alt &&
           found.super == keys.super;
}

ClaimOutcome ClaimGnomeKeyBinding(const KeyCombination& keys, const std::string& name,
                                  const std::string& command) {
    const std::string accelerator = GnomeAccelerator(keys);
    if (accelerator.empty()) {
        return Outcome(ClaimResult::NoSuchKey, {});
    }
    if (name.empty() || command.empty()) {
        return Outcome(ClaimResult::Refused,
                       "GNOME binds keys to commands, and no tessarine command stands for it");
    }
    if (!FindSchema(kMediaKeys) || !FindSchema(kCustomSchema)) {
        return Outcome(ClaimResult::NotInSession,
                       "GNOME's settings for custom key bindings are not installed");
    }
    // Without dconf, GIO keeps settings in memory: GNOME would never see them.
    GSettingsBackend* backend = g_settings_backend_get_default();
    const bool memoryOnly = std::string(G_OBJECT_TYPE_NAME(backend)) == "GMemorySettingsBackend";
    g_object_unref(backend);
    if (memoryOnly) {
        return Outcome(ClaimResult::NotInSession,
                       "GNOME's settings cannot be written from here (GIO has no dconf module)");
    }
    RemoveStaleEntries();
    if (std::string holder = Holder(keys); !holder.empty()) {
        return Outcome(ClaimResult::HeldByAnother, std::move(holder));
    }
    const std::string path =
        std::string(kCustomFolder) + kOurPrefix + std::to_string(::getpid()) + "-" + name + "/";
    const Settings entry = OpenCustom(path);
    const Settings list = Open(kMediaKeys);
    if (!entry || !list) {
        return Outcome(ClaimResult::Refused, "GNOME's settings cannot be opened");
    }
    g_settings_set_string(entry.get(), "name", ("Tessarine: " + name).c_str());
    g_settings_set_string(entry.get(), "command", command.c_str());
    g_settings_set_string(entry.get(), "binding", accelerator.c_str());
    std::vector<std::string> paths = Strings(list.get(), kCustomList);
    if (std::find(paths.begin(), paths.end(), path) == paths.end()) {
        paths.push_back(path);
        SetStrings(list.get(), kCustomList, paths);
    }
    g_settings_sync();
    ClaimOutcome outcome;
    outcome.result = ClaimResult::Claimed;
    outcome.grab = std::make_unique<GnomeBindingGrab>(path);
    return outcome;
}

}  // namespace platform
