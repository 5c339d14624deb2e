// The delimited form of a list, shared by the 8-bit and the wide string
// lists: items joined by a delimiter, an item that would not read back
// whole put between quotes with its inner quotes doubled.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

namespace corvane {

namespace quoted_items_detail {

// Blanks and control characters (NUL included): what ends an unquoted item.
template <class Char>
constexpr bool AtOrBelowSpace(Char c) {
  return static_cast<std::make_unsigned_t<Char>>(c) <= 0x20;
}

}  // namespace quoted_items_detail

// Appends item to text, quoted (inner quotes doubled) when it holds a
// character at or below U+0020, the delimiter or the quote.
template <class Char>
void AppendQuotedItem(std::basic_string<Char>& text, std::basic_string_view<Char> item, Char delimiter, Char quote) {
  const bool needsQuotes = std::any_of(item.begin(), item.end(), [&](Char c) {
    return quoted_items_detail::AtOrBelowSpace(c) || c == delimiter || c == quote;
  });
  if (!needsQuotes) {
    text += item;
    return;
  }
  text += quote;
  for (const Char c : item) {
    if (c == quote) text += quote;
    text += c;
  }
  text += quote;
}

// Splits text into items, handing each to add(std::basic_string<Char>) in
// order. Blanks (U+0001 to U+0020) and one delimiter between them separate
// items; a quoted item runs to its closing quote or the end, a doubled quote
// standing for one; a NUL outside quotes ends the text. With
// emptyAfterTrailingDelimiter, a delimiter that is the very last character
// adds one more, empty, item.
template <class Char, class Add>
void SplitQuotedItems(std::basic_string_view<Char> text, Char delimiter, Char quote, bool emptyAfterTrailingDelimiter,
                      Add&& add) {
  using quoted_items_detail::AtOrBelowSpace;
  const std::size_t size = text.size();
  std::size_t p = 0;
  auto skipBlanks = [&] {
    while (p < size && text[p] != 0 && AtOrBelowSpace(text[p])) ++p;
  };
  skipBlanks();
  while (p < size && text[p] != 0) {
    std::basic_string<Char> item;
    if (text[p] == quote) {
      ++p;
      while (p < size) {
        if (text[p] == quote) {
          if (p + 1 < size && text[p + 1] == quote) {
            item += quote;
            p += 2;
            continue;
          }
          ++p;
          break;
        }
        item += text[p++];
      }
    } else {
      const std::size_t start = p;
      while (p < size && !AtOrBelowSpace(text[p]) && text[p] != delimiter) ++p;
      item.assign(text.substr(start, p - start));
    }
    add(std::move(item));
    skipBlanks();
    if (p < size && text[p] == delimiter) {
      if (emptyAfterTrailingDelimiter && p + 1 == size) add(std::basic_string<Char>());
      ++p;
      skipBlanks();
    }
  }
}

}  // namespace corvane
