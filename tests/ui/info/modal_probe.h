#pragma once
// Runs a check on the modal window that a blocking call opens, so that the
// check can close it and the call returns.

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

namespace testing_support {

// Arms a probe: once a modal window other than `notThis` is up, `inspect`
// runs on it (and should close it). Polls for up to five seconds, so it works
// however deep the modal loop is; gives up quietly after that.
inline void WhenModal(std::function<void(QWidget*)> inspect, QWidget* notThis = nullptr) {
    struct Probe {
        std::function<void(QWidget*)> inspect;
        QWidget* notThis;
        int triesLeft = 500;
    };
    auto probe = std::make_shared<Probe>(Probe{std::move(inspect), notThis});
    auto poll = std::make_shared<std::function<void()>>();
    std::weak_ptr<std::function<void()>> weakPoll = poll;
    *poll = [probe, weakPoll] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal != probe->notThis && modal->isVisible()) {
            probe->inspect(modal);
            return;
        }
        if (--probe->triesLeft > 0) {
            if (auto next = weakPoll.lock()) {
                QTimer::singleShot(10, [next] { (*next)(); });
            }
        }
    };
    QTimer::singleShot(0, [poll] { (*poll)(); });
}

}  // namespace testing_support
