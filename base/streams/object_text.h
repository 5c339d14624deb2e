// The two converters between the binary object stream ("KVF0") and the text
// object form (".object" files), and the small helpers around them.
//
// Both converters work record by record and value by value; they never
// create objects. They return false when the conversion had to stop (the
// reason is in the engine log); what was written up to then stays in the
// output and the caller decides whether to keep it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace corvane {

class TStream;

// Renders the binary stream at input's position as text at output's
// position. Every text written is plain ASCII and reads back: a name,
// property name, identifier or set element that the text reader would not
// take as it stands ends the conversion with an error.
bool ObjectBinaryToText(TStream& input, TStream& output);
// Compiles the text at input's position into a binary stream (signature
// first) at output's position.
bool ObjectTextToBinary(TStream& input, TStream& output);

enum TStreamOriginalFormat : std::uint8_t { sofUnknown, sofBinary, sofText };
// Peeks at the next 4 bytes (the position is put back).
TStreamOriginalFormat TestStreamFormat(TStream& stream);

// Two upper-case hexadecimal digits per byte into text (2 * count chars).
void BinToHex(const void* buffer, char* text, std::size_t count);
// Converts up to count pairs of hexadecimal digits (either case), stopping
// at the first pair that is not two digits; the number of bytes made.
std::size_t HexToBin(std::string_view text, void* buffer, std::size_t count);

}  // namespace corvane
