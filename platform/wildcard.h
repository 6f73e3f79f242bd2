// File-name patterns with the wildcards * and ?, matched as Windows matches them:
// ASCII letters in either case, "*.*" matches every name, and a trailing ".*" also
// matches a name without a dot.
#pragma once

#include <string_view>

bool MatchesWildcard(std::string_view name, std::string_view pattern);
bool HasWildcards(std::string_view pattern);
