#pragma once
// The program's names for replacing files whole (platform/files/), where
// each system's way of doing it sits.

#include "platform/files/byte_sink.h"
#include "platform/files/replace_file.h"

namespace output {

using platform::files::ByteSink;
using platform::files::ContentWriter;
using platform::files::FailureMessage;
using platform::files::NameRule;
using platform::files::NoSuchFileReason;
using platform::files::Quoted;
using platform::files::ReplaceFileContents;
using platform::files::ReplaceFileWith;
using platform::files::WriteResult;

}  // namespace output
