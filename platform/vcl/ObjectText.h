// Converting form streams between the binary format and text form files, with or without the
// resource header a binary form file starts with.
#pragma once

#include "Filer.h"

class TReader;

// Binary "TPF0" data at Input's position to text at Output's: "object Name: TClass", one
// property a line indented two spaces a level, "end"; lines end in CR LF. Raises EReadError
// for damaged data, like the reader, and for names the text cannot hold (not identifiers, or
// a property named like a keyword), which would read back as something else.
void ObjectBinaryToText(TStream* Input, TStream* Output);
// One value of binary data at Reader's position, as a text form file writes it after
// "Name = " (a list, binary data or a collection over several lines, indented from 0).
String ObjectValueToText(TReader* Reader);
// Text to binary data; EParserError "<what> on line <n>" for bad text.
void ObjectTextToBinary(TStream* Input, TStream* Output);
// The same for binary form files that start with a resource header; the header written is
// named after the root's class, in capitals.
void ObjectResourceToText(TStream* Input, TStream* Output);
void ObjectTextToResource(TStream* Input, TStream* Output);

enum TStreamOriginalFormat : uint8_t { sofUnknown, sofBinary, sofText };
// What the data at the stream's position looks like; the position is kept.
TStreamOriginalFormat TestStreamFormat(TStream* Stream);
