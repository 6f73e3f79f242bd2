#include "platform/message_host.h"

WideText resultsText;

namespace {
MessageHost* current = nullptr;
}

MessageHost& CurrentMessageHost() { return current ? *current : ConsoleMessageHost(); }

void SetCurrentMessageHost(MessageHost* host) { current = host; }
