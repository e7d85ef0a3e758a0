#pragma once
// Each window class has one program-wide instance, created and loaded by its
// first use. Unloading destroys the window; the next use loads a new one and
// runs its load handler again.
//
// A form class T may define Form_Load() (run once the instance exists) and
// Form_Unload() (run when it is unloaded). A form whose close box should
// unload it calls DefaultForm<T>::Unload() from its QueryUnload handler.

#include "platform/controls/event_pump.h"

namespace app {

template <typename T>
class DefaultForm {
  public:
    static T& Get() {
        T* form = loaded();
        if (!form) {
            form = new T();
            slot() = form;
            if constexpr (requires { form->Form_Load(); }) {
                form->Form_Load();
            }
        }
        // A form may unload itself in its load handler (the save window
        // does); it is deleted only once control is back in the event loop.
        return *form;
    }

    static T* IfLoaded() { return loaded(); }

    // Safe from the form's own event handlers: the window is hidden now and
    // deleted once control is back in the event loop.
    static void Unload() {
        T* form = loaded();
        if (!form) {
            return;
        }
        slot() = nullptr;
        if constexpr (requires { form->Form_Unload(); }) {
            form->Form_Unload();
        }
        if constexpr (requires { form->deleteLater(); }) {
            // A form still built directly on a toolkit window.
            form->hide();
            form->deleteLater();
        } else {
            form->Hide();
            controls::PostToEventLoop([form] { delete form; });
        }
    }

  private:
    static T* loaded() {
        T*& form = slot();
        if constexpr (requires { form->HasWindow(); }) {
            // An owned form goes with its owner, which takes its window.
            if (form && !form->HasWindow()) {
                delete form;
                form = nullptr;
            }
        }
        return form;
    }

    static T*& slot() {
        static T* instance = nullptr;
        return instance;
    }
};

}  // namespace app
