// The guard message box of the registry wrappers: no owner, caption "Registory Class",
// warning icon, in the wrapper's own language.
#pragma once

struct GuardText {
  const char16_t* japanese;
  const char16_t* english;
};

void ShowRegistryGuard(const GuardText& text, bool japanese);
