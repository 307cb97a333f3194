#pragma once

// A reader of the rich text (RTF) the program writes for its sequence views:
// groups, the font and colour tables, \pard, \plain, \f, \fs, \b, \i, \cf,
// \par, \tab, the escapes \\ \{ \} \'hh; other control words are ignored and
// "{\*...}" groups skipped. A control word ends at its first non-letter,
// non-digit character; one blank after it belongs to the word. Colour index
// 0 is the first entry of the colour table.

#include <string_view>

class QTextDocument;

namespace platform {

// Replaces the document's content with the rich text.
void ReadRtf(QTextDocument& document, std::string_view rtf);

} // namespace platform
