#include "platform/desktop_notice.h"

#include <utility>

namespace platform {
namespace {

NoticeSink& Sink() {
    static NoticeSink sink;
    return sink;
}

}  // namespace

void SetNoticeSink(NoticeSink sink) {
    Sink() = std::move(sink);
}

void PostNotice(const std::string& notice) {
    if (Sink()) {
        Sink()(notice);
    }
}

}  // namespace platform
