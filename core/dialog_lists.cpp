#include "core/dialog_lists.h"

#include "core/encoding_catalogue.h"
#include "core/process_flags.h"

void FillLists(DialogControls& c) {
  c.AddListItem(kIdLineEndingList,
                Text(u"CR+LFに統一(単独のCR、または単独のLFがあれば、CR+LFに変換)", u"CR or LF -> CRLF"));
  c.AddListItem(kIdLineEndingList,
                Text(u"LFに統一   (単独のCR、またはCR+LFがあれば、LFに変換)", u"CR or CRLF -> LF"));
  c.AddListItem(kIdLineEndingList,
                Text(u"CRに統一   (単独のLF、またはCR+LFがあれば、CRに変換)", u"LF or CRLF -> CR"));
  c.AddListItem(kIdInputList, InputListAutoText());
  c.AddListItem(kIdOutputList, OutputListSameText());
  for (int i = 1; EncodingTable[i].displayName; ++i) {
    c.AddListItem(kIdInputList, EncodingTable[i].displayName);
    c.AddListItem(kIdOutputList, EncodingTable[i].displayName);
  }
}
