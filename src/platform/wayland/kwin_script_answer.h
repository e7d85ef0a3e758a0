#pragma once
// The object KWin's scripts call back on the session bus (see kwin_script.h).

#include <QDBusContext>
#include <QObject>
#include <QString>

namespace platform::kwin {

inline constexpr char kAnswerInterface[] = "org.tessarine.KWinScriptAnswer";

class ScriptAnswer : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.tessarine.KWinScriptAnswer")
  public:
    // Takes the first answer from the bus name `sender` (KWin's unique name)
    // that carries `token`.
    ScriptAnswer(QString sender, QString token)
        : sender_(std::move(sender)), token_(std::move(token)) {}

    bool answered = false;
    QString text;

  public slots:
    Q_SCRIPTABLE void Answer(const QString& text);

  signals:
    void done();

  private:
    QString sender_;
    QString token_;
};

}  // namespace platform::kwin
