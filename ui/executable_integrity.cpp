#include "ui/executable_integrity.h"

#include "core/process_flags.h"

bool ChecksumShowsIntactImage(const ImageChecksum& checksum) {
  return checksum.readable && checksum.stored != 0 && checksum.stored == checksum.computed;
}

bool VerifyExecutableIntegrity(const std::optional<ImageChecksum>& checksum, MessageHost& host) {
  if (!checksum || ChecksumShowsIntactImage(*checksum)) return true;
  const char16_t* text =
      Text(u"プログラムファイルが壊れているため起動できません。再インストールしてください。",
           u"The program file is damaged and cannot start. Please reinstall it.");
  if (consoleMode) {
    host.ReportMessage(WideText(text) + u"\n");
  } else {
    host.ShowMessageBox(text, ProductTitle(), kBoxIconError | kBoxOk);
  }
  return false;
}
