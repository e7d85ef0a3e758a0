#pragma once
// Each window class has one program-wide instance, created and loaded by its
// first use. Unloading destroys the window; the next use loads a new one and
// runs its load handler again.
//
// A form class T may define Form_Load() (run once the instance exists) and
// Form_Unload() (run when it is unloaded). A form whose close box should
// unload it calls DefaultForm<T>::Unload() from its closeEvent.

#include <QPointer>
#include <QWidget>

namespace app {

template <typename T>
class DefaultForm {
  public:
    static T& Get() {
        T* form = slot().data();
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

    static T* IfLoaded() { return slot().data(); }

    // Safe from the form's own event handlers: the window is hidden now and
    // deleted once control is back in the event loop.
    static void Unload() {
        T* form = slot().data();
        if (!form) {
            return;
        }
        slot() = nullptr;
        if constexpr (requires { form->Form_Unload(); }) {
            form->Form_Unload();
        }
        form->hide();
        form->deleteLater();
    }

  private:
    static QPointer<T>& slot() {
        static QPointer<T> instance;
        return instance;
    }
};

}  // namespace app
