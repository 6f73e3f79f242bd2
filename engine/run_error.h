// A failure that keeps a run from starting: a console line in console mode, an error box
// with the product title otherwise.
#pragma once

#include <string_view>

#include "platform/message_host.h"

void ReportRunError(MessageHost& host, std::u16string_view text);
