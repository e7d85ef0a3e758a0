#include "platform/wayland/kwin_script_answer.h"

#include <QDBusMessage>
#include <QJsonDocument>
#include <QJsonObject>

namespace platform::kwin {
namespace {

// Longer answers are not ours.
constexpr int kLongestAnswer = 64 * 1024;

}  // namespace

void ScriptAnswer::Answer(const QString& answer) {
    if (answered || message().service() != sender_ || answer.size() > kLongestAnswer) {
        return;
    }
    const QJsonObject object = QJsonDocument::fromJson(answer.toUtf8()).object();
    if (object.value("token").toString() != token_) {
        return;  // from an earlier script that answered late
    }
    answered = true;
    text = answer;
    emit done();
}

}  // namespace platform::kwin
