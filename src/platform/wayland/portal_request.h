#pragma once
// One call to the desktop portal that answers through a Request object: the
// method returns the request's path at once and the answer comes later in
// its Response signal. The wait runs a local event loop (user input held
// back) and is bounded, so a portal that never answers cannot hang us.

#include <QList>
#include <QObject>
#include <QString>
#include <QVariant>
#include <QVariantMap>
#include <functional>

namespace platform::portal {

inline constexpr char kService[] = "org.freedesktop.portal.Desktop";
inline constexpr char kPath[] = "/org/freedesktop/portal/desktop";

struct Answer {
    enum class Outcome {
        Granted,     // response 0: `results` holds the answer
        Refused,     // response 1: the user said no
        Ended,       // response 2: the portal ended the request another way
        NoPortal,    // no portal on the session bus
        NoBus,       // no session bus to ask; `error` says why
        NoMethod,    // the portal lacks the interface or method
        NoAnswer,    // no answer within the time allowed
        NotStarted,  // the portal did not start within the time allowed
        Failed,      // the call itself failed; `error` says how
    };
    Outcome outcome = Outcome::Failed;
    QVariantMap results;
    QString error;
};

// Receives the answer to a request that was given up on. Closing a request
// withdraws its dialog, but a desktop may have acted on it already (written
// a file, say), and its answer then still comes.
using LateAnswerHandler = std::function<void(const Answer&)>;

// How long after giving up a late answer is still listened for.
inline constexpr int kLateAnswerWindowMs = 5 * 60 * 1000;

// Calls `method` of `interface` on the portal with `arguments` followed by
// `options` (a handle_token is added to them) and waits up to timeoutMs for
// the whole exchange. When no answer comes in time the request is closed,
// and `late` (if set) gets an answer that still comes within
// kLateAnswerWindowMs, from the event loop.
Answer Call(const QString& interface, const QString& method, const QList<QVariant>& arguments,
            QVariantMap options, int timeoutMs, LateAnswerHandler late = {});

// Why an answer is not a grant, in words for a message: "no desktop portal
// is running", ...
QString Explain(const Answer& answer, const QString& what);

// True when the portal offers `interface` (it answers for its version).
bool Offers(const QString& interface, int timeoutMs);

// Receives one Response signal.
class ResponseReceiver : public QObject {
    Q_OBJECT
  public:
    bool answered = false;
    uint code = 0;
    QVariantMap results;

  public slots:
    void onResponse(uint response, const QVariantMap& answer);

  signals:
    void done();
};

}  // namespace platform::portal
