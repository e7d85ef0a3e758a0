// `tessarine-window.exe`: the window program on Windows, a GUI program
// (no console of its own; tessarine.exe starts it for arguments it does
// not take itself). The Win32 backend reads the screen and holds the hot
// keys; the forms are drawn by Windows through the controls.

#include <windows.h>

#include <objbase.h>

#include <memory>
#include <string>

#include "app/release_everything.h"
#include "platform/backend.h"
#include "platform/controls/event_pump.h"
#include "platform/win32/win32_backend.h"
#include "ui/main/form1.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // The file dialog and the shell's parts of it need a single-threaded
    // apartment on the thread that shows them.
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::shared_ptr<platform::Backend> backend = platform::OpenWin32Backend();
    if (!backend) {
        ::MessageBoxW(nullptr, L"The screen cannot be read on this desktop.", L"Tessarine",
                      MB_OK | MB_ICONERROR);
        return 1;
    }
    platform::InstallBackend(std::move(backend));
    int status;
    {
        auto form = std::make_unique<Form1>();
        form->Form_Load();
        status = controls::RunEventLoop();
        app::ReleaseEverything(form.get());
    }
    platform::InstallBackend(nullptr);
    if (SUCCEEDED(com)) {
        ::CoUninitialize();
    }
    return status;
}
