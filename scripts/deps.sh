# Debian packages the build, the program and the tests need, and a helper
# that installs the missing ones (as root) or names them.

BUILD_PACKAGES=(cmake g++ pkg-config qt6-base-dev libxcb1-dev libxcb-shm0-dev libxcb-randr0-dev
    libxcb-keysyms1-dev libxcb-xfixes0-dev libgl-dev libpng-dev zlib1g-dev libjpeg62-turbo-dev libglib2.0-dev
    libwayland-dev qt6-qpa-plugins fonts-dejavu-core
    fonts-dejavu-extra fonts-liberation2)
TEST_PACKAGES=(googletest libgtest-dev libgmock-dev xvfb openbox fluxbox xdotool imagemagick
    x11-utils x11-xserver-utils python3 clang libclang-rt-14-dev xclip ccache
    sway xwayland grim pipewire xdg-desktop-portal xdg-desktop-portal-wlr xdg-desktop-portal-gtk
    dbus-daemon dbus-bin libglib2.0-bin wtype dpkg-dev file desktop-file-utils man-db lintian
    appstream libxcb-xtest0-dev libxcb-damage0-dev wl-clipboard)
# The headless GNOME session of the GNOME tests (tests/system/with_gnome.sh).
TEST_PACKAGES+=(gnome-shell mutter xdg-desktop-portal-gnome gsettings-desktop-schemas
    gnome-settings-daemon libgl1-mesa-dri gnome-screenshot python3-gi gir1.2-glib-2.0)
# The headless KDE Plasma session of the KDE tests (tests/system/with_kde.sh).
TEST_PACKAGES+=(kwin-wayland xdg-desktop-portal-kde qtwayland5 plasma-workspace
    qml-module-qtquick-controls2 qml-module-qtquick-layouts qml-module-org-kde-kirigami2
    qml-module-qtquick2 qml-module-qtquick-window2 python3-dbus)
# The Windows build (scripts/build_windows.sh): the cross compiler, zlib
# for it and NSIS; its tests run under Wine on a private Xvfb, with
# GoogleTest built from Debian's sources.
WINDOWS_PACKAGES=(cmake python3 g++-mingw-w64-x86-64-posix mingw-w64-tools libz-mingw-w64-dev nsis)
WINDOWS_TEST_PACKAGES=(wine wine64 xvfb googletest imagemagick xdotool x11-utils)

ensure_packages() {
    local missing=()
    local p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing Debian packages: ${missing[*]}" >&2
        echo "Install them with: sudo apt-get install ${missing[*]}" >&2
        exit 1
    fi
    echo "Installing ${missing[*]}" >&2
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q >/dev/null
    apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null
}

# The configuration of a Debian package's build: installed under /usr, with
# Debian's optimisation and hardening flags (dpkg-buildflags: fortified
# sources, stack protector, full RELRO, bind-now). test.sh builds with them
# too, so the tests run what the package ships.
package_cmake_flags() {
    local -x DEB_BUILD_MAINT_OPTIONS=hardening=+all
    PACKAGE_CMAKE_FLAGS=(-DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_BUILD_TYPE=None
        "-DCMAKE_CXX_FLAGS=$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
        "-DCMAKE_EXE_LINKER_FLAGS=$(dpkg-buildflags --get LDFLAGS)")
}
