// Presses and releases keys (Linux input key codes, 1 is Escape) through
// KWin's fake input protocol, as a real keyboard's presses reach the window
// KWin gives the keyboard. KWin offers the protocol only to a program whose
// desktop entry names it (X-KDE-Wayland-Interfaces).
#include <wayland-client.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const wl_interface* kNoTypes[3] = {};
// org_kde_kwin_fake_input version 4, up to keyboard_key.
const wl_message kRequests[] = {
    {"authenticate", "ss", kNoTypes}, {"pointer_motion", "ff", kNoTypes},
    {"button", "uu", kNoTypes},       {"axis", "uf", kNoTypes},
    {"touch_down", "2uff", kNoTypes}, {"touch_motion", "2uff", kNoTypes},
    {"touch_up", "2u", kNoTypes},     {"touch_cancel", "2", kNoTypes},
    {"touch_frame", "2", kNoTypes},   {"pointer_motion_absolute", "3ff", kNoTypes},
    {"keyboard_key", "4uu", kNoTypes}};
const wl_interface kFakeInput = {"org_kde_kwin_fake_input", 4, 11, kRequests, 0, nullptr};
constexpr std::uint32_t kAuthenticate = 0, kKeyboardKey = 10;

wl_proxy* input = nullptr;

void Global(void*, wl_registry* registry, std::uint32_t name, const char* interface,
            std::uint32_t version) {
    if (std::strcmp(interface, kFakeInput.name) == 0 && version >= 4) {
        input = static_cast<wl_proxy*>(wl_registry_bind(registry, name, &kFakeInput, 4));
    }
}
void GlobalRemove(void*, wl_registry*, std::uint32_t) {}
const wl_registry_listener kListener = {Global, GlobalRemove};

}  // namespace

int main(int argc, char** argv) {
    wl_display* display = wl_display_connect(nullptr);
    if (!display) {
        std::fprintf(stderr, "kwin_fake_key: no Wayland compositor\n");
        return 1;
    }
    wl_registry_add_listener(wl_display_get_registry(display), &kListener, nullptr);
    wl_display_roundtrip(display);
    if (!input) {
        std::fprintf(stderr, "kwin_fake_key: KWin offers no fake input to this program\n");
        return 1;
    }
    wl_proxy_marshal(input, kAuthenticate, "tests", "key presses");
    for (int i = 1; i < argc; ++i) {
        const auto key = static_cast<std::uint32_t>(std::atoi(argv[i]));
        wl_proxy_marshal(input, kKeyboardKey, key, 1u);
        wl_proxy_marshal(input, kKeyboardKey, key, 0u);
    }
    return wl_display_roundtrip(display) < 0 ? 1 : 0;
}
